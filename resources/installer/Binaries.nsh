; Program files that a running process may hold: Explorer keeps the
; extension loaded as long as it runs, and Torvan.exe may be open.

; Puts ${SOURCE} from the staged zip at $OUTDIR\${TARGET}. A held file
; cannot be overwritten or deleted, but Windows lets it be renamed: it moves
; aside and goes at the next restart, while the new one is in place at once
; (Explorer takes it up when it starts again).
!macro PutBinary SOURCE TARGET
  Push "$OUTDIR\${TARGET}"
  Call MoveAsideIfHeld
  File "/oname=${TARGET}" "${STAGE}/${SOURCE}"
!macroend

Function MoveAsideIfHeld
  Exch $0
  Push $1
  ${If} ${FileExists} $0
    ClearErrors
    Delete $0
    ${If} ${Errors}
      GetTempFileName $1 "$OUTDIR"
      Delete $1
      Rename $0 $1
      Delete /REBOOTOK $1
      DetailPrint "$(^Name): $0 ${TEXT_HELD_REPLACED}"
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Deletes a program file now, or at the next restart while it is held.
!macro DeleteBinary PATH
  ClearErrors
  Delete "${PATH}"
  ${If} ${Errors}
    Delete /REBOOTOK "${PATH}"
    DetailPrint "${PATH} ${TEXT_HELD_AT_RESTART}"
  ${EndIf}
!macroend
