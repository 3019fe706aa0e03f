; The context-menu item. InstallShellMenu runs once the extension's class is
; registered and UninstallShellMenu before it is unregistered; they write and
; remove the same two handler keys as the program's "集成" command, and the
; entry that lets Explorer load the class where only approved extensions run.

!define FILE_HANDLER_KEY "*\shellex\ContextMenuHandlers\Torvan"
!define FOLDER_HANDLER_KEY "Directory\shellex\ContextMenuHandlers\Torvan"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved"

Function InstallShellMenu
  ClearErrors
  WriteRegStr HKCR "${FILE_HANDLER_KEY}" "" "${CLSID}"
  WriteRegStr HKCR "${FOLDER_HANDLER_KEY}" "" "${CLSID}"
  WriteRegStr HKLM "${APPROVED_KEY}" "${CLSID}" "${PRODUCT}"
  ${If} ${Errors}
    !insertmacro Fail "${TEXT_MENU_FAILED}"
  ${EndIf}
FunctionEnd

; Removes a handler key and those of its parents that held nothing else
; (a fresh system may not have had them).
!macro DeleteHandlerKey KEY PARENT GRANDPARENT
  DeleteRegKey HKCR "${KEY}"
  DeleteRegKey /ifempty HKCR "${PARENT}"
  DeleteRegKey /ifempty HKCR "${GRANDPARENT}"
!macroend

Function un.UninstallShellMenu
  !insertmacro DeleteHandlerKey "${FILE_HANDLER_KEY}" "*\shellex\ContextMenuHandlers" "*\shellex"
  !insertmacro DeleteHandlerKey "${FOLDER_HANDLER_KEY}" "Directory\shellex\ContextMenuHandlers" "Directory\shellex"
  DeleteRegValue HKLM "${APPROVED_KEY}" "${CLSID}"
  DeleteRegKey /ifempty HKLM "${APPROVED_KEY}"
FunctionEnd
