; Windows 11's first-level context menu. There Explorer shows only items of
; packaged apps, so the 64-bit installer registers the sparse package
; TorvanShell.msix with the install folder as its external location; the
; package names TorvanCommand in TorvanExt.dll. The classic handler keys are
; then left out, or "Show more options" would show the item twice. Should
; the registration fail, the classic keys go in after all and the installer
; says so. Windows 10 and older, and the 32-bit installer, keep the classic
; menu alone.
;
; build.sh passes DIST, the folder where TorvanShell.msix was built (and
; TorvanShell.cer, when its certificate is self-signed and so must be made
; trusted). A test build may pass FORCE_WINDOWS_BUILD to stand for the
; Windows build number the installer reads.

!define SPARSE_PACKAGE "TorvanShell.msix"
!define SPARSE_CERTIFICATE "TorvanShell.cer"
!define SPARSE_NAME "Torvan.ShellMenu"
!define FIRST_WINDOWS11_BUILD 22000
; Values of the uninstall entry: what the uninstaller must take away again.
!define SPARSE_REGISTERED_VALUE "SparsePackage"
!define CERTIFICATE_IMPORTED_VALUE "SparseCertificate"
!define SHCNE_ASSOCCHANGED 0x08000000
; Takes the certificate of the installed TorvanShell.cer out of TrustedPeople.
!define REMOVE_CERTIFICATE "$$c = New-Object Security.Cryptography.X509Certificates.X509Certificate2 \
  '$INSTDIR\${SPARSE_CERTIFICATE}'; Remove-Item ('Cert:\LocalMachine\TrustedPeople\' + $$c.Thumbprint)"

!define TEXT_WIN11_MENU "正在 Windows 11 的右键菜单中登记 Torvan……"
!define TEXT_WIN11_MENU_FAILED "无法在 Windows 11 的右键菜单中登记 Torvan，已改用“显示更多选项”中的经典菜单项。"

!if "${ARCH}" == "win64"
  !ifndef DIST
    !error "DIST must name the folder that holds ${SPARSE_PACKAGE}"
  !endif
  !if /FileExists "${DIST}/${SPARSE_CERTIFICATE}"
    !define SPARSE_SELF_SIGNED
  !endif
!endif

; Runs one PowerShell command, hidden, and waits for it. Pushes its exit
; code, or "error" when PowerShell could not be started.
!macro RunPowerShellFunction UN
Function ${UN}RunPowerShell
  Exch $0
  Push $1
  ClearErrors
  nsExec::Exec '"$SYSDIR\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -NonInteractive \
    -ExecutionPolicy Bypass -Command "$$ErrorActionPreference = $\'Stop$\'; $0"'
  Pop $1
  Exch
  Pop $0
  Exch $1
FunctionEnd
!macroend
!if "${ARCH}" == "win64"
  !insertmacro RunPowerShellFunction ""
!endif
!insertmacro RunPowerShellFunction "un."

; UN is "un." in the uninstaller.
!macro PowerShell UN COMMAND RESULT
  Push `${COMMAND}`
  Call ${UN}RunPowerShell
  Pop ${RESULT}
!macroend

!if "${ARCH}" == "win64"
; Pushes 1 on Windows 11 or later, else 0.
Function IsWindows11
  Push $0
!ifdef FORCE_WINDOWS_BUILD
  StrCpy $0 ${FORCE_WINDOWS_BUILD}
!else
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
!endif
  IntOp $0 $0 + 0  ; no number reads as 0
  ${If} $0 >= ${FIRST_WINDOWS11_BUILD}
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Exch $0
FunctionEnd

; Pushes "ok" when the package is registered.
Function InstallSparsePackage
  Push $0
  DetailPrint "${TEXT_WIN11_MENU}"
  SetOutPath "$INSTDIR"
  File "${DIST}/${SPARSE_PACKAGE}"
!ifdef SPARSE_SELF_SIGNED
  ; Each build signs with a certificate of its own: the one an earlier
  ; installation here trusted goes before the new one comes.
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${CERTIFICATE_IMPORTED_VALUE}"
  ${If} $0 == 1
  ${AndIf} ${FileExists} "$INSTDIR\${SPARSE_CERTIFICATE}"
    !insertmacro PowerShell "" "${REMOVE_CERTIFICATE}" $0
  ${EndIf}
  File "${DIST}/${SPARSE_CERTIFICATE}"
  !insertmacro PowerShell "" "Import-Certificate -FilePath '$INSTDIR\${SPARSE_CERTIFICATE}' \
    -CertStoreLocation Cert:\LocalMachine\TrustedPeople | Out-Null" $0
  ${If} $0 != 0
    Goto failed
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${CERTIFICATE_IMPORTED_VALUE}" 1
!endif
  ; An earlier registration (an upgrade in place) gives way to this one.
  !insertmacro PowerShell "" "Get-AppxPackage -Name '${SPARSE_NAME}' | Remove-AppxPackage; \
    Add-AppxPackage -Path '$INSTDIR\${SPARSE_PACKAGE}' -ExternalLocation '$INSTDIR'" $0
  ${If} $0 != 0
    Goto failed
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${SPARSE_REGISTERED_VALUE}" 1
  StrCpy $0 ok
  Exch $0
  Return
failed:
  StrCpy $0 failed
  Exch $0
FunctionEnd
!endif

; At the installer's hook for the context menu.
Function InstallExplorerMenu
  Push $0
!if "${ARCH}" == "win64"
  Call IsWindows11
  Pop $0
  ${If} $0 == 1
    Call InstallSparsePackage
    Pop $0
    ${If} $0 == ok
      ; An installation made before Windows was upgraded left classic keys.
      DeleteRegKey HKCR "${FILE_HANDLER_KEY}"
      DeleteRegKey HKCR "${FOLDER_HANDLER_KEY}"
      DeleteRegValue HKLM "${APPROVED_KEY}" "${CLSID}"
      System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
      Pop $0
      Return
    ${EndIf}
    DetailPrint "${TEXT_WIN11_MENU_FAILED}"
    MessageBox MB_ICONEXCLAMATION "${TEXT_WIN11_MENU_FAILED}" /SD IDOK
  ${EndIf}
!endif
  Pop $0
  Call InstallShellMenu
FunctionEnd

; At the uninstaller's hook, before TorvanExt.dll goes: Explorer's surrogate
; process may hold the DLL while the package is registered.
Function un.UninstallExplorerMenu
  Push $0
  Push $1
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${SPARSE_REGISTERED_VALUE}"
  ${If} $0 == 1
    !insertmacro PowerShell "un." "Get-AppxPackage -Name '${SPARSE_NAME}' | Remove-AppxPackage" $1
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
  ${EndIf}
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${CERTIFICATE_IMPORTED_VALUE}"
  ${If} $0 == 1
    !insertmacro PowerShell "un." "${REMOVE_CERTIFICATE}" $1
  ${EndIf}
  Delete "$INSTDIR\${SPARSE_PACKAGE}"
  Delete "$INSTDIR\${SPARSE_CERTIFICATE}"
  Pop $1
  Pop $0
  Call un.UninstallShellMenu
FunctionEnd
