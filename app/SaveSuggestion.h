// What the save dialog of a pack offers: a name made from the folder's own
// name, the extension that matches the gzip option, and the folder the
// packed folder lies in.
#pragma once

#include <string>

#include "LastBackslash.h"

namespace torvan {

struct SaveSuggestion {
    std::string defaultExtension;  // "dat.gz" or "dat", appended to a bare name
    std::string fileName;          // D:\www\site with gzip: "site.dat.gz"
    std::string filter;            // "gz files|*.gz|All files|*.*||"
    std::string initialFolder;     // D:\www; "" for a name without a backslash
};

SaveSuggestion SuggestArchive(const std::string& folder, bool gzip, LeadBytePredicate isLeadByte);

// The folder the browser's callback preselects: a text without any
// backslash gets one appended, so a bare drive such as C: names its root.
std::string PreselectedFolder(const std::string& initialFolder, LeadBytePredicate isLeadByte);

}  // namespace torvan
