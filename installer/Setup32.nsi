; setup.exe, the file users start: a 32-bit installer, so that it runs on
; every Windows. On 32-bit Windows it says that Ravlin needs 64-bit Windows
; and ends (exit code 216, ERROR_EXE_MACHINE_TYPE_MISMATCH); otherwise it
; runs the 64-bit installer it carries (Ravlin.nsi) with the same command
; line (/S, /D=folder) and ends with its exit code.
;   makensis -DVERSION=<a.b.c.d> -DSETUP64=<setup64.exe> -DOUTFILE=<setup.exe> installer/Setup32.nsi

; The version is written once, in project(Ravlin VERSION ...) of CMakeLists.txt.
!ifndef VERSION
  !error "VERSION is not given: makensis -DVERSION=<a.b.c.d> (tools/build-windows.sh passes the one of CMakeLists.txt)"
!endif
!ifndef OUTFILE
  !define OUTFILE Ravlin-${VERSION}-setup.exe
!endif

; -DTARGET=amd64-unicode builds the same setup as a 64-bit program, which
; the Wine here can run to test the hand-over.
!ifndef TARGET
  !define TARGET x86-unicode
!endif

Unicode true
Target ${TARGET}
; The 64-bit installer inside is compressed already: each part is stored
; compressed only where that makes it smaller.
SetCompressor lzma
RequestExecutionLevel admin
ManifestSupportedOS all

Name "Ravlin ${VERSION}"
OutFile "${OUTFILE}"

!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define MACHINE_TYPE_MISMATCH 216

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Ravlin"
VIAddVersionKey /LANG=1033 "FileDescription" "Ravlin setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Tarn"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Tarn"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Ravlin needs a 64-bit edition of Windows (Windows 7 or later).$\n$\nThis PC runs a 32-bit edition of Windows, so Ravlin cannot be installed on it." /SD IDOK
    SetErrorLevel ${MACHINE_TYPE_MISMATCH}
    Quit
  ${EndIf}
  ; No window of its own: the 64-bit installer shows its pages (or none
  ; with /S, which it finds on the command line it is given).
  SetSilent silent
FunctionEnd

Section
  InitPluginsDir
  File "/oname=$PLUGINSDIR\setup64.exe" "${SETUP64}"
  ; The setup takes /D= off its own command line and into $INSTDIR.
  ${GetParameters} $0
  ${If} $INSTDIR != ""
    StrCpy $0 "$0 /D=$INSTDIR"
  ${EndIf}
  ClearErrors
  ExecWait '"$PLUGINSDIR\setup64.exe" $0' $1
  ${If} ${Errors}
    SetErrorLevel 1
  ${Else}
    SetErrorLevel $1
  ${EndIf}
SectionEnd
