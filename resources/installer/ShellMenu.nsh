; The context-menu item. InstallShellMenu runs once the extension's class is
; registered and UninstallShellMenu before it is unregistered; they write and
; remove the same two handler keys as the program's "集成" command, and the
; entry that lets Explorer load the class where only approved extensions run.

!define FILE_HANDLER_KEY "*\shellex\ContextMenuHandlers\Torvan"
!define FOLDER_HANDLER_KEY "Directory\shellex\ContextMenuHandlers\Torvan"
!define SHELL_EXTENSIONS_KEY "Software\Microsoft\Windows\CurrentVersion\Shell Extensions"
!define APPROVED_KEY "${SHELL_EXTENSIONS_KEY}\Approved"

; The keys above ours, deepest first. Windows has them all; a young system
; may not, and then they are the installer's to take away again. Which ones
; it created is noted in the uninstall entry, so an upgrade keeps the note.
!macro ForEachParentKey DO
  !insertmacro ${DO} HKCR "*\shellex\ContextMenuHandlers" CreatedFileHandlersKey
  !insertmacro ${DO} HKCR "*\shellex" CreatedFileShellexKey
  !insertmacro ${DO} HKCR "*" CreatedFileClassKey
  !insertmacro ${DO} HKCR "Directory\shellex\ContextMenuHandlers" CreatedFolderHandlersKey
  !insertmacro ${DO} HKCR "Directory\shellex" CreatedFolderShellexKey
  !insertmacro ${DO} HKCR "Directory" CreatedFolderClassKey
  !insertmacro ${DO} HKLM "${APPROVED_KEY}" CreatedApprovedKey
  !insertmacro ${DO} HKLM "${SHELL_EXTENSIONS_KEY}" CreatedShellExtensionsKey
!macroend

; EnumRegKey fails only on a key that is not there (an empty key gives "").
!macro NoteIfMissing ROOT KEY NOTE
  ClearErrors
  EnumRegKey $0 ${ROOT} "${KEY}" 0
  ${If} ${Errors}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${NOTE}" 1
  ${EndIf}
!macroend

!macro DeleteIfNoted ROOT KEY NOTE
  ClearErrors
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${NOTE}"
  ${IfNot} ${Errors}
  ${AndIf} $0 = 1
    DeleteRegKey /ifempty ${ROOT} "${KEY}"
  ${EndIf}
!macroend

Function InstallShellMenu
  Push $0
  !insertmacro ForEachParentKey NoteIfMissing
  ClearErrors
  WriteRegStr HKCR "${FILE_HANDLER_KEY}" "" "${CLSID}"
  WriteRegStr HKCR "${FOLDER_HANDLER_KEY}" "" "${CLSID}"
  WriteRegStr HKLM "${APPROVED_KEY}" "${CLSID}" "${PRODUCT}"
  ${If} ${Errors}
    !insertmacro Fail "${TEXT_MENU_FAILED}"
  ${EndIf}
  Pop $0
FunctionEnd

Function un.UninstallShellMenu
  Push $0
  DeleteRegKey HKCR "${FILE_HANDLER_KEY}"
  DeleteRegKey HKCR "${FOLDER_HANDLER_KEY}"
  DeleteRegValue HKLM "${APPROVED_KEY}" "${CLSID}"
  !insertmacro ForEachParentKey DeleteIfNoted
  Pop $0
FunctionEnd
