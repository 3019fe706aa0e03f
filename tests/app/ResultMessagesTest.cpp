#include "ResultMessages.h"

#include <gtest/gtest.h>

using torvan::ResultIcon;
using torvan::UnpackResultMessage;

TEST(ResultMessages, PackSuccessNamesCountAndArchive) {
    auto message = torvan::PackSucceededMessage(25, "D:\\www\\site.dat.gz");
    EXPECT_EQ(message.icon, ResultIcon::Information);
    EXPECT_EQ(message.text, "恭喜，成功将 25 个文件压缩成 \"D:\\www\\site.dat.gz\" 文件！");
}

TEST(ResultMessages, UnpackOutcomeIsChosenOnExtractedFirst) {
    const std::string failedText =
        "解压失败!可能原因有：\n1, 无效的文件格式或文件被损坏!\n"
        "2, 目标文件夹下存在同名的文件，使得程序无法正确创建文件夹!";
    // Nothing extracted is a failure whatever the failed count says.
    for (int failed : {0, 1, 7}) {
        auto message = UnpackResultMessage(0, failed, "C:\\out");
        EXPECT_EQ(message.icon, ResultIcon::Error) << failed;
        EXPECT_EQ(message.text, failedText) << failed;
    }

    auto success = UnpackResultMessage(12, 0, "C:\\out");
    EXPECT_EQ(success.icon, ResultIcon::Information);
    EXPECT_EQ(success.text, "解压成功! 成功将 12 个文件解压到 \"C:\\out\" 目录下!");

    // Failed count first, extracted second.
    auto partial = UnpackResultMessage(9, 3, "C:\\out");
    EXPECT_EQ(partial.icon, ResultIcon::Warning);
    EXPECT_EQ(partial.text,
              "有错误! 发现 3 个文件不能正常解压，\n可能该文件已经存在(并具有只读的属性)，"
              "请将目标文件夹清空后，再行解压\n\n正确解压文件: 9 个文件解压到 \"C:\\out\" 目录下!");
}

TEST(ResultMessages, PathsAreSplicedVerbatimWhateverTheyHold) {
    // A '%' in a folder name is text, not a directive; a long path is whole.
    auto percent = UnpackResultMessage(1, 0, "C:\\100%s %d\\x");
    EXPECT_EQ(percent.text, "解压成功! 成功将 1 个文件解压到 \"C:\\100%s %d\\x\" 目录下!");

    std::string longPath = "C:\\" + std::string(5000, 'a');
    auto longMessage = torvan::PackSucceededMessage(3, longPath);
    EXPECT_NE(longMessage.text.find(longPath + "\" 文件！"), std::string::npos);
}
