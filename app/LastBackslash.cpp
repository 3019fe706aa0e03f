#include "LastBackslash.h"

namespace torvan {

std::string::size_type FindLastBackslash(const std::string& path, LeadBytePredicate isLeadByte) {
    std::string::size_type found = std::string::npos;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (isLeadByte && isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
            ++i;  // the trail byte belongs to this character
        else if (path[i] == '\\')
            found = i;
    }
    return found;
}

std::string TextAfterLastBackslash(const std::string& path, LeadBytePredicate isLeadByte) {
    std::string::size_type slash = FindLastBackslash(path, isLeadByte);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TextBeforeLastBackslash(const std::string& path, LeadBytePredicate isLeadByte) {
    std::string::size_type slash = FindLastBackslash(path, isLeadByte);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace torvan
