// Hand-made archives for tests, and a way to look inside a gzip one.
#pragma once

#include <string>

namespace torvan::test {

// Preamble for `count` files and the manifest's length, then the manifest
// and the payload, exactly as the format lays them out.
std::string PlainArchive(int count, const std::string& manifest, const std::string& payload);

// The whole input as one gzip stream.
std::string Gzip(const std::string& plain);

// The contents of a gzip file, or the file itself when it is not gzip.
std::string ReadExpanded(const std::string& path);

}  // namespace torvan::test
