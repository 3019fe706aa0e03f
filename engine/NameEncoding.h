// Which encoding an archive's names are in, found from the names alone.
// The format carries no mark of it: a Chinese Windows desktop writes GBK,
// a Linux server UTF-8, and many byte strings are valid in both.
#pragma once

#include <string>
#include <vector>

namespace torvan {

enum class NameEncoding {
    Ascii,     // nothing to decide: every reading agrees
    Utf8,
    Gbk,
    Unknown,   // neither reading holds: the bytes are kept as they are
};

// One decision for all the names of an archive, so that a site never comes
// out half in one encoding and half in the other. UTF-8 when every name is
// strict UTF-8 and reads as characters real names use; GBK when every name
// is GBK and the UTF-8 reading is gibberish or too thin to trust against a
// reading as common hanzi; UTF-8 again when it is the only valid reading.
NameEncoding GuessNameEncoding(const std::vector<std::string>& names);

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsStrictUtf8(const std::string& bytes);

// "UTF-8", "GBK", or what the names are when neither.
const char* NameEncodingText(NameEncoding encoding);

}  // namespace torvan
