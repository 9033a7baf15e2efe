#include "terrain/ini_file.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(IniFile, LookupsFollowThePrivateProfileRules) {
    const IniFile ini = parseIniText("; a comment line\r\n"
                                     "orphan=before any section\r\n"
                                     "[ Korea ]\r\n"
                                     "  X Sections = 64  \r\n"
                                     "Name=\"Quoted value\"\r\n"
                                     "Half=\"open\r\n"
                                     "Empty=\r\n"
                                     "NoEquals\r\n"
                                     "X Sections=128\r\n"
                                     "[korea]\r\n"
                                     "Later=second section\r\n"
                                     "[Other]\n"
                                     "Key=v\n");
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        const char* expected;
    };
    const Case cases[] = {
        {"Korea", "X Sections", "0", "64"},          // first key of a name wins
        {"KOREA", "x sections", "0", "64"},          // names ignore case
        {"Korea", "Name", "", "Quoted value"},       // matching quotes are dropped
        {"Korea", "Half", "", "\"open"},             // unmatched quotes stay
        {"Korea", "Empty", "default", ""},           // present but empty is not missing
        {"Korea", "NoEquals", "default", "default"}, // a line without '=' is no key
        {"Korea", "Later", "default", "default"},    // only the first section of a name
        {"Korea", "Missing", " padded ", "padded"},  // defaults are trimmed
        {"Other", "Key", "", "v"},                   // plain line ends work too
        {"Nowhere", "Key", "dflt", "dflt"},
        {"", "orphan", "dflt", "dflt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(iniValue(ini, c.section, c.key, c.def), c.expected) << c.section << "/" << c.key;
    }
}

TEST(IniFile, ValuesAreCutToTheBufferOfTheSuite) {
    const IniFile ini = parseIniText("[S]\nLong=" + std::string(400, 'x') + "\n");
    EXPECT_EQ(iniValue(ini, "S", "Long", "").size(), 254u);
}

TEST(IniFile, AMissingFileReadsAsEmpty) {
    const IniFile ini = loadIniFile("/nonexistent/folder/Quillon.ini");
    EXPECT_TRUE(ini.sections.empty());
    EXPECT_EQ(iniValue(ini, "Location", "Theaters", "1"), "1");
}

} // namespace
} // namespace vantor
