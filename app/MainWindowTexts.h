// The main window's own words, UTF-8. Titles of the platform's dialogs and
// the refusals; the workers' result texts are in ResultMessages.cpp.
#pragma once

namespace torvan {

constexpr char kAskFolderToPack[] = "选择要压缩的文件夹：";
constexpr char kAskDestination[] = "选择解压的目的地，即解压到哪个目录下：";
constexpr char kAskArchivePath[] = "另存为 - 请确定压缩后文件的存放位置及文件名：";
constexpr char kArchiveFilter[] = "gz files|*.gz|dat files|*.dat|All files|*.*||";

constexpr char kNoFolderChosen[] = "请先选择要压缩的文件夹!";
constexpr char kFolderMissing[] = "要压缩的文件夹不存在!";
constexpr char kArchiveMissing[] = "要解压的文件不存在!";
constexpr char kOperationFailed[] = "操作失败!";
constexpr char kOperationRunning[] = "操作正在进行，请稍等...";

}  // namespace torvan
