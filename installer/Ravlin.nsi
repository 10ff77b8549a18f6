; The Windows installer of Ravlin and its Control Panel applet Quillset: the
; 64-bit installer that does the work. Setup32.nsi wraps it in the 32-bit
; setup.exe users start, which refuses 32-bit Windows with its own message.
;   makensis -DVERSION=<a.b.c.d> -DBIN64=<folder> -DBIN32=<folder> \
;            -DHTMLIST=<prefix> -DOUTFILE=<setup64.exe> installer/Ravlin.nsi
; BIN64 holds ravlin64.exe and Quillset.cpl, BIN32 holds Ravlin.exe;
; <prefix>.install.nsh and <prefix>.uninstall.nsh list the pages
; (tools/build-windows.sh writes them). /S installs, and makes the
; uninstaller uninstall, silently.
;
; What it writes, and what the uninstaller removes again:
;   C:\Program Files\Tarn\Ravlin\  Ravlin.exe ravlin64.exe Quillset.cpl
;                                  htm\... uninstall.exe
;        (or the folder the user chose, or the one of an earlier install)
;   <all users' Start menu>\Programs\Modem Diagnostic Tool.lnk
;   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe
;        (default) = the program's full path, "Path" = its folder; the applet
;        reads "Path" to start the program.
;   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cpls
;        "Quillset" (REG_EXPAND_SZ) = the applet's path: the Control Panel
;        shows applets registered there.
;   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ravlin
;        the entry of Programs and Features; "InstallLocation" is where an
;        upgrade installs again, "CreatedFolder" the outermost folder this
;        installer created (the only folders the uninstaller may remove).
; All of it in the 64-bit registry view, where the 64-bit Control Panel
; looks; this installer is a 64-bit program.
;
; Exit codes: 0 done; 3010 done, but files in use are replaced or removed
; when Windows restarts; 2 refused (Ravlin is running, or an earlier
; uninstall waits for a restart), nothing changed.

; The version is written once, in project(Ravlin VERSION ...) of CMakeLists.txt.
!ifndef VERSION
  !error "VERSION is not given: makensis -DVERSION=<a.b.c.d> (tools/build-windows.sh passes the one of CMakeLists.txt)"
!endif
!ifndef OUTFILE
  !define OUTFILE Ravlin-${VERSION}-setup64.exe
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

Name "Ravlin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tarn\Ravlin"
; An upgrade installs into the folder of the earlier install.
InstallDirRegKey HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ravlin" "InstallLocation"

!include LogicLib.nsh
!include FileFunc.nsh

!define APPPATHS "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Ravlin.exe"
!define CPLS "SOFTWARE\Microsoft\Windows\CurrentVersion\Control Panel\Cpls"
!define UNINST "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ravlin"
!define RUNONCE "SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce"
!define RUNONCE_NAME "RavlinUninstall"
!define SHORTCUT "$SMPROGRAMS\Modem Diagnostic Tool.lnk"
!define REFUSED 2
!define REBOOT_REQUIRED 3010

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

!include "RavlinRunning.nsh"
!insertmacro RAVLIN_CLOSED_CHECK ""
!insertmacro RAVLIN_CLOSED_CHECK "un."

Function .onInit
  SetRegView 64
  SetShellVarContext all
  ; Files of an earlier uninstall are still to be deleted at the next
  ; restart: installing now would lose the new files to those deletes.
  ReadRegStr $0 HKLM "${RUNONCE}" "${RUNONCE_NAME}"
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "Ravlin was uninstalled, but some of its files are only removed when Windows restarts.$\n$\nRestart Windows, then run this setup again." /SD IDOK
    SetErrorLevel ${REFUSED}
    Quit
  ${EndIf}
  Call EnsureRavlinClosed
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  Call un.EnsureRavlinClosed
FunctionEnd

; An image that may be in use (the program running in another session, the
; applet loaded by Explorer): written beside it, then put in its place,
; now or, when the old file cannot be removed, at the next restart.
!macro INSTALL_IMAGE SOURCE NAME
  File "/oname=$INSTDIR\${NAME}.new" "${SOURCE}"
  Delete "$INSTDIR\${NAME}"
  Rename /REBOOTOK "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
!macroend

; The outermost folder of $INSTDIR that does not exist yet, or "" when
; $INSTDIR exists: what this install is about to create.
Function FolderToCreate
  StrCpy $R0 "$INSTDIR"
  StrCpy $R1 ""
  ${DoWhile} $R0 != ""
    ${If} ${FileExists} "$R0\*.*"
      ${Break}
    ${EndIf}
    StrCpy $R1 $R0
    ${GetParent} $R0 $R0
  ${Loop}
  Push $R1
FunctionEnd

Section "Ravlin"
  Call FolderToCreate
  Pop $R9

  SetOutPath "$INSTDIR"
  !insertmacro INSTALL_IMAGE "${BIN32}\Ravlin.exe" Ravlin.exe
  !insertmacro INSTALL_IMAGE "${BIN64}\ravlin64.exe" ravlin64.exe
  !insertmacro INSTALL_IMAGE "${BIN64}\Quillset.cpl" Quillset.cpl
  ; The pages, one File line per file (written by tools/build-windows.sh).
  !include "${HTMLIST}.install.nsh"
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${APPPATHS}" "" "$INSTDIR\Ravlin.exe"
  WriteRegStr HKLM "${APPPATHS}" "Path" "$INSTDIR"
  WriteRegExpandStr HKLM "${CPLS}" "Quillset" "$INSTDIR\Quillset.cpl"
  ; The shortcut's working folder is the output folder: the program's own.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Ravlin.exe" "" "$INSTDIR\Ravlin.exe" 0 SW_SHOWNORMAL "" \
                 "Diagnose the modem hardware and software problem"

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
  ; An upgrade into the existing folder keeps what the first install noted.
  ${If} $R9 != ""
    WriteRegStr HKLM "${UNINST}" "CreatedFolder" "$R9"
  ${EndIf}
SectionEnd

Function .onInstSuccess
  ${If} ${RebootFlag}
    SetErrorLevel ${REBOOT_REQUIRED}
    MessageBox MB_YESNO|MB_ICONQUESTION "Some files of Ravlin were in use; they are replaced when Windows restarts.$\n$\nRestart now?" /SD IDNO IDNO +2
    Reboot
  ${EndIf}
FunctionEnd

; Removes what the section above wrote: the files by name, the folders this
; installer created (each only when empty, so a user's own files and the
; folders holding them stay), the shortcut and the registry entries.
;
; A file in use (the applet held by Explorer, the program running in
; another session) is deleted at the next restart. Each registry entry goes
; with the file it names: App Paths and the shortcut with Ravlin.exe, the
; Cpls value with Quillset.cpl. While anything waits for the restart,
; uninstall.exe and the uninstall entry stay, and RunOnce runs the
; uninstaller once more at the first administrator's logon after the
; restart, which removes the rest.
Section "Uninstall"
  Delete /REBOOTOK "$INSTDIR\Ravlin.exe"
  Delete /REBOOTOK "$INSTDIR\ravlin64.exe"
  Delete /REBOOTOK "$INSTDIR\Quillset.cpl"
  Delete "$INSTDIR\Ravlin.exe.new"
  Delete "$INSTDIR\ravlin64.exe.new"
  Delete "$INSTDIR\Quillset.cpl.new"
  !include "${HTMLIST}.uninstall.nsh"

  ${IfNot} ${FileExists} "$INSTDIR\Ravlin.exe"
    Delete "${SHORTCUT}"
    DeleteRegKey HKLM "${APPPATHS}"
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\Quillset.cpl"
    DeleteRegValue HKLM "${CPLS}" "Quillset"
  ${EndIf}

  ${If} ${RebootFlag}
    WriteRegStr HKLM "${RUNONCE}" "${RUNONCE_NAME}" '"$INSTDIR\uninstall.exe" /S'
    SetErrorLevel ${REBOOT_REQUIRED}
    Return
  ${EndIf}

  Delete "$INSTDIR\uninstall.exe"
  ; From the install folder up to the outermost folder the installer
  ; created; nothing when it created none (the user chose an existing one).
  ReadRegStr $R9 HKLM "${UNINST}" "CreatedFolder"
  ${If} $R9 != ""
    StrCpy $R0 "$INSTDIR"
    ${Do}
      RMDir "$R0"
      ${If} $R0 == $R9
        ${Break}
      ${EndIf}
      ${GetParent} $R0 $R0
    ${LoopUntil} $R0 == ""
  ${EndIf}

  DeleteRegKey HKLM "${UNINST}"
  DeleteRegValue HKLM "${RUNONCE}" "${RUNONCE_NAME}"
SectionEnd

Function un.onUninstSuccess
  ${If} ${RebootFlag}
    MessageBox MB_YESNO|MB_ICONQUESTION "Some files of Ravlin are in use; they are removed when Windows restarts.$\n$\nRestart now?" /SD IDNO IDNO +2
    Reboot
  ${EndIf}
FunctionEnd
