; What the installer and the uninstaller say beyond the Modern UI's own
; Simplified-Chinese pages.
!define TEXT_FILE_DESCRIPTION "Torvan 安装程序"
!define TEXT_DESKTOP_SHORTCUT "在桌面上创建快捷方式"
!define TEXT_USE_WIN64 "这是 64 位的 Windows，请使用 Torvan-${VERSION}-setup-win64.exe 安装 Torvan。$\r$\n$\r$\n64 位的资源管理器只能加载 64 位的右键菜单扩展。"
!define TEXT_REMOVING_OLD "正在卸载以前安装的 Torvan："
!define TEXT_OLD_NOT_REMOVED "无法卸载以前安装的 Torvan，安装已中止："
!define TEXT_REGISTRATION_FAILED "无法注册资源管理器扩展 TorvanExt.dll，右键菜单不能使用。安装已中止。"
!define TEXT_MENU_FAILED "无法写入资源管理器右键菜单的注册表项。安装已中止。"
!define TEXT_ENTRY_FAILED "无法在“程序和功能”中登记 Torvan。安装已中止。"
!define TEXT_UNREGISTRATION_FAILED "无法注销资源管理器扩展 TorvanExt.dll。"
!define TEXT_HELD_REPLACED "正被使用，已换成新版本；旧文件将在重新启动后删除。"
!define TEXT_HELD_AT_RESTART "正被资源管理器使用，将在重新启动后删除。"
!define TEXT_OLD_LIBRARY_AT_RESTART "资源管理器重新启动后才会使用新的右键菜单扩展。"
