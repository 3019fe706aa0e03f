// What Windows 11's menu hands a command: an IShellItemArray. Here it becomes
// what the menu rules and the launch take, the first item's ANSI path.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <string>

#include "PackMenuRules.h"

// The first item of `items`: its file-system path in the system's ANSI code
// page and whether it is a folder (a zip file, which the shell also shows as
// a folder, is not). False for no item, an item that is no file-system
// object, or a path the code page cannot spell or Torvan's fixed path
// buffers cannot hold: Torvan would then be started on another path.
bool ReadFirstSelected(IShellItemArray* items, std::string& ansiPath, bool& folder);

// Which item the selection gets, from the path text and the attributes the
// shell already holds for the item: no disk access, never a wait.
torvan::MenuItem ChooseForSelection(IShellItemArray* items);
