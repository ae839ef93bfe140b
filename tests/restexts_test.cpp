// The resource text module: every number the library asks for, in English and (in a second process
// whose user language is Japanese) in Japanese, the fallback to English, unknown numbers and overrides.
#include "cp932_child.h"

#include <ovsres.h>

#include <string>

namespace {

struct Text {
    UINT id;
    const char* english;
    const char*
        japanese; // UTF-8 (the source's own coding); null where the English text serves every language
};

const Text kTexts[] = {
    {16694, "msq", nullptr},
    {16391, "cal", nullptr},
    {16398, "gcd", nullptr},
    {16405, "gcm", nullptr},
    {16404, "gcb", nullptr},
    {16406, "gcr", nullptr},
    {16385, "lcd", nullptr},
    {16386, "lcm", nullptr},
    {16401, "lcq", nullptr},
    {16388, "lcb", nullptr},
    {16387, "lcr", nullptr},
    {16499, "lct", nullptr},
    {16390, "lcc", nullptr},
    {16525, "plt", nullptr},
    {16414, "rpt", nullptr},
    {16400, "opt", nullptr},
    {16502, "pdf", nullptr},
    {16507, "lsc", nullptr},
    {16509, "gsc", nullptr},
    {16672, "lcp", nullptr},
    {16512, "gct", nullptr},
    {16681, "sbt", nullptr},
    {16684, "sca", nullptr},
    {16685, "scb", nullptr},
    {16415, "clb", nullptr},
    {16480, "old", nullptr},
    {16481, "olm", nullptr},
    {16521, "ogm", nullptr},
    {16522, "ogd", nullptr},
    {16527, "jcp", nullptr},
    {16528, "llb", nullptr},
    {16529, "odt", nullptr},
    {339, "Arial,9", "ＭＳ Ｐゴシック,9"},
    {0x407C, "LC System Check Files (*.lsc)|*.lsc||", "LC システムチェック ファイル (*.lsc)|*.lsc||"},
    {0x407F, "GC System Check Files (*.gsc)|*.gsc||", "GC システムチェック ファイル (*.gsc)|*.gsc||"},
};

std::string InCodePage(const char* utf8, UINT codePage) {
    WCHAR wide[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
    char narrow[512] = {};
    WideCharToMultiByte(codePage, 0, wide, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

std::string Load(UINT id, UINT option = 1) {
    CString text("left over");
    const int length = RES_LoadString(id, text, option);
    EXPECT_EQ(text.GetLength(), length) << id;
    return std::string(text.GetString(), text.GetLength());
}

} // namespace

TEST(ResourceTexts, EveryNumberHasItsEnglishText) {
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE) {
        GTEST_SKIP() << "the user's language is Japanese";
    }
    for (const Text& t : kTexts) {
        EXPECT_EQ(t.english, Load(t.id)) << t.id;
    }
}

TEST(ResourceTexts, ExtensionsAreThreeDistinctLowerCaseLetters) {
    std::string seen;
    for (const Text& t : kTexts) {
        if (t.id < 16385 || t.id == 0x407C || t.id == 0x407F) {
            continue;
        }
        const std::string e = t.english;
        ASSERT_EQ(3u, e.size()) << t.id;
        for (char c : e) {
            EXPECT_TRUE(c >= 'a' && c <= 'z') << e;
        }
        EXPECT_EQ(std::string::npos, seen.find("|" + e + "|")) << e;
        seen += "|" + e + "|";
    }
}

TEST(ResourceTexts, UnknownNumberEmptiesTheTextAndGivesZero) {
    CString text("left over");
    EXPECT_EQ(0, RES_LoadString(1, text, 1));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0, RES_LoadString(0xFFFFFFFF, text, 1));
}

TEST(ResourceTexts, OptionNeverChangesTheText) {
    for (UINT option : {0u, 1u, 2u, 0xFFFFFFFFu}) {
        EXPECT_EQ(Load(339, 1), Load(339, option)) << option;
    }
}

TEST(ResourceTexts, OverrideAnswersUntilRemoved) {
    const std::string before = Load(16385);
    RES_SetStringOverride(16385, "xyz");
    RES_SetStringOverride(7, "new");
    EXPECT_EQ("xyz", Load(16385));
    EXPECT_EQ("new", Load(7));
    RES_SetStringOverride(16385, nullptr);
    RES_SetStringOverride(7, nullptr);
    EXPECT_EQ(before, Load(16385));
    EXPECT_EQ("", Load(7));
}

TEST(DbcsResourceTexts, JapaneseTextsInCodePage932WithEnglishFallback) {
    OVS_REQUIRE_CODE_PAGE_932();
    ASSERT_EQ(LANG_JAPANESE, PRIMARYLANGID(GetUserDefaultUILanguage()));
    for (const Text& t : kTexts) {
        const std::string expected = t.japanese == nullptr ? t.english : InCodePage(t.japanese, 932);
        EXPECT_EQ(expected, Load(t.id)) << t.id;
    }
}
