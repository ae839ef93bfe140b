// The framework subset: narrow and wide strings, arrays, OLE dates.
#include "test_support.h"
#include "locale_child.h"

#include <afx.h>
#include <afxdisp.h>

#include <climits>
#include <cstring>

namespace {

template <typename Body>
bool ThrowsInvalidArgument(Body body) {
    try {
        body();
    } catch (CInvalidArgException* e) {
        e->Delete();
        return true;
    }
    return false;
}

int Set(CString& s, const CString& value) {
    s = value;
    return s.GetLength();
}

int Len(const CString& s) {
    return s.GetLength();
}

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

constexpr LPCSTR kNoText = nullptr;

#define ON(expression) [](CString& s) -> int { return expression; }

// The copy of `text` ends as `expected` (null: unchanged) with the answer `result` (a count, a
// position, or by default the length), and the original keeps its text.
constexpr int kLength = INT_MIN;
struct StringCase {
    const char* text;
    int (*op)(CString&);
    const char* expected;
    int result = kLength;
};

const std::vector<StringCase> kEdits = {
    {"abc", ON((s.SetAt(1, 'X'), 3)), "aXc"},         {"abc", ON(s.GetBuffer()[0] = 'z'), "zbc", 'z'},
    {"abc", ON((s.GetBufferSetLength(2), 2)), "ab"},  {"abc", ON((s.Append("g"), 4)), "abcg"},
    {"Mixed 1", ON(Len(s.MakeUpper())), "MIXED 1"},   {"abc", ON(Len(s.MakeReverse())), "cba"},
    {"abc", ON(Set(s, s.SpanIncluding("ba"))), "ab"}, {"abc", ON(Set(s, s.SpanExcluding("c"))), "ab"},
};

const std::vector<StringCase> kParts = {
    {"abcde", ON(Set(s, s.Left(-1))), ""},   {"abcde", ON(Set(s, s.Left(100))), "abcde"},
    {"abcde", ON(Set(s, s.Right(-3))), ""},  {"abcde", ON(Set(s, s.Mid(-2, 3))), "abc"},
    {"abcde", ON(Set(s, s.Mid(1))), "bcde"}, {"abcde", ON(Set(s, s.Mid(5))), ""},
    {"abcde", ON(Set(s, s.Mid(7, 2))), ""},  {"abcde", ON(Set(s, s.Mid(3, INT_MAX))), "de"},
    {"abcde", ON(Set(s, s.Mid(1, -1))), ""},
};

const std::vector<StringCase> kTrims = {
    {" \t\r\n ab c \v\f", ON(Len(s.Trim())), "ab c"}, {"  ab  ", ON(Len(s.TrimLeft())), "ab  "},
    {"  ab  ", ON(Len(s.TrimRight())), "  ab"},       {" \t ", ON(Len(s.Trim())), ""},
    {"xxaxbxx", ON(Len(s.Trim('x'))), "axb"},         {"xxx", ON(Len(s.TrimRight('x'))), ""},
    {"-+a-b+-", ON(Len(s.Trim("+-"))), "a-b"},        {" a ", ON(Len(s.TrimLeft(kNoText))), " a "},
};

const std::vector<StringCase> kReplaces = {
    {"a.b.c", ON(s.Replace(".", "::")), "a::b::c", 2}, {"a.b.c", ON(s.Replace('.', ',')), "a,b,c", 2},
    {"aaa", ON(s.Replace("aa", "b")), "ba", 1},        {"ab", ON(s.Replace("b", "bb")), "abb", 1},
    {"abc", ON(s.Replace("", "y")), "abc", 0},         {"abc", ON(s.Replace(kNoText, "y")), "abc", 0},
    {"abcb", ON(s.Replace("b", kNoText)), "ac", 2},    {"abc", ON(s.Replace("abc", "")), "", 1},
    {"a,b", ON(s.Replace(',', ',')), "a,b", 0},        {"banana", ON(s.Remove('a')), "bnn", 3},
    {"bann", ON(s.Insert(100, "ana")), "bannana", 7},  {"bann", ON(s.Insert(-5, "<>")), "<>bann", 6},
    {"bannana", ON(s.Delete(5, 100)), "banna", 5},     {"banna", ON(s.Delete(9, 1)), "banna", 5},
    {"banna", ON(s.Delete(1, 0)), "banna", 5},         {"banna", ON(s.Delete(-1)), "anna", 4},
    {"anna", ON((s.Truncate(2), 2)), "an", 2},
};

const std::vector<StringCase> kQuestions = {
    {"abc", ON(s.GetAt(3)), nullptr, 0},          {"abcabc", ON(s.Find("bc", 2)), nullptr, 4},
    {"abcabc", ON(s.Find("bc", 5)), nullptr, -1}, {"abcabc", ON(s.Find("", 6)), nullptr, 6},
    {"abcabc", ON(s.Find("c", 7)), nullptr, -1},  {"abc", ON(s.Find("abcd")), nullptr, -1},
    {"abc", ON(s.Find("a", -1)), nullptr, -1},    {"a.b.c", ON(s.Find('.', 2)), nullptr, 3},
    {"a.b.c", ON(s.Find('c', 5)), nullptr, -1},   {"a.b.c", ON(s.Find('a', -1)), nullptr, -1},
};

const std::vector<StringCase> kOtherQuestions = {
    {"a\\b\\c", ON(s.ReverseFind('\\')), nullptr, 3},      {"a\\b", ON(s.ReverseFind('/')), nullptr, -1},
    {"a:b.c", ON(s.FindOneOf(".:")), nullptr, 1},          {"a.b", ON(s.FindOneOf(kNoText)), nullptr, -1},
    {"ABC", ON(Sign(s.CompareNoCase("abc"))), nullptr, 0}, {"ABC", ON(Sign(s.Compare("abc"))), nullptr, -1},
    {"abc", ON(Sign(s.Compare("ab"))), nullptr, 1},        {"B", ON(Sign(s.CompareNoCase("a"))), nullptr, 1},
};

TEST(CString, ChangesAndQuestionsOnACopy) {
    for (const auto* table : {&kEdits, &kParts, &kTrims, &kReplaces, &kQuestions, &kOtherQuestions}) {
        for (const StringCase& c : *table) {
            const CString original(c.text);
            CString copy(original);
            const int result = c.op(copy);
            const std::string expected = c.expected != nullptr ? c.expected : c.text;
            const int answer = c.result == kLength ? static_cast<int>(expected.size()) : c.result;
            EXPECT_EQ(expected + " " + std::to_string(answer) + " " + c.text,
                      std::string(copy.GetString(), copy.GetLength()) + " " + std::to_string(result) + " " +
                          std::string(original));
        }
    }
}

TEST(CString, ConstructionAndArgumentsOutOfRange) {
    EXPECT_TRUE(CString(kNoText).IsEmpty() && CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    EXPECT_STREQ("ab xxx", CString("abc", 2) + " " + CString('x', 3));
    CString s("text");
    CString moved(std::move(s));
    EXPECT_TRUE(s.IsEmpty()); // NOLINT: a moved-from string is empty
    moved = moved;
    moved = moved.GetString() + 1; // its own text as the source
    moved += moved;
    moved.Append(moved.GetString() + 3, 2);
    EXPECT_STREQ("extextex", moved);
    s = 'c';
    s += CString("d") + "e" + 'f';
    EXPECT_STREQ("x<cdef>", 'x' + ("<" + s + '>'));
    const CString whole("abcde");
    EXPECT_THROW(CString('x', INT_MAX), CMemoryException*);
    int position = -1;
    for (auto body : std::vector<std::function<void()>>{
             [] { CString("abc", -1); }, [] { CString(nullptr, 2); }, [&] { whole.GetAt(-1); },
             [&] { whole.GetAt(6); }, [&] { s.SetAt(-1, 'x'); }, [&] { s.SetAt(4, 'x'); },
             [&] { whole.Tokenize(",", position); }, [&] { whole.Compare(nullptr); }, [&] { s.Truncate(5); },
             [&] { s.Format(nullptr); }, [&] { s.ReleaseBuffer(100); }}) {
        EXPECT_TRUE(ThrowsInvalidArgument(body));
    }
    EXPECT_STREQ("cdef", s);
}

TEST(CString, TokenizeFormatAndBuffers) {
    const CString path("%First Second#Third");
    std::string tokens;
    int position = 0;
    for (CString token; !(token = path.Tokenize("% #", position)).IsEmpty();) {
        tokens += std::string(token) + "@" + std::to_string(position) + " ";
    }
    EXPECT_EQ("First@7 Second@14 Third@20 -1", tokens + std::to_string(position));
    position = 1; // without delimiters the rest is the token and the position stays
    EXPECT_STREQ("bc", CString("abc").Tokenize("", position));
    EXPECT_EQ(1, position);

    CString s("old");
    s.Format("%d|%5.2f|%s|%c|%x|%-4s|%%|%e|%I64d|%g", -12, 3.14159, "txt", 'q', 255, "ab", 12345.0,
             static_cast<__int64>(-9000000000LL), 1e20); // the Windows runtime's conventions
    EXPECT_STREQ("-12| 3.14|txt|q|ff|ab  |%|1.234500e+004|-9000000000|1e+020", s);
    const std::string filler(5000, 'f');
    s.Format("%2000d|", 42);
    s.AppendFormat("<%s>", filler.c_str()); // long texts are formatted whole
    EXPECT_EQ(std::string(1998, ' ') + "42|<" + filler + ">", std::string(s));
    std::strcpy(s.GetBuffer(10000), "written");
    s.ReleaseBuffer();
    EXPECT_STREQ("written", s.GetBuffer(3)); // the text stays when the buffer is big enough
    s.ReleaseBuffer(3);
    EXPECT_STREQ("wri", s);
}

// "表" is 0x95 0x5C and "ソ" is 0x83 0x5C: their trail byte is the backslash.
constexpr char kHyou[] = "\x95\x5C";
constexpr char kSo[] = "\x83\x5C";

int RunDoubleByte(const std::vector<std::string>&) {
    int failures = 0;
    auto check = [&failures](bool holds, int bit) { failures |= holds ? 0 : bit; };
    check(GetACP() == 932, 0x1);
    const CString path = CString("C:\\") + kHyou + "\\" + kSo;
    check(path.Find('\\') == 2 && path.Find('\\', 3) == 5 && path.ReverseFind('\\') == 5, 0x2);
    const CString hyou(kHyou);
    check(hyou.Find('\\') == -1 && hyou.FindOneOf("\\") == -1 && hyou.Find("\\") == -1, 0x8);
    CString trimmed = CString("ab") + kSo + "\\\\";
    check(trimmed.TrimRight("\\") == CString("ab") + kSo && trimmed.TrimRight('\\') == CString("ab") + kSo,
          0x10);
    CString replaced = path;
    CString removed = path;
    check(replaced.Replace('\\', '/') == 2 && replaced == CString("C:/") + kHyou + "/" + kSo, 0x20);
    check(removed.Remove('\\') == 2 && removed == CString("C:") + kHyou + kSo, 0x20);
    int position = 0;
    const CString first = path.Tokenize("\\", position);
    const CString second = path.Tokenize("\\", position);
    check(first == "C:" && second == kHyou && path.Tokenize("\\", position) == kSo, 0x80);
    check((CString(kHyou) + "x").MakeReverse() == CString("x") + kHyou && CString(L"\x8868") == kHyou, 0x100);
    // A lead byte at the very end stands alone; no scan steps over the terminator.
    CString dangling("ab\x95");
    check(dangling.Find("x") == -1 && dangling.Find('x') == -1 && dangling.FindOneOf("x") == -1, 0x400);
    check(dangling.Replace('x', 'y') == 0 && dangling.Remove('x') == 0, 0x400);
    check(dangling.SpanExcluding("x") == dangling && dangling.SpanIncluding("ab\x95").GetLength() <= 3,
          0x400);
    check(dangling.TrimRight('x').TrimLeft("x").GetLength() == 3, 0x400);
    return failures;
}

ovs::test::ChildMode doubleByteMode("framework-double-byte", RunDoubleByte);

TEST(CString, ScansStepOverDoubleByteCharacters) {
    if (!ovs::test::RunsUnderWine()) {
        GTEST_SKIP() << "the locale of a child is set through Wine's Unix environment";
    }
    const ovs::test::ChildResult result = ovs::test::RunChildInLocale("ja_JP.UTF-8", "framework-double-byte");
    EXPECT_TRUE(result.finished && result.exitCode == 0)
        << result.exitCode
        << " (1: code page, 2: Find, 8: trail bytes, 10: Trim, 20: Replace/Remove, 80: Tokenize, "
           "100: MakeReverse/wide text, 400: lone lead byte)";
}

TEST(Collections, ArraysHoldIndependentCopiesAndCheckTheirIndexes) {
    CStringArray array;
    CString source("first");
    array.Add(source);
    EXPECT_EQ(1, array.Add("second"));
    source.SetAt(0, 'F');
    array[1] += "!";
    array.SetAtGrow(5, "f");
    array.InsertAt(1, "x", 2);
    array.InsertAt(10, "far");
    array.RemoveAt(0, 2);
    std::string items;
    for (INT_PTR i = 0; i <= array.GetUpperBound(); ++i) {
        items += std::string(array.GetAt(i)) + "|";
    }
    EXPECT_EQ("x|second!||||f|||far|", items);
    CStringArray copy; // adding an element of the array itself while the array grows
    copy.Add("me");
    for (int i = 0; i < 20; ++i) {
        copy.Add(copy[0]);
    }
    EXPECT_EQ(21, copy.Append(array));
    EXPECT_STREQ("me", copy[20]);
    EXPECT_TRUE(ThrowsInvalidArgument([&] { array.GetAt(array.GetSize()); }));
    EXPECT_TRUE(ThrowsInvalidArgument([&] { array.RemoveAt(array.GetSize() - 1, 2); }));
    EXPECT_TRUE(ThrowsInvalidArgument([&] { array.Append(array); }));
    array.SetSize(1); // elements dropped by shrinking come back empty
    array.SetSize(3);
    EXPECT_STREQ("", array[1]);
}

TEST(CStringW, AppendsGrowCopiesAreIndependentAndNarrowTextIsInTheProcessCodePage) {
    CStringW text(L"Flow");
    text += L'\t';
    text += static_cast<LPCWSTR>(nullptr);
    std::wstring expected = L"Flow\t";
    for (int i = 0; i < 3000; ++i) {
        text += CStringW(L"ab", 1 + i % 2);
        expected += i % 2 == 0 ? L"a" : L"ab";
    }
    CStringW copy(text);
    text += text; // its own text, while the buffer grows
    EXPECT_EQ(expected + expected, std::wstring(text.GetString()));
    text = text.GetString() + text.GetLength() - 3; // a tail of its own text
    EXPECT_STREQ(L"aab", text);
    CStringW moved(std::move(copy));
    EXPECT_EQ(expected, std::wstring(moved.GetString()));
    moved = "Peak \xe9";
    EXPECT_STREQ(GetACP() == 1252 ? L"Peak \x00e9" : moved.GetString(), moved);
    moved = static_cast<LPCSTR>(nullptr);
    EXPECT_STREQ(L"", moved);
}

// Automation dates: days since 1899-12-30; before it the integer part counts back while the fraction
// still runs forward through the day.
TEST(OleDateTime, PartsAndDatesConvertBothWaysOutOfRangeIsInvalidAndFormatIsThePlatformsText) {
    // year, month, day, hour, minute, second, day of the week (1: Sunday), automation date
    const double cases[][8] = {{1899, 12, 30, 0, 0, 0, 7, 0.0},
                               {1899, 12, 31, 6, 0, 0, 1, 1.25},
                               {1900, 3, 1, 0, 0, 0, 5, 61.0},
                               {1899, 12, 29, 6, 0, 0, 6, -1.25},
                               {1899, 12, 28, 18, 0, 0, 5, -2.75},
                               {2000, 2, 29, 12, 0, 0, 3, 36585.5},
                               {100, 1, 1, 0, 0, 0, 6, -657434.0},
                               {9999, 12, 31, 0, 0, 0, 6, 2958465.0},
                               {2026, 12, 4, 17, 5, 9, 6, 46360.711909722224}};
    for (const auto& row : cases) {
        const std::vector<int> p(row, row + 7);
        const DATE date = row[7];
        COleDateTime value;
        EXPECT_EQ(0, value.SetDateTime(p[0], p[1], p[2], p[3], p[4], p[5])) << date;
        EXPECT_DOUBLE_EQ(date, value.m_dt) << p[0] << "-" << p[1] << "-" << p[2];
        value.m_dt = date - (date > 0 ? 1e-9 : 0); // just below the second: rounds allowing for the error
        EXPECT_EQ(p, (std::vector<int>{value.GetYear(), value.GetMonth(), value.GetDay(), value.GetHour(),
                                       value.GetMinute(), value.GetSecond(), value.GetDayOfWeek()}));
        SYSTEMTIME time;
        ASSERT_TRUE(value.GetAsSystemTime(time));
        time.wMilliseconds = 999; // dropped
        EXPECT_EQ(COleDateTime(p[0], p[1], p[2], p[3], p[4], p[5]), COleDateTime(time));
    }

    const int bad[][6] = {{99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}, {2026, 0, 1, 0, 0, 0},
                          {2026, 13, 1, 0, 0, 0}, {2026, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0},
                          {2026, 4, 31, 0, 0, 0}, {2026, 1, 1, 24, 0, 0}, {2026, 1, 1, 0, 60, 0},
                          {2026, 1, 1, 0, 0, 60}, {2026, 1, 1, -1, 0, 0}};
    for (const auto& b : bad) {
        COleDateTime value(1.0);
        EXPECT_EQ(1, value.SetDateTime(b[0], b[1], b[2], b[3], b[4], b[5])) << b[0] << "-" << b[1];
        EXPECT_STREQ("Invalid DateTime", value.Format());
    }
    EXPECT_TRUE(COleDateTime(1e10).GetYear() == -1 && COleDateTime(-657435.0).GetYear() == -1);
    COleDateTime value(2023, 3, 15, 12, 0, 0);
    ovs::unique_bstr text;
    ASSERT_EQ(S_OK, VarBstrFromDate(value.m_dt, LOCALE_USER_DEFAULT, 0, text.put()));
    EXPECT_STREQ(CString(text.get()), value.Format());
    value.SetStatus(COleDateTime::null);
    EXPECT_STREQ("", value.Format());
}

} // namespace
