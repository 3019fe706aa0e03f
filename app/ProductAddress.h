// Where the program's own web pages are: the About box links to the first,
// and the integration dialog sends users to the second for a missing file.
#pragma once

namespace torvan {

constexpr char kProductWebAddress[] = "http://www.torvan.example/";
constexpr char kDownloadPage[] = "http://www.torvan.example/download/";

}  // namespace torvan
