#include "test_support.h"
#include "locale_child.h"
#include "unique_resource.h"

#include <afx.h>
#include <afxwin.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs the body and reports which framework exception, if any, it threw; the exception is deleted.
enum class Thrown { Nothing, InvalidArg, Memory, Other };

template <typename Body>
Thrown ThrownBy(Body body) {
    try {
        body();
    } catch (CInvalidArgException* e) {
        e->Delete();
        return Thrown::InvalidArg;
    } catch (CMemoryException* e) {
        e->Delete();
        return Thrown::Memory;
    } catch (CException* e) {
        e->Delete();
        return Thrown::Other;
    }
    return Thrown::Nothing;
}

std::string ExecutableFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length < MAX_PATH ? length : 0);
    return full.substr(0, full.find_last_of("\\/"));
}

// ---- CString: sharing and copying before writing ------------------------------------------------

TEST(CStringSharing, CopiesShareTheCharactersUntilOneIsWritten) {
    CString a("shared text");
    CString b(a);
    CString c;
    c = a;
    EXPECT_EQ(a.GetString(), b.GetString());
    EXPECT_EQ(a.GetString(), c.GetString());

    b += "!";
    EXPECT_STREQ("shared text", a);
    EXPECT_STREQ("shared text!", b);
    EXPECT_NE(a.GetString(), b.GetString());
    EXPECT_EQ(a.GetString(), c.GetString());

    c.SetAt(0, 'S');
    EXPECT_STREQ("shared text", a);
    EXPECT_STREQ("Shared text", c);
}

struct WriteCase {
    const char* name;
    void (*write)(CString&);
    const char* expected;
};

const WriteCase kWrites[] = {
    {"SetAt", [](CString& s) { s.SetAt(1, 'X'); }, "aXcdef"},
    {"MakeUpper", [](CString& s) { s.MakeUpper(); }, "ABCDEF"},
    {"MakeReverse", [](CString& s) { s.MakeReverse(); }, "fedcba"},
    {"Append", [](CString& s) { s.Append("g"); }, "abcdefg"},
    {"Insert", [](CString& s) { s.Insert(0, '-'); }, "-abcdef"},
    {"Delete", [](CString& s) { s.Delete(0, 2); }, "cdef"},
    {"Replace", [](CString& s) { s.Replace('c', 'C'); }, "abCdef"},
    {"ReplaceText", [](CString& s) { s.Replace("cd", "--"); }, "ab--ef"},
    {"Remove", [](CString& s) { s.Remove('a'); }, "bcdef"},
    {"Truncate", [](CString& s) { s.Truncate(2); }, "ab"},
    {"TrimLeft", [](CString& s) { s.TrimLeft('a'); }, "bcdef"},
    {"TrimRight", [](CString& s) { s.TrimRight('f'); }, "abcde"},
    {"Empty", [](CString& s) { s.Empty(); }, ""},
    {"Format", [](CString& s) { s.Format("%d", 7); }, "7"},
    {"AppendFormat", [](CString& s) { s.AppendFormat("%d", 7); }, "abcdef7"},
    {"GetBuffer",
     [](CString& s) {
         s.GetBuffer()[0] = 'z';
         s.ReleaseBuffer();
     },
     "zbcdef"},
    {"GetBufferSetLength", [](CString& s) { s.GetBufferSetLength(3); }, "abc"},
};

class CStringWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(CStringWriteTest, LeavesTheOtherCopyAsItWas) {
    const CString original("abcdef");
    CString copy(original);
    GetParam().write(copy);
    EXPECT_STREQ(GetParam().expected, copy);
    EXPECT_STREQ("abcdef", original);
    EXPECT_EQ(6, original.GetLength());
}

INSTANTIATE_TEST_SUITE_P(Writes, CStringWriteTest, ::testing::ValuesIn(kWrites),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CStringSharing, MovedFromStringIsEmptyAndAssignmentToSelfKeepsText) {
    CString a("text");
    CString b(std::move(a));
    EXPECT_STREQ("text", b);
    EXPECT_TRUE(a.IsEmpty()); // NOLINT: a moved-from string is empty
    b = b;
    EXPECT_STREQ("text", b);
    b = b.GetString() + 1; // assigning part of its own text
    EXPECT_STREQ("ext", b);
    b += b;
    EXPECT_STREQ("extext", b);
    b.Append(b.GetString() + 3, 2);
    EXPECT_STREQ("extextex", b);
}

TEST(CStringBasics, ConstructionFromTextsCharactersAndWideText) {
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_TRUE(CString(static_cast<LPCSTR>(nullptr)).IsEmpty());
    EXPECT_STREQ("ab", CString("abc", 2));
    EXPECT_STREQ("", CString("abc", 0));
    EXPECT_STREQ("xxx", CString('x', 3));
    EXPECT_STREQ("", CString('x', 0));
    EXPECT_STREQ("wide", CString(L"wide"));
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([] { CString("abc", -1); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([] { CString(nullptr, 2); }));
    CString s;
    s = 'c';
    EXPECT_STREQ("c", s);
    s = L"w";
    EXPECT_STREQ("w", s);
}

TEST(CStringBasics, IndexesUpToTheTerminatorCanBeRead) {
    const CString s("abc");
    EXPECT_EQ('a', s.GetAt(0));
    EXPECT_EQ('c', s[2]);
    EXPECT_EQ('\0', s.GetAt(3));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { s.GetAt(4); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { s.GetAt(-1); }));
    CString t("abc");
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { t.SetAt(3, 'x'); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { t.SetAt(-1, 'x'); }));
    EXPECT_STREQ("abc", t);
}

TEST(CStringBasics, ConcatenationOperators) {
    const CString a("ab");
    EXPECT_STREQ("abcd", a + "cd");
    EXPECT_STREQ("cdab", "cd" + a);
    EXPECT_STREQ("abab", a + a);
    EXPECT_STREQ("abz", a + 'z');
    EXPECT_STREQ("zab", 'z' + a);
    CString b;
    b += a;
    b += "c";
    b += 'd';
    EXPECT_STREQ("abcd", b);
}

// ---- Finding ---------------------------------------------------------------------------------------

struct FindCase {
    const char* text;
    const char* sub;
    int start;
    int expected;
};

class CStringFindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(CStringFindTextTest, FindsFromTheStart) {
    const FindCase& c = GetParam();
    EXPECT_EQ(c.expected, CString(c.text).Find(c.sub, c.start));
}

INSTANTIATE_TEST_SUITE_P(Cases, CStringFindTextTest,
                         ::testing::Values(FindCase{"abcabc", "bc", 0, 1}, FindCase{"abcabc", "bc", 2, 4},
                                           FindCase{"abcabc", "bc", 5, -1}, FindCase{"abcabc", "", 2, 2},
                                           FindCase{"abcabc", "", 6, 6}, FindCase{"abcabc", "c", 7, -1},
                                           FindCase{"abcabc", "x", 0, -1},
                                           FindCase{"abcabc", "abcabcd", 0, -1}, FindCase{"", "", 0, 0},
                                           FindCase{"abc", "a", -1, -1}));

struct FindCharCase {
    const char* text;
    char ch;
    int start;
    int expected;
};

class CStringFindCharTest : public ::testing::TestWithParam<FindCharCase> {};

TEST_P(CStringFindCharTest, FindsFromTheStart) {
    const FindCharCase& c = GetParam();
    EXPECT_EQ(c.expected, CString(c.text).Find(c.ch, c.start));
}

INSTANTIATE_TEST_SUITE_P(Cases, CStringFindCharTest,
                         ::testing::Values(FindCharCase{"a.b.c", '.', 0, 1}, FindCharCase{"a.b.c", '.', 1, 1},
                                           FindCharCase{"a.b.c", '.', 2, 3},
                                           FindCharCase{"a.b.c", '.', 4, -1},
                                           FindCharCase{"a.b.c", 'c', 5, -1},
                                           FindCharCase{"a.b.c", 'c', 100, -1},
                                           FindCharCase{"a.b.c", 'a', -1, -1}, FindCharCase{"", 'a', 0, -1}));

TEST(CStringFind, ReverseFindAndFindOneOf) {
    const CString s("C:\\dir\\file.ext");
    EXPECT_EQ(6, s.ReverseFind('\\'));
    EXPECT_EQ(11, s.ReverseFind('.'));
    EXPECT_EQ(-1, s.ReverseFind('/'));
    EXPECT_EQ(-1, CString().ReverseFind('a'));
    EXPECT_EQ(1, s.FindOneOf(".:"));
    EXPECT_EQ(-1, s.FindOneOf("?*"));
    EXPECT_EQ(-1, s.FindOneOf(""));
    EXPECT_EQ(-1, s.FindOneOf(nullptr));
}

// ---- Parts -----------------------------------------------------------------------------------------

struct PartCase {
    const char* name;
    CString (*part)(const CString&);
    const char* expected;
};

const PartCase kParts[] = {
    {"LeftNegative", [](const CString& s) { return s.Left(-1); }, ""},
    {"LeftZero", [](const CString& s) { return s.Left(0); }, ""},
    {"LeftSome", [](const CString& s) { return s.Left(2); }, "ab"},
    {"LeftAll", [](const CString& s) { return s.Left(5); }, "abcde"},
    {"LeftBeyond", [](const CString& s) { return s.Left(100); }, "abcde"},
    {"RightNegative", [](const CString& s) { return s.Right(-3); }, ""},
    {"RightSome", [](const CString& s) { return s.Right(2); }, "de"},
    {"RightBeyond", [](const CString& s) { return s.Right(INT_MAX); }, "abcde"},
    {"MidNegativeFirst", [](const CString& s) { return s.Mid(-2); }, "abcde"},
    {"MidFromOne", [](const CString& s) { return s.Mid(1); }, "bcde"},
    {"MidAtEnd", [](const CString& s) { return s.Mid(5); }, ""},
    {"MidBeyond", [](const CString& s) { return s.Mid(9); }, ""},
    {"MidCount", [](const CString& s) { return s.Mid(1, 3); }, "bcd"},
    {"MidCountBeyond", [](const CString& s) { return s.Mid(3, 100); }, "de"},
    {"MidCountHuge", [](const CString& s) { return s.Mid(3, INT_MAX); }, "de"},
    {"MidNegativeCount", [](const CString& s) { return s.Mid(1, -1); }, ""},
    {"MidFirstBeyondWithCount", [](const CString& s) { return s.Mid(7, 2); }, ""},
    {"MidNegativeFirstWithCount", [](const CString& s) { return s.Mid(-2, 3); }, "abc"},
    {"SpanIncluding", [](const CString& s) { return s.SpanIncluding("bac"); }, "abc"},
    {"SpanIncludingNone", [](const CString& s) { return s.SpanIncluding("xyz"); }, ""},
    {"SpanExcluding", [](const CString& s) { return s.SpanExcluding("dc"); }, "ab"},
};

class CStringPartTest : public ::testing::TestWithParam<PartCase> {};

TEST_P(CStringPartTest, OutOfRangeRequestsGiveSensibleParts) {
    const CString s("abcde");
    EXPECT_STREQ(GetParam().expected, GetParam().part(s));
    EXPECT_STREQ("abcde", s);
}

INSTANTIATE_TEST_SUITE_P(Parts, CStringPartTest, ::testing::ValuesIn(kParts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CStringParts, WholeTextPartsShareTheCharacters) {
    const CString s("abcde");
    EXPECT_EQ(s.GetString(), s.Left(10).GetString());
    EXPECT_EQ(s.GetString(), s.Mid(0).GetString());
    EXPECT_EQ(s.GetString(), s.Right(5).GetString());
}

TEST(CStringParts, TokenizeWalksThroughTheTokens) {
    const CString s("%First Second#Third");
    std::vector<std::string> tokens;
    int position = 0;
    for (CString token = s.Tokenize("% #", position); !token.IsEmpty(); token = s.Tokenize("% #", position)) {
        tokens.push_back(std::string(token));
    }
    EXPECT_EQ((std::vector<std::string>{"First", "Second", "Third"}), tokens);
    EXPECT_EQ(-1, position);

    // After each token the position is that after its closing delimiter, or past the end.
    position = 0;
    EXPECT_STREQ("a", CString("a,b").Tokenize(",", position));
    EXPECT_EQ(2, position);
    EXPECT_STREQ("b", CString("a,b").Tokenize(",", position));
    EXPECT_EQ(4, position);
    EXPECT_STREQ("", CString("a,b").Tokenize(",", position));
    EXPECT_EQ(-1, position);
    position = 0;
    EXPECT_STREQ("", CString(",,,").Tokenize(",", position));
    EXPECT_EQ(-1, position);
    // Without delimiters the rest is the token and the position stays.
    position = 1;
    EXPECT_STREQ("bc", CString("abc").Tokenize("", position));
    EXPECT_EQ(1, position);
    position = -1;
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { CString("abc").Tokenize(",", position); }));
}

// ---- Trimming ---------------------------------------------------------------------------------------

struct TrimCase {
    const char* name;
    const char* text;
    CString& (*trim)(CString&);
    const char* expected;
};

const TrimCase kTrims[] = {
    {"BothSpaces", " \t\r\n ab c \v\f", [](CString& s) -> CString& { return s.Trim(); }, "ab c"},
    {"LeftSpaces", "  ab  ", [](CString& s) -> CString& { return s.TrimLeft(); }, "ab  "},
    {"RightSpaces", "  ab  ", [](CString& s) -> CString& { return s.TrimRight(); }, "  ab"},
    {"AllSpaces", " \t ", [](CString& s) -> CString& { return s.Trim(); }, ""},
    {"NoSpaces", "ab", [](CString& s) -> CString& { return s.Trim(); }, "ab"},
    {"Empty", "", [](CString& s) -> CString& { return s.Trim(); }, ""},
    {"Char", "xxaxbxx", [](CString& s) -> CString& { return s.Trim('x'); }, "axb"},
    {"CharLeft", "xxaxx", [](CString& s) -> CString& { return s.TrimLeft('x'); }, "axx"},
    {"CharRight", "xxaxx", [](CString& s) -> CString& { return s.TrimRight('x'); }, "xxa"},
    {"CharAll", "xxx", [](CString& s) -> CString& { return s.TrimRight('x'); }, ""},
    {"Set", "-+a-b+-", [](CString& s) -> CString& { return s.Trim("+-"); }, "a-b"},
    {"SetLeft", "-+a-", [](CString& s) -> CString& { return s.TrimLeft("+-"); }, "a-"},
    {"SetRight", "-a+-", [](CString& s) -> CString& { return s.TrimRight("+-"); }, "-a"},
    {"EmptySet", " a ", [](CString& s) -> CString& { return s.Trim(""); }, " a "},
    {"NullSet", " a ", [](CString& s) -> CString& { return s.TrimLeft(static_cast<LPCSTR>(nullptr)); },
     " a "},
};

class CStringTrimTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(CStringTrimTest, RemovesOnlyTheEnds) {
    const TrimCase& c = GetParam();
    CString s(c.text);
    CString& result = c.trim(s);
    EXPECT_EQ(&s, &result);
    EXPECT_STREQ(c.expected, s);
    EXPECT_EQ(static_cast<int>(std::strlen(c.expected)), s.GetLength());
}

INSTANTIATE_TEST_SUITE_P(Trims, CStringTrimTest, ::testing::ValuesIn(kTrims),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Replacing, removing, inserting ---------------------------------------------------------------

struct ReplaceCase {
    const char* text;
    const char* oldText;
    const char* newText;
    int count;
    const char* expected;
};

class CStringReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(CStringReplaceTest, ReplacesEveryInstanceLeftToRight) {
    const ReplaceCase& c = GetParam();
    CString s(c.text);
    EXPECT_EQ(c.count, s.Replace(c.oldText, c.newText));
    EXPECT_STREQ(c.expected, s);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CStringReplaceTest,
    ::testing::Values(ReplaceCase{"a.b.c", ".", "::", 2, "a::b::c"}, ReplaceCase{"aaaa", "aa", "b", 2, "bb"},
                      ReplaceCase{"aaa", "aa", "b", 1, "ba"}, ReplaceCase{"abc", "x", "y", 0, "abc"},
                      ReplaceCase{"abc", "", "y", 0, "abc"}, ReplaceCase{"abc", nullptr, "y", 0, "abc"},
                      ReplaceCase{"abcb", "b", nullptr, 2, "ac"}, ReplaceCase{"abcb", "b", "", 2, "ac"},
                      ReplaceCase{"abc", "abc", "", 1, ""}, ReplaceCase{"ab", "b", "bb", 1, "abb"}));

TEST(CStringReplace, CharactersAreCountedAndAnUnchangedStringCountsZero) {
    CString s("a.b.c");
    EXPECT_EQ(2, s.Replace('.', ','));
    EXPECT_STREQ("a,b,c", s);
    EXPECT_EQ(0, s.Replace('x', 'y'));
    // Replacing a character by itself changes nothing.
    EXPECT_EQ(0, s.Replace(',', ','));
    EXPECT_STREQ("a,b,c", s);
}

TEST(CStringReplace, RemoveInsertAndDelete) {
    CString s("banana");
    EXPECT_EQ(3, s.Remove('a'));
    EXPECT_STREQ("bnn", s);
    EXPECT_EQ(0, s.Remove('x'));
    EXPECT_EQ(4, s.Insert(1, 'a'));
    EXPECT_STREQ("bann", s);
    EXPECT_EQ(7, s.Insert(100, "ana"));
    EXPECT_STREQ("bannana", s);
    EXPECT_EQ(9, s.Insert(-5, "<>"));
    EXPECT_STREQ("<>bannana", s);
    EXPECT_EQ(7, s.Delete(0, 2));
    EXPECT_EQ(5, s.Delete(5, 100));
    EXPECT_STREQ("banna", s);
    EXPECT_EQ(5, s.Delete(9, 1));
    EXPECT_EQ(5, s.Delete(1, 0));
    EXPECT_EQ(4, s.Delete(-1));
    EXPECT_STREQ("anna", s);
    s.Truncate(2);
    EXPECT_STREQ("an", s);
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { s.Truncate(3); }));
}

TEST(CStringCase, UpperLowerReverse) {
    CString s("Mixed Case 1");
    EXPECT_STREQ("MIXED CASE 1", s.MakeUpper());
    EXPECT_STREQ("mixed case 1", s.MakeLower());
    EXPECT_STREQ("1 esac dexim", s.MakeReverse());
}

// ---- Formatting --------------------------------------------------------------------------------------

TEST(CStringFormat, FormatsAndReplacesTheText) {
    CString s("old");
    s.Format("%d|%5.2f|%s|%c|%x|%-4s|", -12, 3.14159, "txt", 'q', 255, "ab");
    EXPECT_STREQ("-12| 3.14|txt|q|ff|ab  |", s);
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
    s.Format("%%");
    EXPECT_STREQ("%", s);
}

TEST(CStringFormat, UsesTheWindowsRuntimesConventions) {
    CString s;
    s.Format("%e|%I64d|%g", 12345.0, static_cast<__int64>(-9000000000LL), 1e20);
    EXPECT_STREQ("1.234500e+004|-9000000000|1e+020", s);
}

TEST(CStringFormat, AppendFormatAddsToTheText) {
    CString s("x=");
    s.AppendFormat("%d", 5);
    s.AppendFormat(", y=%s", "six");
    EXPECT_STREQ("x=5, y=six", s);
}

TEST(CStringFormat, LongTextsAreFormattedWhole) {
    const std::string filler(5000, 'f');
    CString s;
    s.Format("<%s>", filler.c_str());
    EXPECT_EQ(5002, s.GetLength());
    EXPECT_EQ("<" + filler + ">", std::string(s));
    s.Format("%2000d|", 42);
    EXPECT_EQ(2001, s.GetLength());
    EXPECT_EQ(std::string(1998, ' ') + "42|", std::string(s));
    s.AppendFormat("%s", filler.c_str());
    EXPECT_EQ(7001, s.GetLength());
    EXPECT_EQ('f', s[7000]);
}

TEST(CStringFormat, ItsOwnTextAndAStringObjectMayBeArguments) {
    CString s("abc");
    s.Format("%s-%s", s.GetString(), s.GetString());
    EXPECT_STREQ("abc-abc", s);
    const CString t("obj");
    CString u;
    u.Format("[%s]", t.GetString());
    EXPECT_STREQ("[obj]", u);
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { u.Format(nullptr); }));
}

// ---- Buffers -------------------------------------------------------------------------------------------

TEST(CStringBuffer, ReleaseBufferTakesTheLengthUpToTheFirstZero) {
    CString s;
    LPSTR buffer = s.GetBuffer(100);
    std::strcpy(buffer, "written");
    s.ReleaseBuffer();
    EXPECT_EQ(7, s.GetLength());
    EXPECT_STREQ("written", s);

    buffer = s.GetBuffer(3);
    EXPECT_STREQ("written", buffer); // the text stays when the buffer is big enough
    s.ReleaseBuffer(3);
    EXPECT_STREQ("wri", s);

    buffer = s.GetBuffer();
    buffer[1] = '\0';
    s.ReleaseBuffer(-1);
    EXPECT_STREQ("w", s);
    EXPECT_EQ(1, s.GetLength());
}

TEST(CStringBuffer, ReleaseBufferBeyondTheRoomIsInvalid) {
    CString s;
    s.GetBuffer(4);
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { s.ReleaseBuffer(1000); }));
    s.ReleaseBuffer(0);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringBuffer, GetBufferSetLengthAndPreallocate) {
    CString s("abcdef");
    LPSTR buffer = s.GetBufferSetLength(3);
    EXPECT_EQ(3, s.GetLength());
    buffer[2] = 'X';
    EXPECT_STREQ("abX", s);
    buffer = s.GetBufferSetLength(5);
    std::memcpy(buffer + 3, "yz", 2);
    EXPECT_STREQ("abXyz", s);

    CString grown;
    grown.Preallocate(100);
    LPCSTR start = grown.GetString();
    for (int i = 0; i < 90; ++i) {
        grown += 'g';
    }
    EXPECT_EQ(start, grown.GetString());
    grown.FreeExtra();
    EXPECT_EQ(90, grown.GetLength());
}

TEST(CStringBuffer, HugeLengthsRunOutOfMemory) {
    EXPECT_EQ(Thrown::Memory, ThrownBy([] { CString s('x', INT_MAX); }));
    CString s;
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { s.GetBufferSetLength(-1); }));
}

// ---- Comparisons --------------------------------------------------------------------------------------

struct CompareCase {
    const char* a;
    const char* b;
    int sign;
    int signNoCase;
};

class CStringCompareTest : public ::testing::TestWithParam<CompareCase> {};

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

TEST_P(CStringCompareTest, OrdersByteWise) {
    const CompareCase& c = GetParam();
    const CString a(c.a);
    const CString b(c.b);
    EXPECT_EQ(c.sign, Sign(a.Compare(c.b)));
    EXPECT_EQ(c.signNoCase, Sign(a.CompareNoCase(c.b)));
    EXPECT_EQ(c.sign == 0, a == b);
    EXPECT_EQ(c.sign == 0, a == c.b);
    EXPECT_EQ(c.sign == 0, c.a == b);
    EXPECT_EQ(c.sign != 0, a != b);
    EXPECT_EQ(c.sign != 0, a != c.b);
    EXPECT_EQ(c.sign < 0, a < b);
    EXPECT_EQ(c.sign > 0, a > b);
    EXPECT_EQ(c.sign <= 0, a <= b);
    EXPECT_EQ(c.sign >= 0, a >= b);
}

INSTANTIATE_TEST_SUITE_P(Cases, CStringCompareTest,
                         ::testing::Values(CompareCase{"abc", "abc", 0, 0}, CompareCase{"abc", "abd", -1, -1},
                                           CompareCase{"abc", "ab", 1, 1}, CompareCase{"", "a", -1, -1},
                                           CompareCase{"ABC", "abc", -1, 0}, CompareCase{"b", "A", 1, 1},
                                           CompareCase{"B", "a", -1, 1}, CompareCase{"", "", 0, 0}));

TEST(CStringCompare, NullTextIsAnInvalidArgument) {
    const CString s("a");
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { s.Compare(nullptr); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { s.CompareNoCase(nullptr); }));
}

// ---- Resources and wide text ---------------------------------------------------------------------------

TEST(CStringResources, LoadsFromTheCurrentResourceModule) {
    ovs::unique_hmodule module(LoadLibraryA((ExecutableFolder() + "\\ENU_OVSTestRes.DLL").c_str()));
    ASSERT_TRUE(module);
    const HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module.get());
    CString s("before");
    EXPECT_TRUE(s.LoadString(1));
    EXPECT_STREQ("English", s);
    EXPECT_FALSE(s.LoadString(2));
    EXPECT_STREQ("English", s);
    EXPECT_FALSE(s.LoadString(999));
    EXPECT_STREQ("English", CString(MAKEINTRESOURCEA(1)));
    AfxSetResourceHandle(previous);
}

TEST(CStringResources, AllocSysStringGivesTheWideText) {
    const CString s("wide text");
    ovs::unique_bstr text(s.AllocSysString());
    ASSERT_TRUE(text);
    EXPECT_EQ(9u, SysStringLen(text.get()));
    EXPECT_STREQ(L"wide text", text.get());
    ovs::unique_bstr empty(CString().AllocSysString());
    ASSERT_TRUE(empty);
    EXPECT_EQ(0u, SysStringLen(empty.get()));
}

// ---- Double-byte text (code page 932) -------------------------------------------------------------------

// "表" is 0x95 0x5C and "ソ" is 0x83 0x5C: their trail byte is the backslash. "ア" is 0x83 0x41,
// whose trail byte is "A".
constexpr char kHyou[] = "\x95\x5C";
constexpr char kSo[] = "\x83\x5C";
constexpr char kA[] = "\x83\x41";

int RunDoubleByte(const std::vector<std::string>&) {
    int failures = 0;
    auto check = [&failures](bool holds, int bit) {
        if (!holds) {
            failures |= bit;
        }
    };
    check(GetACP() == 932, 0x1);
    const CString path = CString("C:\\") + kHyou + "\\" + kSo;
    // The trail bytes are not backslashes.
    check(path.Find('\\') == 2, 0x2);
    check(path.Find('\\', 3) == 5, 0x2);
    check(path.ReverseFind('\\') == 5, 0x4);
    check(CString(kHyou).Find('\\') == -1 && CString(kHyou).FindOneOf("\\") == -1, 0x8);
    check(CString(kHyou).Find("\\") == -1, 0x8);

    CString trimmed = CString("ab") + kSo;
    trimmed.TrimRight('\\');
    check(trimmed == CString("ab") + kSo, 0x10);
    trimmed = CString("ab") + kSo + "\\\\";
    trimmed.TrimRight("\\");
    check(trimmed == CString("ab") + kSo, 0x10);

    CString replaced = path;
    check(replaced.Replace('\\', '/') == 2 && replaced == CString("C:/") + kHyou + "/" + kSo, 0x20);
    CString removed = path;
    check(removed.Remove('\\') == 2 && removed == CString("C:") + kHyou + kSo, 0x20);

    CString lower = CString("AB") + kA;
    lower.MakeLower();
    check(lower == CString("ab") + kA, 0x40);

    int position = 0;
    const CString first = path.Tokenize("\\", position);
    const CString second = path.Tokenize("\\", position);
    const CString third = path.Tokenize("\\", position);
    check(first == "C:" && second == kHyou && third == kSo, 0x80);

    const CString reversed = CString(kHyou) + "x";
    CString copy = reversed;
    copy.MakeReverse();
    check(copy == CString("x") + kHyou, 0x100);

    check(CString(L"\x8868").GetLength() == 2 && CString(L"\x8868") == kHyou, 0x200);

    // A lead byte at the very end stands alone; no scan steps over the terminator.
    CString dangling("ab\x95");
    check(dangling.Find("x") == -1 && dangling.Find('x') == -1 && dangling.FindOneOf("x") == -1, 0x400);
    check(dangling.Replace('x', 'y') == 0 && dangling.Remove('x') == 0 && dangling.GetLength() == 3, 0x400);
    check(dangling.SpanExcluding("x") == dangling && dangling.SpanIncluding("ab\x95").GetLength() <= 3,
          0x400);
    dangling.TrimRight('x');
    dangling.TrimLeft("x");
    check(dangling.GetLength() == 3, 0x400);
    return failures;
}

ovs::test::ChildMode doubleByteMode("framework-double-byte", RunDoubleByte);

TEST(CStringDoubleByte, ScansStepOverDoubleByteCharacters) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const ovs::test::ChildResult result = ovs::test::RunChildInLocale("ja_JP.UTF-8", "framework-double-byte");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(0u, result.exitCode) << "1: code page, 2: Find, 4: ReverseFind, 8: trail bytes, 10: Trim, "
                                      "20: Replace/Remove, 40: MakeLower, 80: Tokenize, 100: MakeReverse, "
                                      "200: wide text, 400: lone lead byte";
}

// ---- Arrays ---------------------------------------------------------------------------------------------

TEST(CStringArrayTest, AddsAndIndexesIndependentCopies) {
    CStringArray array;
    EXPECT_TRUE(array.IsEmpty());
    CString source("first");
    EXPECT_EQ(0, array.Add(source));
    EXPECT_EQ(1, array.Add("second"));
    source.SetAt(0, 'F');
    EXPECT_STREQ("first", array[0]);
    EXPECT_EQ(2, array.GetSize());
    EXPECT_EQ(2, array.GetCount());
    EXPECT_EQ(1, array.GetUpperBound());
    array[1] += "!";
    EXPECT_STREQ("second!", array.GetAt(1));
    array.SetAt(0, "one");
    EXPECT_STREQ("one", array.ElementAt(0));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { array.GetAt(2); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { array.SetAt(-1, "x"); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { array[5]; }));
}

TEST(CStringArrayTest, GrowsInsertsAndRemoves) {
    CStringArray array;
    array.SetAtGrow(3, "d");
    EXPECT_EQ(4, array.GetSize());
    EXPECT_TRUE(array[0].IsEmpty());
    EXPECT_TRUE(array[2].IsEmpty());
    array.InsertAt(1, "x", 2);
    EXPECT_EQ(6, array.GetSize());
    EXPECT_STREQ("x", array[1]);
    EXPECT_STREQ("x", array[2]);
    EXPECT_STREQ("d", array[5]);
    array.InsertAt(8, "far");
    EXPECT_EQ(9, array.GetSize());
    EXPECT_STREQ("far", array[8]);
    array.RemoveAt(1, 2);
    EXPECT_EQ(7, array.GetSize());
    EXPECT_STREQ("d", array[3]);
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { array.RemoveAt(6, 2); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { array.InsertAt(0, "y", 0); }));
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { array.SetAtGrow(-1, "y"); }));
    // Adding an element of the array itself while the array grows.
    CStringArray self;
    self.Add("me");
    for (int i = 0; i < 20; ++i) {
        self.Add(self[0]);
    }
    EXPECT_EQ(21, self.GetSize());
    EXPECT_STREQ("me", self[20]);
    array.RemoveAll();
    EXPECT_EQ(0, array.GetSize());
}

TEST(CStringArrayTest, CopyAndAppend) {
    CStringArray a;
    a.Add("1");
    a.Add("2");
    CStringArray b;
    b.Add("x");
    b.Copy(a);
    EXPECT_EQ(2, b.GetSize());
    EXPECT_STREQ("2", b[1]);
    EXPECT_EQ(2, b.Append(a));
    EXPECT_EQ(4, b.GetSize());
    EXPECT_STREQ("1", b[2]);
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { b.Append(b); }));
    b.Copy(b);
    EXPECT_EQ(4, b.GetSize());
}

TEST(CWordArrayTest, HoldsSixteenBitNumbers) {
    CWordArray array;
    array.Add(0xFFFF);
    array.Add(1);
    array.SetSize(5);
    EXPECT_EQ(5, array.GetSize());
    EXPECT_EQ(0xFFFF, array[0]);
    EXPECT_EQ(0, array[4]);
    array.SetSize(1);
    array.SetSize(3);
    EXPECT_EQ(0, array[1]); // elements dropped by shrinking come back as zero
    array.FreeExtra();
    EXPECT_EQ(3, array.GetSize());
    EXPECT_EQ(0xFFFF, array.GetData()[0]);
    EXPECT_EQ(Thrown::InvalidArg, ThrownBy([&] { array.SetSize(-1); }));
    array.SetSize(0);
    EXPECT_EQ(0, array.GetSize());
    EXPECT_EQ(nullptr, array.GetData());
}

TEST(CWordArrayTest, GrowsInStepsAndKeepsValues) {
    CWordArray array;
    array.SetSize(0, 3);
    for (WORD i = 0; i < 1000; ++i) {
        array.Add(i);
    }
    for (WORD i = 0; i < 1000; ++i) {
        ASSERT_EQ(i, array[i]);
    }
    array.RemoveAt(0, 999);
    EXPECT_EQ(1, array.GetSize());
    EXPECT_EQ(999, array[0]);
}

// ---- Application object and module state -----------------------------------------------------------------

TEST(Application, TheHostWithoutApplicationObjectHasNone) {
    // The library keeps its own application object in a module state of its own.
    EXPECT_EQ(nullptr, AfxGetApp());
    EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetInstanceHandle());
}

TEST(Application, ConstructedObjectIsTheApplicationUntilDestroyed) {
    {
        CWinApp app("Test Host");
        EXPECT_EQ(&app, AfxGetApp());
        EXPECT_STREQ("Test Host", app.m_strAppName);
        EXPECT_STREQ(ovs::test::ExecutableBaseName().c_str(), app.m_strExeName);
        EXPECT_EQ(GetModuleHandleA(nullptr), app.m_hInstance);
        EXPECT_TRUE(app.InitInstance());
        EXPECT_EQ(0, app.ExitInstance());
    }
    EXPECT_EQ(nullptr, AfxGetApp());
    CWinApp unnamed;
    EXPECT_STREQ(ovs::test::ExecutableBaseName().c_str(), unnamed.m_strAppName);
}

TEST(Application, ModuleStateSwitchesTheApplicationAndResources) {
    CWinApp host("Host");
    AFX_MODULE_STATE other(reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x10000)));
    {
        AFX_MANAGE_STATE(&other);
        EXPECT_EQ(&other, AfxGetModuleState());
        EXPECT_EQ(nullptr, AfxGetApp());
        {
            CWinApp inner("Inner");
            EXPECT_EQ(&inner, AfxGetApp());
            EXPECT_EQ(other.m_hCurrentInstanceHandle, inner.m_hInstance);
        }
        EXPECT_EQ(other.m_hCurrentResourceHandle, AfxGetResourceHandle());
    }
    EXPECT_EQ(&host, AfxGetApp());
    EXPECT_EQ(AfxGetAppModuleState(), AfxGetModuleState());
}

// ---- Exceptions -------------------------------------------------------------------------------------------

TEST(Exceptions, MemoryExceptionIsOneObjectThatDeleteKeeps) {
    CMemoryException* first = nullptr;
    CMemoryException* second = nullptr;
    try {
        AfxThrowMemoryException();
    } catch (CMemoryException* e) {
        first = e;
        e->Delete();
    }
    try {
        AfxThrowMemoryException();
    } catch (CException* e) {
        second = dynamic_cast<CMemoryException*>(e);
        e->Delete();
    }
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(first, second);
    EXPECT_FALSE(first->m_bAutoDelete);
    char text[64];
    UINT help = 99;
    EXPECT_TRUE(first->GetErrorMessage(text, sizeof text, &help));
    EXPECT_STREQ("Out of memory.", text);
    EXPECT_EQ(0u, help);
}

TEST(Exceptions, InvalidArgumentExceptionIsMadeForEachThrow) {
    CInvalidArgException* caught = nullptr;
    try {
        AfxThrowInvalidArgException();
    } catch (CInvalidArgException* e) {
        caught = e;
    }
    ASSERT_NE(nullptr, caught);
    EXPECT_TRUE(caught->m_bAutoDelete);
    char text[64];
    EXPECT_TRUE(caught->GetErrorMessage(text, sizeof text));
    EXPECT_STREQ("Invalid argument.", text);
    // Cut to the buffer, always terminated.
    std::memset(text, '#', sizeof text);
    EXPECT_TRUE(caught->GetErrorMessage(text, 5));
    EXPECT_STREQ("Inva", text);
    EXPECT_EQ('#', text[5]);
    EXPECT_FALSE(caught->GetErrorMessage(nullptr, 5));
    EXPECT_FALSE(caught->GetErrorMessage(text, 0));
    caught->Delete();
}

TEST(Exceptions, BaseExceptionHasNoMessage) {
    CException base;
    char text[8] = "xxxxxxx";
    UINT help = 5;
    EXPECT_FALSE(base.GetErrorMessage(text, sizeof text, &help));
    EXPECT_STREQ("", text);
    EXPECT_EQ(0u, help);
    CException* heap = new CException();
    heap->Delete(); // frees it; a leak or double free would show under a checker
    CException kept(FALSE);
    kept.Delete(); // a static one stays
    EXPECT_FALSE(kept.m_bAutoDelete);
}

} // namespace
