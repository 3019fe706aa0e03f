#include "Package.h"

#include <cctype>
#include <map>

#include "Sha256.h"

namespace msix {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
const char kManifestName[] = "AppxManifest.xml";
const char kBlockMapName[] = "AppxBlockMap.xml";
const char kContentTypesName[] = "[Content_Types].xml";

std::string ZipName(const std::string& name) {
    std::string zip = name;
    for (char& c : zip)
        if (c == '\\') c = '/';
    return zip;
}

std::string Extension(const std::string& name) {
    std::size_t dot = name.rfind('.');
    std::size_t slash = name.rfind('\\');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

bool IsPlainPayloadName(const std::string& name) {
    if (name.empty() || name.front() == '\\' || name.back() == '\\') return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                     c == '-' || c == '_' || c == '\\';
        if (!plain || (c == '\\' && name[i + 1] == '\\')) return false;
    }
    for (const char* own : {kManifestName, kBlockMapName, kContentTypesName, "AppxSignature.p7x"})
        if (SameIgnoringCase(name, own)) return false;
    return name.find("..") == std::string::npos;
}

std::string BlockMapXml(const std::vector<PayloadFile>& payload, const std::vector<std::size_t>& headerSizes) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
        "<BlockMap xmlns=\"http://schemas.microsoft.com/appx/2010/blockmap\" "
        "HashMethod=\"http://www.w3.org/2001/04/xmlenc#sha256\">";
    for (std::size_t i = 0; i < payload.size(); ++i) {
        const Bytes& data = payload[i].data;
        xml += "<File Name=\"" + payload[i].name + "\" Size=\"" + std::to_string(data.size()) + "\" LfhSize=\"" +
               std::to_string(headerSizes[i]) + "\">";
        for (std::size_t at = 0; at < data.size(); at += kBlockSize) {
            std::size_t length = data.size() - at < kBlockSize ? data.size() - at : kBlockSize;
            Sha256Digest digest = Sha256(data.data() + at, length);
            xml += "<Block Hash=\"" + Base64(digest.data(), digest.size()) + "\"/>";
        }
        xml += "</File>";
    }
    return xml + "</BlockMap>";
}

bool ContentTypesXml(const std::vector<PayloadFile>& payload, std::string& xml, std::string& why) {
    static const std::map<std::string, std::string> kTypes = {
        {"png", "image/png"},     {"jpg", "image/jpeg"},     {"ico", "image/vnd.microsoft.icon"},
        {"txt", "text/plain"},    {"xml", "application/xml"}, {"dll", "application/x-msdownload"},
        {"exe", "application/x-msdownload"}};
    std::map<std::string, std::string> defaults;
    for (const PayloadFile& file : payload) {
        if (file.name == kManifestName) continue;
        std::string extension = Extension(file.name);
        auto type = kTypes.find(extension);
        if (type == kTypes.end()) {
            why = file.name + ": no content type is known for its extension";
            return false;
        }
        defaults[extension] = type->second;
    }
    xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
          "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
    for (const auto& type : defaults)
        xml += "<Default Extension=\"" + type.first + "\" ContentType=\"" + type.second + "\"/>";
    xml += "<Override PartName=\"/AppxManifest.xml\" ContentType=\"application/vnd.ms-appx.manifest+xml\"/>"
           "<Override PartName=\"/AppxBlockMap.xml\" ContentType=\"application/vnd.ms-appx.blockmap+xml\"/>"
           "</Types>";
    return true;
}

bool BuildPackage(const std::string& manifest, const std::vector<PayloadFile>& payload, Bytes& package,
                  std::string& why) {
    for (const PayloadFile& file : payload) {
        if (!IsPlainPayloadName(file.name)) {
            why = "'" + file.name + "': payload names are plain ASCII parts joined by \\";
            return false;
        }
    }
    // The manifest is payload too: the block map covers its bytes.
    std::vector<PayloadFile> files = payload;
    files.push_back({kManifestName, Bytes(manifest.begin(), manifest.end())});
    std::string contentTypes;
    if (!ContentTypesXml(files, contentTypes, why)) return false;

    ZipWriter zip;
    std::vector<std::size_t> headerSizes;
    for (const PayloadFile& file : files) headerSizes.push_back(zip.Add(ZipName(file.name), file.data, false));
    std::string blockMap = BlockMapXml(files, headerSizes);
    zip.Add(kBlockMapName, Bytes(blockMap.begin(), blockMap.end()), false);
    zip.Add(kContentTypesName, Bytes(contentTypes.begin(), contentTypes.end()), true);
    package = zip.Finish();
    return true;
}

}  // namespace msix
