#include "RegistryScript.h"

#include <gtest/gtest.h>

namespace {

using torvan::ScriptKey;
using torvan::ScriptRoot;

std::vector<ScriptRoot> Parse(const std::string& script, const torvan::ScriptReplacements& names = {}) {
    std::vector<ScriptRoot> roots;
    std::string why;
    EXPECT_TRUE(torvan::ParseRegistryScript(script, names, roots, why)) << why;
    return roots;
}

std::string Refusal(const std::string& script, const torvan::ScriptReplacements& names = {}) {
    std::vector<ScriptRoot> roots;
    std::string why;
    EXPECT_FALSE(torvan::ParseRegistryScript(script, names, roots, why));
    EXPECT_TRUE(roots.empty());
    return why;
}

}  // namespace

TEST(RegistryScript, ReadsKeysValuesAndFlagsOfAServerScript) {
    auto roots = Parse(
        "HKCR\n"
        "{\n"
        "\tNoRemove CLSID\n"
        "\t{\n"
        "\t\tForceRemove %CLSID% = s 'Some Class'\n"
        "\t\t{\n"
        "\t\t\tForceRemove 'Programmable'\n"
        "\t\t\tInprocServer32 = s '%MODULE%'\n"
        "\t\t\t{\n"
        "\t\t\t\tval ThreadingModel = s 'Apartment'\n"
        "\t\t\t}\n"
        "\t\t}\n"
        "\t}\n"
        "}\n",
        {{"CLSID", "{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}"}, {"MODULE", "C:\\Tools\\x.dll"}});
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0].hive, "HKCR");
    ASSERT_EQ(roots[0].keys.size(), 1u);
    const ScriptKey& clsid = roots[0].keys[0];
    EXPECT_EQ(clsid.name, "CLSID");
    EXPECT_TRUE(clsid.noRemove);
    EXPECT_FALSE(clsid.hasDefault);
    ASSERT_EQ(clsid.subkeys.size(), 1u);
    const ScriptKey& cls = clsid.subkeys[0];
    EXPECT_EQ(cls.name, "{5E1C0B7A-3D42-4F8E-9A61-2C7B0D4E8F13}");
    EXPECT_TRUE(cls.forceRemove);
    EXPECT_EQ(cls.defaultText, "Some Class");
    ASSERT_EQ(cls.subkeys.size(), 2u);
    EXPECT_EQ(cls.subkeys[0].name, "Programmable");
    EXPECT_TRUE(cls.subkeys[0].forceRemove);
    EXPECT_FALSE(cls.subkeys[0].hasDefault);
    const ScriptKey& server = cls.subkeys[1];
    EXPECT_EQ(server.defaultText, "C:\\Tools\\x.dll");
    ASSERT_EQ(server.values.size(), 1u);
    EXPECT_EQ(server.values[0].name, "ThreadingModel");
    EXPECT_EQ(server.values[0].text, "Apartment");
}

TEST(RegistryScript, QuotesPercentSignsAndLongHiveNames) {
    // A replacement is not read again: a module path with quotes or percent
    // signs lands as it is.
    auto roots = Parse("hkey_classes_root { 'It''s' = s '100%% %P%' 'val' }", {{"P", "C:\\a'b%X%"}});
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0].hive, "HKCR");
    ASSERT_EQ(roots[0].keys.size(), 2u);
    EXPECT_EQ(roots[0].keys[0].name, "It's");
    EXPECT_EQ(roots[0].keys[0].defaultText, "100% C:\\a'b%X%");
    EXPECT_EQ(roots[0].keys[1].name, "val");  // quoted: a name, not the keyword
    EXPECT_EQ(Parse("HKCU { } HKLM { A }").size(), 2u);
}

TEST(RegistryScript, RefusesWhatItCannotApplyFaithfully) {
    EXPECT_NE(Refusal("HKCR { A = s 'x' ").find("'}' missing"), std::string::npos);
    EXPECT_NE(Refusal("HKCR { A = d '5' }").find("unsupported value type"), std::string::npos);
    EXPECT_NE(Refusal("HKCR { Delete A }").find("Delete"), std::string::npos);
    EXPECT_NE(Refusal("HKCR { A = s '%NOPE%' }").find("%NOPE%"), std::string::npos);
    EXPECT_NE(Refusal("HKCR { A = s 'unclosed }").find("closing quote"), std::string::npos);
    EXPECT_NE(Refusal("HKXX { A }").find("unknown hive"), std::string::npos);
    EXPECT_NE(Refusal("HKCR { val V = s 'x' }").find("needs a key"), std::string::npos);
    EXPECT_NE(Refusal("HKCR { A = s x }").find("quoted"), std::string::npos);
    EXPECT_NE(Refusal("HKCR { A { B = s '%50' } }").find("unpaired"), std::string::npos);
    // The line is named, so a broken resource is found quickly.
    EXPECT_EQ(Refusal("HKCR\n{\n\tA\n\tB = q 'x'\n}\n").rfind("line 4:", 0), 0u);
}
