// Resource ids of TorvanExt.dll. The numbers are fixed: the registrar, the
// type-library registration and the menu handler find their resources by them.
#pragma once

#define IDR_PACKMENU 101     // REGISTRY: the registrar script
#define IDS_HELP_TEXT 101    // the menu item's help text
#define IDB_MENU_ITEM 202    // the menu item's 12 x 12 picture
#define IDI_COMMAND 203      // the same picture as an icon, for Windows 11's menu
#define IDR_TYPELIB 1        // TYPELIB, generated from TorvanExt.idl
#define IDR_VERSION 1        // VERSIONINFO
