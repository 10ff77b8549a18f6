; Finds a running Ravlin before anything is installed or removed: the
; program holds the mutex "Local\TarnRavlinInstance" while it runs, and its
; window is captioned "Modem Diagnostic Tool". Either one counts.
;   !insertmacro RAVLIN_CLOSED_CHECK ""     defines EnsureRavlinClosed
;   !insertmacro RAVLIN_CLOSED_CHECK "un."  defines un.EnsureRavlinClosed
; EnsureRavlinClosed asks the user to close the program (Retry, Cancel); on
; Cancel, and at once in silent mode, the setup ends with exit code 2 before
; it has changed anything.

!define /ifndef SYNCHRONIZE 0x00100000

!macro RAVLIN_CLOSED_CHECK UN
Function ${UN}RavlinRunning
  StrCpy $R0 0
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "Local\TarnRavlinInstance") p .R1'
  ${If} $R1 P<> 0
    System::Call 'kernel32::CloseHandle(p R1)'
    StrCpy $R0 1
  ${EndIf}
  FindWindow $R1 "" "Modem Diagnostic Tool"
  ${If} $R1 P<> 0
    StrCpy $R0 1
  ${EndIf}
FunctionEnd

Function ${UN}EnsureRavlinClosed
  ${Do}
    Call ${UN}RavlinRunning
    ${If} $R0 = 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "The Modem Diagnostic Tool is running.$\n$\nClose it, then click Retry. Cancel ends the setup without changing anything." /SD IDCANCEL IDRETRY +3
    SetErrorLevel 2
    Quit
  ${Loop}
FunctionEnd
!macroend
