// A sparse package: the manifest, its few payload files, the block map that
// Windows checks every payload byte against, and the content types, in the
// order Windows' package reader accepts.
#pragma once

#include <string>
#include <vector>

#include "ZipWriter.h"

namespace msix {

struct PayloadFile {
    std::string name;  // inside the package, "\" between folders: Assets\Logo.png
    Bytes data;
};

// The block map's text for the payload, each file with the size of its
// local header in `headerSizes` (same order): one SHA-256 per 64 KiB block
// of its bytes, and no block sizes, because every payload file is stored.
std::string BlockMapXml(const std::vector<PayloadFile>& payload, const std::vector<std::size_t>& headerSizes);

// The content types of the payload: an override for the manifest and the
// block map, a default for each other extension. False, with the reason,
// for an extension with no known type.
bool ContentTypesXml(const std::vector<PayloadFile>& payload, std::string& xml, std::string& why);

// Whether `name` is a payload name the package may hold: plain ASCII
// letters, digits, ".", "-", "_" and single "\" between non-empty parts,
// and none of the names the package writes itself.
bool IsPlainPayloadName(const std::string& name);

// The whole package: the payload stored in the given order, then
// AppxManifest.xml stored, AppxBlockMap.xml stored and [Content_Types].xml
// deflated (a signing tool that rewrites it keeps a deflated one intact).
// False, with the reason, when a name or an extension is refused.
bool BuildPackage(const std::string& manifest, const std::vector<PayloadFile>& payload, Bytes& package,
                  std::string& why);

}  // namespace msix
