; The Windows installer of Ravlin and its Control Panel applet Quillset.
;   makensis -DVERSION=1.1.0.0 -DBIN64=<folder> -DBIN32=<folder> \
;            -DHTMLIST=<prefix> -DOUTFILE=<setup.exe> installer/Ravlin.nsi
; BIN64 holds ravlin64.exe and Quillset.cpl, BIN32 holds Ravlin.exe;
; <prefix>.install.nsh and <prefix>.uninstall.nsh list the pages
; (tools/build-windows.sh writes them). /S installs, and makes the
; uninstaller uninstall, silently.
;
; What it writes, and what the uninstaller removes again:
;   C:\Program Files\Tarn\Ravlin\  Ravlin.exe ravlin64.exe Quillset.cpl
;                                  htm\... uninstall.exe
;   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe
;        (default) = the program's full path, "Path" = its folder; the applet
;        reads "Path" to start the program.
;   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cpls
;        "Quillset" (REG_EXPAND_SZ) = the applet's path: the Control Panel
;        shows applets registered there.
;   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ravlin
;        the entry of Programs and Features.
; All of it in the 64-bit registry view, where the 64-bit Control Panel
; looks; the installer itself is a 64-bit program.

!ifndef VERSION
  !define VERSION 1.1.0.0
!endif
!ifndef OUTFILE
  !define OUTFILE Ravlin-${VERSION}-setup.exe
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

Name "Ravlin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tarn\Ravlin"

!define APPPATHS "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe"
!define CPLS "SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cpls"
!define UNINST "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ravlin"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Ravlin"
VIAddVersionKey /LANG=1033 "FileDescription" "Ravlin setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Tarn"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Tarn"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Ravlin"
  SetOutPath "$INSTDIR"
  File "${BIN32}\Ravlin.exe"
  File "${BIN64}\ravlin64.exe"
  File "${BIN64}\Quillset.cpl"
  ; The pages, one File line per file (written by tools/build-windows.sh).
  !include "${HTMLIST}.install.nsh"
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${APPPATHS}" "" "$INSTDIR\Ravlin.exe"
  WriteRegStr HKLM "${APPPATHS}" "Path" "$INSTDIR"
  WriteRegExpandStr HKLM "${CPLS}" "Quillset" "$INSTDIR\Quillset.cpl"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINST}" "DisplayName" "Ravlin"
  WriteRegStr HKLM "${UNINST}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST}" "Publisher" "Tarn"
  WriteRegStr HKLM "${UNINST}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST}" "DisplayIcon" "$INSTDIR\Ravlin.exe"
  WriteRegStr HKLM "${UNINST}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST}" "NoRepair" 1
SectionEnd

; Removes exactly what the section above wrote: the files by name, the pages
; folder, the three registry entries. The folders go only when empty, so
; nothing a user put there is lost.
Section "Uninstall"
  Delete "$INSTDIR\Ravlin.exe"
  Delete "$INSTDIR\ravlin64.exe"
  Delete "$INSTDIR\Quillset.cpl"
  !include "${HTMLIST}.uninstall.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."

  DeleteRegValue HKLM "${CPLS}" "Quillset"
  DeleteRegKey HKLM "${APPPATHS}"
  DeleteRegKey HKLM "${UNINST}"
SectionEnd
