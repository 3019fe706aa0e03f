#include "IntegrationRules.h"

#include "ProductAddress.h"

namespace torvan {

namespace {

const char kFolderHandlers[] = "Directory\\shellex\\ContextMenuHandlers";
const std::size_t kCommandLimit = 518;  // characters of the 520-byte command buffer
const std::size_t kMessageLimit = 1023;  // characters of the 1024-byte message buffer

const char kIntegrated[] = "恭喜!, Torvan 成功与 Explorer 集成!";
const char kIntegrationFailed[] = "不好意思，集成出了点问题，请看系统提示:\n\n";
const char kRemoved[] = "恭喜!, 缷载成功!";
const char kRemovalFailed[] = "不好意思，缷载出了点问题，请看系统提示:\n\n";

ResultMessage Outcome(bool succeeded, const char* success, const char* failure, const std::string& systemText) {
    if (succeeded) return {ResultIcon::Information, success};
    return {ResultIcon::Error, FirstCharacters(failure + systemText, kMessageLimit)};
}

}  // namespace

std::string FolderHandlerKey() { return std::string(kFolderHandlers) + "\\Torvan"; }

bool ProgramDirectory(const std::string& modulePath, const PathStyle& style, std::string& directory) {
    const std::string::size_type at = FindLastSeparator(modulePath, style);
    if (at == std::string::npos) return false;
    directory = modulePath.substr(0, at);
    return true;
}

std::string LibraryPath(const std::string& directory) { return directory + "\\" + kExtensionLibrary; }

bool RegistrationCommand(const std::string& directory, std::string& command) {
    std::string composed = "regsvr32 \"" + LibraryPath(directory) + "\"";
    if (composed.size() > kCommandLimit) return false;
    command = composed;
    return true;
}

ResultMessage IntegrationMessage(bool succeeded, const std::string& systemText) {
    return Outcome(succeeded, kIntegrated, kIntegrationFailed, systemText);
}

ResultMessage RemovalMessage(bool succeeded, const std::string& systemText) {
    return Outcome(succeeded, kRemoved, kRemovalFailed, systemText);
}

ResultMessage MissingLibraryMessage() {
    return {ResultIcon::Error,
            std::string("在程序运行的目录下找不到TorvanExt.dll，请到 ") + kDownloadPage + " 下载完整的程序!"};
}

std::string FirstCharacters(const std::string& utf8, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at < utf8.size(); ++n) {
        ++at;  // then over the continuation bytes of this character
        while (at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) ++at;
    }
    return utf8.substr(0, at);
}

}  // namespace torvan
