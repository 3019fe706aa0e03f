// What the Explorer integration writes and says, worked out without any
// window: the handler keys, the registration command for the extension
// beside the program, and the message each outcome shows.
#pragma once

#include <string>

#include "PathText.h"
#include "ResultMessages.h"

namespace torvan {

constexpr char kExtensionLibrary[] = "TorvanExt.dll";
// Under HKEY_CLASSES_ROOT: every file object, and every folder.
constexpr char kFileObjectHandlerKey[] = "*\\shellex\\ContextMenuHandlers\\Torvan";
std::string FolderHandlerKey();

// The program's directory from its module path, without the trailing
// backslash; false when the path has no backslash at all.
bool ProgramDirectory(const std::string& modulePath, const PathStyle& style, std::string& directory);

// directory\TorvanExt.dll
std::string LibraryPath(const std::string& directory);

// regsvr32 "directory\TorvanExt.dll"; false when it would not fit the
// command buffer (a cut-short command would register something else).
bool RegistrationCommand(const std::string& directory, std::string& command);

ResultMessage IntegrationMessage(bool succeeded, const std::string& systemText);
ResultMessage RemovalMessage(bool succeeded, const std::string& systemText);
ResultMessage MissingLibraryMessage();

// The first `count` characters of a UTF-8 text (never half a character).
std::string FirstCharacters(const std::string& utf8, std::size_t count);

}  // namespace torvan
