#include <gtest/gtest.h>

#include <cstring>

#include "Package.h"
#include "Sha256.h"

namespace {

using msix::Bytes;

std::string Hex(const msix::Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : digest) text += {kDigits[byte >> 4], kDigits[byte & 15]};
    return text;
}

msix::Sha256Digest Digest(const std::string& text) {
    return msix::Sha256(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::uint32_t Le(const Bytes& data, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | data[at + i];
    return value;
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(MsixPack, Sha256AndBase64MatchTheirStandardVectors) {
    EXPECT_EQ(Hex(Digest("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hex(Digest("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first padded block.
    EXPECT_EQ(Hex(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    const std::uint8_t bytes[] = {'f', 'o', 'o', 'b', 'a', 'r'};
    EXPECT_EQ(msix::Base64(bytes, 6), "Zm9vYmFy");
    EXPECT_EQ(msix::Base64(bytes, 5), "Zm9vYmE=");
    EXPECT_EQ(msix::Base64(bytes, 4), "Zm9vYg==");
}

TEST(MsixPack, TheBlockMapHasOneHashPer64KiBAndNoBlockSizes) {
    std::vector<msix::PayloadFile> files = {
        {"Assets\\Empty.png", {}}, {"A.png", Bytes(65536, 'a')}, {"B.png", Bytes(65537, 'b')}};
    std::string xml = msix::BlockMapXml(files, {46, 35, 35});
    EXPECT_NE(xml.find("<File Name=\"Assets\\Empty.png\" Size=\"0\" LfhSize=\"46\"></File>"), std::string::npos);
    EXPECT_EQ(Count(xml, "<Block "), 3);
    EXPECT_EQ(Count(xml, " Size=\""), 3);  // the files' own, none on a block
    msix::Sha256Digest lastBlock = msix::Sha256(reinterpret_cast<const std::uint8_t*>("b"), 1);
    EXPECT_NE(xml.find(msix::Base64(lastBlock.data(), lastBlock.size())), std::string::npos);
}

TEST(MsixPack, OnlyPlainNamesAndKnownTypesArePacked) {
    for (const char* name : {"Assets\\Logo.png", "Logo.png", "a-b_c.1.png"})
        EXPECT_TRUE(msix::IsPlainPayloadName(name)) << name;
    for (const char* name : {"", "\\Logo.png", "Assets\\", "Assets\\\\Logo.png", "Assets/Logo.png", "L o.png",
                             "L\xC3\xB6go.png", "..\\x.png", "appxmanifest.XML", "AppxSignature.p7x",
                             "[Content_Types].xml"})
        EXPECT_FALSE(msix::IsPlainPayloadName(name)) << name;
    Bytes package;
    std::string why;
    EXPECT_FALSE(msix::BuildPackage("<Package/>", {{"Logo.xyz", {1}}}, package, why));
    EXPECT_NE(why.find("Logo.xyz"), std::string::npos);
    EXPECT_FALSE(msix::BuildPackage("<Package/>", {{"Assets/Logo.png", {1}}}, package, why));
}

TEST(MsixPack, PartsComeInOrderStoredButTheContentTypesDeflated) {
    Bytes package;
    std::string why;
    ASSERT_TRUE(msix::BuildPackage("<Package/>", {{"Assets\\Logo.png", Bytes(70000, 7)}}, package, why)) << why;
    struct Part {
        std::string name;
        std::uint32_t method, flags, needed;
    };
    std::vector<Part> parts;
    std::size_t at = 0;
    while (Le(package, at, 4) == 0x04034b50) {
        std::uint32_t nameLength = Le(package, at + 26, 2);
        parts.push_back({std::string(package.begin() + at + 30, package.begin() + at + 30 + nameLength),
                         Le(package, at + 8, 2), Le(package, at + 6, 2), Le(package, at + 4, 2)});
        at += 30 + nameLength + Le(package, at + 28, 2) + Le(package, at + 18, 4);
    }
    ASSERT_EQ(parts.size(), 4u);
    const char* names[] = {"Assets/Logo.png", "AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(parts[i].name, names[i]);
        EXPECT_EQ(parts[i].method, i == 3 ? 8u : 0u) << names[i];
        EXPECT_EQ(parts[i].flags, 0u) << names[i];
        EXPECT_EQ(parts[i].needed, 20u) << names[i];
    }
    // The central directory follows the records; the end records close it.
    EXPECT_EQ(Le(package, at, 4), 0x02014b50u);
    ASSERT_GE(package.size(), 22u + 20u + 56u);
    std::size_t end = package.size() - 22;
    EXPECT_EQ(Le(package, end, 4), 0x06054b50u);
    EXPECT_EQ(Le(package, end - 20, 4), 0x07064b50u);
    EXPECT_EQ(Le(package, end - 20 - 56, 4), 0x06064b50u);
    EXPECT_EQ(Le(package, end + 20, 2), 0u);  // no comment
}
