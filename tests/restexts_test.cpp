// The resource text module: every number in English and (in a Japanese process) in Japanese, unknown
// numbers and overrides.
#include "cp932_child.h"

#include <ovsres.h>

#include <sstream>

namespace {

// The file extensions by text number; they serve every language.
const UINT kExtensionIds[] = {16694, 16391, 16398, 16405, 16404, 16406, 16385, 16386, 16401, 16388, 16387,
                              16499, 16390, 16525, 16414, 16400, 16502, 16507, 16509, 16672, 16512, 16681,
                              16684, 16685, 16415, 16480, 16481, 16521, 16522, 16527, 16528, 16529};
constexpr char kExtensions[] = "msq cal gcd gcm gcb gcr lcd lcm lcq lcb lcr lct lcc plt rpt opt pdf lsc gsc "
                               "lcp gct sbt sca scb clb old olm "
                               "ogm ogd jcp llb odt";

// Texts of their own in Japanese (UTF-8, the source's own coding).
const struct {
    UINT id;
    const char* english;
    const char* japanese;
} kTranslated[] = {
    {339, "Arial,9", "ＭＳ Ｐゴシック,9"},
    {0x407C, "LC System Check Files (*.lsc)|*.lsc||", "LC システムチェック ファイル (*.lsc)|*.lsc||"},
    {0x407F, "GC System Check Files (*.gsc)|*.gsc||", "GC システムチェック ファイル (*.gsc)|*.gsc||"}};

std::string Load(UINT id, UINT option = 1) {
    CString text("left over");
    const int length = RES_LoadString(id, text, option);
    EXPECT_EQ(text.GetLength(), length) << id;
    return std::string(text.GetString(), text.GetLength());
}

// Every text in the user's language: English, or Japanese in code page 932.
void ExpectEveryText(bool japanese) {
    std::istringstream extensions(kExtensions);
    for (UINT id : kExtensionIds) {
        std::string extension;
        extensions >> extension;
        EXPECT_EQ(extension, Load(id)) << id;
    }
    for (const auto& t : kTranslated) {
        WCHAR wide[256] = {};
        MultiByteToWideChar(CP_UTF8, 0, t.japanese, -1, wide, 256);
        char narrow[512] = {};
        WideCharToMultiByte(932, 0, wide, -1, narrow, sizeof(narrow), nullptr, nullptr);
        EXPECT_EQ(japanese ? narrow : t.english, Load(t.id)) << t.id;
    }
}

} // namespace

TEST(ResourceTexts, EveryNumberHasItsEnglishText) {
    if (PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE) {
        GTEST_SKIP() << "the user's language is Japanese";
    }
    ExpectEveryText(false);
}

TEST(ResourceTexts, UnknownNumbersEmptyTheTextAndOptionsAndOverridesAreKept) {
    EXPECT_EQ("", Load(1));
    EXPECT_EQ("", Load(0xFFFFFFFF));
    for (UINT option : {0u, 2u, 0xFFFFFFFFu}) {
        EXPECT_EQ(Load(339, 1), Load(339, option)) << option;
    }
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
    ExpectEveryText(true);
}
