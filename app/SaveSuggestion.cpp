#include "SaveSuggestion.h"

namespace torvan {

SaveSuggestion SuggestArchive(const std::string& folder, bool gzip, LeadBytePredicate isLeadByte) {
    SaveSuggestion suggestion;
    suggestion.defaultExtension = gzip ? "dat.gz" : "dat";
    const std::string filterExtension = gzip ? "gz" : "dat";
    suggestion.fileName = TextAfterLastBackslash(folder, isLeadByte) + "." + suggestion.defaultExtension;
    suggestion.filter = filterExtension + " files|*." + filterExtension + "|All files|*.*||";
    suggestion.initialFolder = TextBeforeLastBackslash(folder, isLeadByte);
    return suggestion;
}

std::string PreselectedFolder(const std::string& initialFolder, LeadBytePredicate isLeadByte) {
    if (FindLastBackslash(initialFolder, isLeadByte) != std::string::npos) return initialFolder;
    return initialFolder + "\\";
}

}  // namespace torvan
