; Torvan's Windows installer. build.sh beside this file runs makensis with:
;   ARCH     win64 (64-bit stub, x86_64 binaries) or win32 (32-bit stub, i686)
;   STAGE    the unpacked release zip of that architecture
;   ICON     Torvan.ico as the build generated it
;   OUTFILE  the installer to write
;   SIGN     the signing script, which signs the file it is given in place
;            (test builds, which never ship, leave it out)
;
; It installs what the zip holds into one folder, registers the Explorer
; extension with the rights an installer has, and leaves an entry in the
; system's list of programs whose uninstaller takes all of it away again.

Unicode true
!if "${ARCH}" == "win64"
  Target amd64-unicode
!else if "${ARCH}" == "win32"
  Target x86-unicode
!else
  !error "ARCH must be win64 or win32"
!endif
SetCompressor /SOLID lzma
; The same files make the same installer: no file times are stored.
SetDateSave off
!ifdef SIGN
  ; Signed before it goes in, so that the installed uninstaller is signed too.
  !uninstfinalize 'bash "${SIGN}" "%1"' = 0
  !finalize 'bash "${SIGN}" "%1"' = 0
!endif

; One version for the whole tree, and the class the extension registers,
; both read from the sources that the binaries are built from (makensis
; works in the folder of this script).
!define /file VERSION "../../VERSION"
!searchparse /file "../PackMenuClsid.h" '#define PACKMENU_CLSID_TEXT "' CLSID '"'

!define PRODUCT "Torvan"
!define PUBLISHER "Torvan 项目"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Torvan"
!define UNINSTALLER "uninstall.exe"

!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "MUI2.nsh"
!include "Texts.nsh"

; Stops the installation with a box (in silent mode only the exit code).
!macro Fail TEXT
  MessageBox MB_ICONSTOP "${TEXT}" /SD IDOK
  SetErrorLevel 2
  Abort "${TEXT}"
!macroend

!include "Binaries.nsh"
!include "ShellMenu.nsh"
!include "Win11Menu.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "win64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An installation that exists already is upgraded where it lies.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
; A file that cannot be written stops the installation; skipping it would
; leave a half-installed program that claims to be whole.
AllowSkipFiles off
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Torvan.exe"
; The second box of the finish page asks for the desktop shortcut.
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_TEXT "${TEXT_DESKTOP_SHORTCUT}"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION CreateDesktopShortcut
; Shown instead of the boxes when a held file waits for the restart.
!define MUI_FINISHPAGE_TEXT_REBOOT "${TEXT_INSTALL_REBOOT}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT_REBOOT "${TEXT_UNINSTALL_REBOOT}"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${TEXT_FILE_DESCRIPTION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "版权所有 (C) 2026 ${PUBLISHER}"

Function .onInit
!if "${ARCH}" == "win32"
  ; A 64-bit Explorer loads only a 64-bit extension: on such a system this
  ; installer would install a context menu that never appears.
  ${If} ${RunningX64}
    MessageBox MB_ICONSTOP "${TEXT_USE_WIN64}" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!else
  SetRegView 64
!endif
FunctionEnd

; An earlier installation in another folder is removed by its own
; uninstaller first, so that one installation and one entry remain.
Function RemoveOtherInstallation
  Push $0
  Push $1
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    DetailPrint "${TEXT_REMOVING_OLD} $0"
    ClearErrors
    ; _?= keeps the uninstaller in place, so that ExecWait waits for it.
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $1
    ${If} ${Errors}
    ${OrIf} $1 != 0
      !insertmacro Fail "${TEXT_OLD_NOT_REMOVED} $0"
    ${EndIf}
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

Function RegisterExtension
  ClearErrors
  RegDLL "$INSTDIR\TorvanExt.dll"
  ${If} ${Errors}
    !insertmacro Fail "${TEXT_REGISTRATION_FAILED}"
  ${EndIf}
FunctionEnd

Function WriteUninstallEntry
  Push $0
  Push $1
  Push $2
  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Torvan.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${If} ${Errors}
    !insertmacro Fail "${TEXT_ENTRY_FAILED}"
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function CreateDesktopShortcut
  SetShellVarContext all
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Torvan.exe"
FunctionEnd

Section
  SetShellVarContext all
  Call RemoveOtherInstallation

  SetOutPath "$INSTDIR"
  !insertmacro PutBinary "Torvan.exe" "Torvan.exe"
  !insertmacro PutBinary "TorvanExt.dll" "TorvanExt.dll"
  File "${STAGE}/README.txt"
  SetOutPath "$INSTDIR\console"
  !insertmacro PutBinary "console/torvan.exe" "torvan.exe"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; The entry comes before the registration, so that whatever fails
  ; after it can still be taken away from the list of programs.
  Call WriteUninstallEntry
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Torvan.exe"

  Call RegisterExtension
  Call InstallExplorerMenu

  ${If} ${RebootFlag}
    DetailPrint "${TEXT_OLD_LIBRARY_AT_RESTART}"
  ${EndIf}
SectionEnd

Function un.onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
FunctionEnd

Section Uninstall
  SetShellVarContext all
  Call un.UninstallExplorerMenu
  ClearErrors
  UnRegDLL "$INSTDIR\TorvanExt.dll"
  ${If} ${Errors}
    ; The rest still goes; the exit code tells a silent caller.
    DetailPrint "${TEXT_UNREGISTRATION_FAILED}"
    SetErrorLevel 2
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  !insertmacro DeleteBinary "$INSTDIR\Torvan.exe"
  !insertmacro DeleteBinary "$INSTDIR\TorvanExt.dll"
  !insertmacro DeleteBinary "$INSTDIR\console\torvan.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only empty folders go: files the user put there stay, and the folder
  ; with them.
  RMDir "$INSTDIR\console"
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
