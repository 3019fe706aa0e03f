// What the program says, as the tests expect to read it (UTF-8 here, wide
// on screen).
#pragma once

namespace texts {

constexpr char kSaveTitle[] = "另存为 - 请确定压缩后文件的存放位置及文件名：";
constexpr char kAskFolderToPack[] = "选择要压缩的文件夹：";
constexpr char kAskDestination[] = "选择解压的目的地，即解压到哪个目录下：";
constexpr char kNoFolderChosen[] = "请先选择要压缩的文件夹!";
constexpr char kFolderMissing[] = "要压缩的文件夹不存在!";
constexpr char kArchiveMissing[] = "要解压的文件不存在!";
constexpr char kOperationFailed[] = "操作失败!";
constexpr char kOperationRunning[] = "操作正在进行，请稍等...";
constexpr char kUnpackFailed[] =
    "解压失败!可能原因有：\n1, 无效的文件格式或文件被损坏!\n2, 目标文件夹下存在同名的文件，使得程序无法正确创建文件夹!";

}  // namespace texts
