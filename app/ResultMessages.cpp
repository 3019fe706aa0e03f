#include "ResultMessages.h"

#include <cstdio>

namespace torvan {

namespace {

// The result texts, in the printf shapes that the boxes have always used.
const char kPackSucceeded[] = "恭喜，成功将 %d 个文件压缩成 \"%s\" 文件！";
const char kUnpackFailed[] = "解压失败!可能原因有：\n1, 无效的文件格式或文件被损坏!\n2, 目标文件夹下存在同名的文件，使得程序无法正确创建文件夹!";
const char kUnpackSucceeded[] = "解压成功! 成功将 %d 个文件解压到 \"%s\" 目录下!";
const char kUnpackPartial[] = "有错误! 发现 %d 个文件不能正常解压，\n可能该文件已经存在(并具有只读的属性)，请将目标文件夹清空后，再行解压\n\n正确解压文件: %d 个文件解压到 \"%s\" 目录下!";

// Fills a printf shape whose only %s is a path of any length: the numbers
// go through snprintf, the path is spliced in as it is, so no buffer limits
// or truncates it and a '%' inside the path is never read as a directive.
std::string FormatWithPath(const char* shape, int first, int second, bool twoNumbers,
                           const std::string& path) {
    std::string text(shape);
    size_t slot = text.find("%s");
    std::string head = text.substr(0, slot);
    std::string tail = slot == std::string::npos ? std::string() : text.substr(slot + 2);
    char buffer[1024];
    if (twoNumbers)
        std::snprintf(buffer, sizeof buffer, head.c_str(), first, second);
    else
        std::snprintf(buffer, sizeof buffer, head.c_str(), first);
    return std::string(buffer) + path + tail;
}

}  // namespace

ResultMessage PackSucceededMessage(int fileCount, const std::string& archive) {
    return {ResultIcon::Information, FormatWithPath(kPackSucceeded, fileCount, 0, false, archive)};
}

ResultMessage UnpackResultMessage(int extracted, int failed, const std::string& destination) {
    // Decided on extracted first: nothing written is a failure whatever the
    // failed count says.
    if (extracted <= 0) return {ResultIcon::Error, kUnpackFailed};
    if (failed <= 0)
        return {ResultIcon::Information, FormatWithPath(kUnpackSucceeded, extracted, 0, false, destination)};
    return {ResultIcon::Warning, FormatWithPath(kUnpackPartial, failed, extracted, true, destination)};
}

}  // namespace torvan
