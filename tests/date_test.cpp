#include "test_support.h"
#include "locale_child.h"
#include "ovstooldate.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using ovs::test::ChildMode;
using ovs::test::ChildResult;
using ovs::test::ReadFileText;
using ovs::test::RunChildInTimeZone;
using ovs::test::RunsUnderWine;
using ovs::test::SplitLines;
using ovs::test::TempFolder;

namespace {

FILETIME UniversalFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    FILETIME fileTime = {};
    SystemTimeToFileTime(&time, &fileTime);
    return fileTime;
}

// The 8 bytes of the file time as they lie in memory, two upper-case digits each.
std::string HexOf(const FILETIME& fileTime) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&fileTime);
    std::string text;
    for (size_t i = 0; i < sizeof fileTime; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string Narrow(BSTR text) {
    char narrow[256] = {};
    WideCharToMultiByte(CP_ACP, 0, text != nullptr ? text : L"", -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// Encodes and hands back the text; "<vt N>" when the variant is not text.
std::string Encode(DATE date, BOOL noDate = FALSE) {
    VARIANT value;
    VariantInit(&value);
    Tool_EnCodeDateValue(date, noDate, &value);
    std::string text = value.vt == VT_BSTR ? Narrow(value.bstrVal) : "<vt " + std::to_string(value.vt) + ">";
    VariantClear(&value);
    return text;
}

// Decodes a text; the variant is handed over and freed by the call.
COleDateTime Decode(const std::string& text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    const std::wstring wide(text.begin(), text.end());
    value.bstrVal = SysAllocString(wide.c_str());
    COleDateTime out;
    Tool_DeCodeDateValue(value, &out);
    return out;
}

std::string Show(const COleDateTime& value) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d status %d", value.GetYear(),
                  value.GetMonth(), value.GetDay(), value.GetHour(), value.GetMinute(), value.GetSecond(),
                  static_cast<int>(value.GetStatus()));
    return text;
}

COleDateTime LocalNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return COleDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// True when the value lies between the two moments, a second of slack on either side.
bool Between(const COleDateTime& before, const COleDateTime& value, const COleDateTime& after) {
    const double second = 1.0 / 86400;
    return value.GetStatus() == COleDateTime::valid && value.m_dt >= before.m_dt - second &&
           value.m_dt <= after.m_dt + second;
}

std::vector<std::string> FileLines(const std::string& path) {
    return SplitLines(ReadFileText(path));
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) {
        out << line << "\r\n";
    }
}

// Child: args are the output file, then groups of six numbers, a local time each (year month day
// hour minute second); writes the encoded text of each.
ChildMode encodeMode("date-encode", [](const std::vector<std::string>& args) {
    if (args.empty() || (args.size() - 1) % 6 != 0) {
        return 2;
    }
    std::vector<std::string> lines;
    for (size_t i = 1; i < args.size(); i += 6) {
        int part[6];
        for (int k = 0; k < 6; ++k) {
            part[k] = std::atoi(args[i + k].c_str());
        }
        const COleDateTime local(part[0], part[1], part[2], part[3], part[4], part[5]);
        lines.push_back(Encode(local.m_dt));
    }
    WriteLines(args[0], lines);
    return 0;
});

// Child: args are an input file of encoded texts and an output file; writes for each text the decoded
// local time with its status, a blank, and that local time encoded again.
ChildMode decodeMode("date-decode", [](const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return 2;
    }
    std::vector<std::string> lines;
    for (const std::string& text : FileLines(args[0])) {
        const COleDateTime local = Decode(text);
        lines.push_back(Show(local) + " " + Encode(local.m_dt));
    }
    WriteLines(args[1], lines);
    return 0;
});

struct ZoneCase {
    int local[6];        // local time in Berlin
    WORD universal[6];   // the same instant in universal time
    const char* newYork; // and in New York's local time
};

// Around both daylight-saving changes of 2026 in Berlin (29 March, 25 October) and in winter.
const ZoneCase kZoneCases[] = {
    {{2026, 3, 29, 1, 30, 0}, {2026, 3, 29, 0, 30, 0}, "2026-03-28 20:30:00 status 0"},
    {{2026, 3, 29, 3, 30, 0}, {2026, 3, 29, 1, 30, 0}, "2026-03-28 21:30:00 status 0"},
    {{2026, 10, 25, 1, 30, 15}, {2026, 10, 24, 23, 30, 15}, "2026-10-24 19:30:15 status 0"},
    {{2026, 10, 25, 3, 30, 59}, {2026, 10, 25, 2, 30, 59}, "2026-10-24 22:30:59 status 0"},
    {{2026, 1, 15, 12, 0, 0}, {2026, 1, 15, 11, 0, 0}, "2026-01-15 06:00:00 status 0"},
    // A summer date, encoded while the machine's clock stands in winter: the summer offset applies.
    {{2026, 7, 15, 12, 0, 0}, {2026, 7, 15, 10, 0, 0}, "2026-07-15 06:00:00 status 0"},
};

} // namespace

TEST(DateValueText, EncodingIsTheFileTimeBytesInUpperCase) {
    const FILETIME universal = UniversalFileTime(2026, 12, 6, 9, 15, 30);
    SYSTEMTIME local;
    ASSERT_TRUE(Tool_FileTimeToLocalSystemTime(&universal, &local));
    const std::string text = Encode(COleDateTime(local).m_dt);
    EXPECT_EQ(HexOf(universal), text);
    EXPECT_EQ(16u, text.size());
    EXPECT_EQ(std::string::npos, text.find_first_not_of("0123456789ABCDEF")) << text;
}

TEST(DateValueText, DigitPairsFollowTheBytesInMemory) {
    // Low word 0xA0F4D001 and high word 0x01DC8E61: the pairs of each word run low byte first.
    FILETIME fileTime;
    fileTime.dwLowDateTime = 0xA0F4D001;
    fileTime.dwHighDateTime = 0x01DC8E61;
    EXPECT_EQ("01D0F4A0618EDC01", HexOf(fileTime)); // the test's own byte order, checked once
    SYSTEMTIME universal;
    ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &universal));
    SYSTEMTIME local;
    ASSERT_TRUE(Tool_FileTimeToLocalSystemTime(&fileTime, &local));
    const COleDateTime decoded = Decode("01D0F4A0618EDC01");
    ASSERT_EQ(COleDateTime::valid, decoded.GetStatus());
    EXPECT_EQ(local.wYear, decoded.GetYear());
    EXPECT_EQ(local.wHour, decoded.GetHour());
    EXPECT_EQ(local.wSecond, decoded.GetSecond());
}

TEST(DateValueText, UpperAndLowerCaseDigitsDecodeAlike) {
    const std::string upper = HexOf(UniversalFileTime(2025, 2, 28, 23, 59, 58));
    const COleDateTime fromUpper = Decode(upper);
    const COleDateTime fromLower = Decode(Lower(upper));
    ASSERT_EQ(COleDateTime::valid, fromUpper.GetStatus());
    EXPECT_EQ(fromUpper, fromLower);
    std::string mixed = upper;
    for (size_t i = 0; i < mixed.size(); i += 2) {
        mixed[i] = Lower(mixed.substr(i, 1))[0];
    }
    EXPECT_EQ(fromUpper, Decode(mixed));
}

TEST(DateValueText, FifteenDigitsAreInvalid) {
    const std::string text = HexOf(UniversalFileTime(2025, 2, 28, 12, 0, 0));
    EXPECT_EQ(COleDateTime::invalid, Decode(text.substr(0, 15)).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, Decode(text.substr(0, 14)).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, Decode(text + "0").GetStatus()); // odd count
}

TEST(DateValueText, LetterGIsInvalid) {
    std::string text = HexOf(UniversalFileTime(2025, 2, 28, 12, 0, 0));
    text[5] = 'G';
    EXPECT_EQ(COleDateTime::invalid, Decode(text).GetStatus());
    text[5] = 'g';
    EXPECT_EQ(COleDateTime::invalid, Decode(text).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, Decode(" " + text.substr(1)).GetStatus());
}

TEST(DateValueText, DigitsBeyondSixteenAreReadButNotUsed) {
    const std::string text = HexOf(UniversalFileTime(2025, 2, 28, 12, 0, 0));
    const COleDateTime plain = Decode(text);
    ASSERT_EQ(COleDateTime::valid, plain.GetStatus());
    EXPECT_EQ(plain, Decode(text + "FF"));
    EXPECT_EQ(COleDateTime::invalid, Decode(text + "FX").GetStatus());
}

TEST(DateValueText, FileTimeBeyondTheSystemTimeRangeIsInvalid) {
    EXPECT_EQ(COleDateTime::invalid, Decode("67452301EFCDAB89").GetStatus());
}

TEST(DateValueText, EmptyTextGivesTheCurrentTime) {
    const COleDateTime before = LocalNow();
    const COleDateTime decoded = Decode("");
    const COleDateTime after = LocalNow();
    EXPECT_TRUE(Between(before, decoded, after)) << Show(decoded) << " not between " << Show(before);
}

TEST(DateValueText, VariantThatIsNotTextGivesTheCurrentTime) {
    for (VARTYPE type : {VARTYPE(VT_I4), VARTYPE(VT_EMPTY), VARTYPE(VT_DATE)}) {
        VARIANT value;
        VariantInit(&value);
        value.vt = type;
        value.lVal = 42;
        if (type == VT_DATE) {
            value.date = 1000.0;
        }
        const COleDateTime before = LocalNow();
        COleDateTime decoded(1.0);
        Tool_DeCodeDateValue(value, &decoded);
        const COleDateTime after = LocalNow();
        EXPECT_TRUE(Between(before, decoded, after)) << "type " << type << ": " << Show(decoded);
    }
}

TEST(DateValueText, NoDateGivesAnEmptyText) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = 3;
    Tool_EnCodeDateValue(45000.0, TRUE, &value);
    EXPECT_EQ(VT_BSTR, value.vt);
    EXPECT_EQ(0u, SysStringLen(value.bstrVal));
    VariantClear(&value);
}

TEST(DateValueText, DateOutsideTheCalendarLeavesAnEmptyVariant) {
    EXPECT_EQ("<vt 0>", Encode(1e10));
    EXPECT_EQ("<vt 0>", Encode(-1e10));
}

TEST(DateValueText, RoundTripInThisProcess) {
    const COleDateTime local(2024, 2, 29, 13, 14, 15);
    const COleDateTime decoded = Decode(Encode(local.m_dt));
    EXPECT_EQ(Show(local), Show(decoded));
}

TEST(DateValueText, NullArgumentsAreRefused) {
    Tool_EnCodeDateValue(45000.0, FALSE, nullptr);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(L"0011223344556677");
    Tool_DeCodeDateValue(value, nullptr); // clears the variant, writes nothing
    SUCCEED();
}

// Both children under Wine's per-process time zones: Berlin encodes, New York decodes.
TEST(DateAcrossZones, RoundTripAcrossDaylightChangesThroughTwoZones) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "a per-process time zone needs Wine";
    }
    TempFolder folder;
    std::vector<std::string> args = {folder / "encoded.txt"};
    for (const ZoneCase& c : kZoneCases) {
        for (int part : c.local) {
            args.push_back(std::to_string(part));
        }
    }
    const ChildResult encoder = RunChildInTimeZone("Europe/Berlin", "date-encode", args);
    ASSERT_TRUE(encoder.finished);
    ASSERT_EQ(0u, encoder.exitCode);
    const std::vector<std::string> encoded = FileLines(folder / "encoded.txt");
    ASSERT_EQ(std::size(kZoneCases), encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        const WORD* u = kZoneCases[i].universal;
        EXPECT_EQ(HexOf(UniversalFileTime(u[0], u[1], u[2], u[3], u[4], u[5])), encoded[i]) << "case " << i;
    }

    const ChildResult decoder = RunChildInTimeZone("America/New_York", "date-decode",
                                                   {folder / "encoded.txt", folder / "decoded.txt"});
    ASSERT_TRUE(decoder.finished);
    ASSERT_EQ(0u, decoder.exitCode);
    const std::vector<std::string> decoded = FileLines(folder / "decoded.txt");
    ASSERT_EQ(encoded.size(), decoded.size());
    for (size_t i = 0; i < decoded.size(); ++i) {
        // The New York local time, and encoded again there: the same instant, so the same text.
        EXPECT_EQ(std::string(kZoneCases[i].newYork) + " " + encoded[i], decoded[i]) << "case " << i;
    }
}

// New York moved its daylight-saving start from April to March in 2007: 20 March 2006 was still
// standard time there, which today's rules would get wrong.
TEST(DateAcrossZones, OldDatesUseTheRulesOfTheirYear) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "a per-process time zone needs Wine";
    }
    TempFolder folder;
    WriteLines(folder / "old.txt", {HexOf(UniversalFileTime(2006, 3, 20, 12, 0, 0)),
                                    HexOf(UniversalFileTime(2007, 3, 20, 12, 0, 0))});
    const ChildResult decoder =
        RunChildInTimeZone("America/New_York", "date-decode", {folder / "old.txt", folder / "decoded.txt"});
    ASSERT_TRUE(decoder.finished);
    ASSERT_EQ(0u, decoder.exitCode);
    const std::vector<std::string> decoded = FileLines(folder / "decoded.txt");
    ASSERT_EQ(2u, decoded.size());
    EXPECT_EQ("2006-03-20 07:00:00 status 0 " + HexOf(UniversalFileTime(2006, 3, 20, 12, 0, 0)), decoded[0]);
    EXPECT_EQ("2007-03-20 08:00:00 status 0 " + HexOf(UniversalFileTime(2007, 3, 20, 12, 0, 0)), decoded[1]);
}

TEST(TimeConversion, LocalAndUniversalFileTimesRoundTrip) {
    const FILETIME universal = UniversalFileTime(2026, 7, 1, 8, 0, 0);
    FILETIME local = {};
    ASSERT_TRUE(Tool_FileTimeToLocalFileTime(&universal, &local));
    SYSTEMTIME localSystem;
    ASSERT_TRUE(Tool_FileTimeToLocalSystemTime(&universal, &localSystem));
    FILETIME fromSystem = {};
    ASSERT_TRUE(SystemTimeToFileTime(&localSystem, &fromSystem));
    EXPECT_EQ(HexOf(fromSystem), HexOf(local));
    FILETIME back = {};
    ASSERT_TRUE(Tool_LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(HexOf(universal), HexOf(back));
    FILETIME viaSystem = {};
    ASSERT_TRUE(Tool_LocalSystemTimeToFileTime(&localSystem, &viaSystem));
    EXPECT_EQ(HexOf(universal), HexOf(viaSystem));
}

TEST(TimeConversion, FailuresGiveFalse) {
    FILETIME beyond;
    beyond.dwLowDateTime = 0;
    beyond.dwHighDateTime = 0x80000000; // past the last system time
    SYSTEMTIME local;
    FILETIME out;
    EXPECT_FALSE(Tool_FileTimeToLocalSystemTime(&beyond, &local));
    EXPECT_FALSE(Tool_FileTimeToLocalFileTime(&beyond, &out));
    EXPECT_FALSE(Tool_LocalFileTimeToFileTime(&beyond, &out));
    SYSTEMTIME bad = {};
    bad.wYear = 2026;
    bad.wMonth = 13;
    bad.wDay = 1;
    EXPECT_FALSE(Tool_LocalSystemTimeToFileTime(&bad, &out));
    EXPECT_FALSE(Tool_FileTimeToLocalSystemTime(nullptr, &local));
    EXPECT_FALSE(Tool_LocalSystemTimeToFileTime(&bad, nullptr));
}

TEST(CurrentTime, GetNowIsTheLocalTimeToTheSecond) {
    const COleDateTime before = LocalNow();
    COleDateTime now;
    EXPECT_EQ(COleDateTime::valid, Tool_GetNow(&now));
    const COleDateTime after = LocalNow();
    EXPECT_TRUE(Between(before, now, after)) << Show(now);
    EXPECT_EQ(now.m_dt, COleDateTime(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour(),
                                     now.GetMinute(), now.GetSecond())
                            .m_dt); // no milliseconds
    EXPECT_EQ(COleDateTime::invalid, Tool_GetNow(nullptr));
}

namespace {

// 2026-12-04 17:05:09 universal time.
constexpr __time64_t kMoment = 1796403909;

SYSTEMTIME LocalOfMoment() {
    const FILETIME universal = UniversalFileTime(2026, 12, 4, 17, 5, 9);
    SYSTEMTIME local = {};
    Tool_FileTimeToLocalSystemTime(&universal, &local);
    return local;
}

std::string ShortDate(const SYSTEMTIME& time) {
    char text[100] = {};
    GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, sizeof text);
    return text;
}

std::string TimeText(const SYSTEMTIME& time) {
    char text[100] = {};
    GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, &time, nullptr, text, sizeof text);
    return text;
}

std::string MakeDateFormat(__time64_t t, const char* format) {
    CString out("previous");
    Tool_MakeDateFormat(t, format, out);
    return out.GetString();
}

} // namespace

TEST(MakeDateFormat, TheMomentIsTheOneExpected) {
    const SYSTEMTIME universal = {2026, 12, 5, 4, 17, 5, 9, 0};
    FILETIME fileTime;
    ASSERT_TRUE(SystemTimeToFileTime(&universal, &fileTime));
    const ULONGLONG ticks = (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    EXPECT_EQ(static_cast<ULONGLONG>(kMoment), (ticks - 116444736000000000ULL) / 10000000ULL);
}

TEST(MakeDateFormat, NeitherPlaceholderLeavesTheFormat) {
    EXPECT_EQ("Report %d %y 100%", MakeDateFormat(kMoment, "Report %d %y 100%"));
    EXPECT_EQ("", MakeDateFormat(kMoment, ""));
}

TEST(MakeDateFormat, ShortDateOnly) {
    const std::string date = ShortDate(LocalOfMoment());
    ASSERT_FALSE(date.empty());
    EXPECT_EQ("Printed " + date + ".", MakeDateFormat(kMoment, "Printed %x."));
}

TEST(MakeDateFormat, TimeOnly) {
    const std::string time = TimeText(LocalOfMoment());
    ASSERT_FALSE(time.empty());
    EXPECT_EQ("at " + time, MakeDateFormat(kMoment, "at %X"));
}

TEST(MakeDateFormat, BothAndEveryOccurrence) {
    const SYSTEMTIME local = LocalOfMoment();
    EXPECT_EQ(ShortDate(local) + " " + TimeText(local) + " / " + ShortDate(local) + " %%y",
              MakeDateFormat(kMoment, "%x %X / %x %%y"));
}

TEST(MakeDateFormat, MomentThatCannotBeBrokenDownGivesEmptyTexts) {
    EXPECT_EQ("[] []", MakeDateFormat(-1000000000000LL, "[%x] [%X]"));
}

namespace {

std::string ChangeDateTime(const FILETIME& fileTime, WORD style) {
    CString out("previous");
    Tool_ChangeDateTime(fileTime, out, style);
    return out.GetString();
}

} // namespace

TEST(ChangeDateTime, StyleOneIsThePlatformsDateText) {
    const FILETIME fileTime = UniversalFileTime(2026, 12, 4, 17, 5, 9);
    const SYSTEMTIME shown = {2026, 12, 5, 4, 17, 5, 9, 0};
    DATE date = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(const_cast<SYSTEMTIME*>(&shown), &date));
    BSTR text = nullptr;
    ASSERT_EQ(S_OK, VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, &text));
    const std::string expected = Narrow(text);
    SysFreeString(text);
    EXPECT_EQ(expected, ChangeDateTime(fileTime, 1));
    EXPECT_NE(std::string::npos, expected.find("2026")) << expected;
}

TEST(ChangeDateTime, StyleTwoIsLongDateAndTime) {
    const FILETIME fileTime = UniversalFileTime(2026, 12, 4, 17, 5, 9);
    const SYSTEMTIME shown = {2026, 12, 5, 4, 17, 5, 9, 0};
    char date[32] = {};
    char time[32] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &shown, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &shown, nullptr, time, sizeof time);
    ASSERT_NE('\0', date[0]);
    EXPECT_EQ(std::string(date) + " " + time, ChangeDateTime(fileTime, 2));
}

TEST(ChangeDateTime, OtherStylesAndBadTimesGiveAnEmptyText) {
    const FILETIME fileTime = UniversalFileTime(2026, 12, 4, 17, 5, 9);
    EXPECT_EQ("", ChangeDateTime(fileTime, 0));
    EXPECT_EQ("", ChangeDateTime(fileTime, 3));
    FILETIME beyond;
    beyond.dwLowDateTime = 0;
    beyond.dwHighDateTime = 0x80000000;
    EXPECT_EQ("", ChangeDateTime(beyond, 1));
    EXPECT_EQ("", ChangeDateTime(beyond, 2));
}

namespace {

// Child: style 2 of a fixed file time, written to the file named by the first argument.
ChildMode changeMode("date-change", [](const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return 2;
    }
    WriteLines(args[0], {ChangeDateTime(UniversalFileTime(2026, 7, 4, 23, 30, 0), 2)});
    return 0;
});

} // namespace

TEST(ChangeDateTime, ShownWithoutTimeZoneConversion) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "a per-process time zone needs Wine";
    }
    TempFolder folder;
    const ChildResult child = RunChildInTimeZone("Asia/Tokyo", "date-change", {folder / "change.txt"});
    ASSERT_TRUE(child.finished);
    ASSERT_EQ(0u, child.exitCode);
    EXPECT_EQ(std::vector<std::string>{ChangeDateTime(UniversalFileTime(2026, 7, 4, 23, 30, 0), 2)},
              FileLines(folder / "change.txt"));
}

TEST(MakeDateFormat, MomentsBefore1970CannotBeBrokenDown) {
    EXPECT_EQ("[] []", MakeDateFormat(-1, "[%x] [%X]"));
}

namespace {

// Child: writes the date texts of the fixed moment, and returns 3 when the current time of
// Tool_GetNow is not the process's local time.
ChildMode formatMode("date-now-format", [](const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return 2;
    }
    WriteLines(args[0], {MakeDateFormat(kMoment, "%x %X")});
    const COleDateTime before = LocalNow();
    COleDateTime now;
    Tool_GetNow(&now);
    const COleDateTime after = LocalNow();
    return Between(before, now, after) ? 0 : 3;
});

} // namespace

TEST(MakeDateFormat, LocalTimeOfTheProcesssZone) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "a per-process time zone needs Wine";
    }
    TempFolder folder;
    const ChildResult child = RunChildInTimeZone("Asia/Tokyo", "date-now-format", {folder / "format.txt"});
    ASSERT_TRUE(child.finished);
    EXPECT_EQ(0u, child.exitCode);
    const SYSTEMTIME tokyo = {2026, 12, 6, 5, 2, 5, 9, 0}; // 17:05:09 universal time plus nine hours
    EXPECT_EQ(std::vector<std::string>{ShortDate(tokyo) + " " + TimeText(tokyo)},
              FileLines(folder / "format.txt"));
}
