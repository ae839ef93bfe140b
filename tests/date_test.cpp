#include "test_support.h"
#include "locale_child.h"
#include "ovstooldate.h"

#include <cstdio>
#include <fstream>

using namespace ovs::test;

namespace {

FILETIME Universal(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    const SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    FILETIME fileTime = {};
    SystemTimeToFileTime(&time, &fileTime);
    return fileTime;
}

// The file time's bytes in memory order.
std::string HexOf(const FILETIME& fileTime) {
    char text[17] = {};
    std::snprintf(text, sizeof text, "%08lX%08lX", _byteswap_ulong(fileTime.dwLowDateTime),
                  _byteswap_ulong(fileTime.dwHighDateTime));
    return text;
}

std::string Encode(DATE date, BOOL noDate = FALSE) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4; // whatever the variant held is replaced
    Tool_EnCodeDateValue(date, noDate, &value);
    const std::string text =
        value.vt == VT_BSTR ? std::string(CString(value.bstrVal)) : "<vt " + std::to_string(value.vt) + ">";
    VariantClear(&value);
    return text;
}

// The variant is handed over to the call, which frees it.
COleDateTime Decode(const std::string& text, VARTYPE type = VT_BSTR) {
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    value.date = 1000.0;
    if (type == VT_BSTR) {
        value.bstrVal = SysAllocString(std::wstring(text.begin(), text.end()).c_str());
    }
    COleDateTime out(1.0);
    Tool_DeCodeDateValue(value, &out);
    return out;
}

// The time of the body, a second of slack on either side, holds the value.
template <typename Body>
bool NowDuring(Body body) {
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    const COleDateTime value = body();
    GetLocalTime(&after);
    return value.GetStatus() == COleDateTime::valid &&
           value.m_dt >= COleDateTime(before).m_dt - 1.0 / 86400 &&
           value.m_dt <= COleDateTime(after).m_dt + 1.0 / 86400;
}

// 2026-12-04 17:05:09 universal time, a Friday.
constexpr __time64_t kMoment = 1796403909;
const FILETIME kMomentFileTime = Universal(2026, 12, 4, 17, 5, 9);

std::string DateTimeTexts(const SYSTEMTIME& time, LCID locale, DWORD dateFlags) {
    char date[100] = {};
    char clock[100] = {};
    GetDateFormatA(locale, dateFlags, &time, nullptr, date, sizeof date);
    GetTimeFormatA(locale, 0, &time, nullptr, clock, sizeof clock);
    return std::string(date) + " " + clock;
}

std::string MakeDateFormat(__time64_t t, const char* format) {
    CString out("previous");
    Tool_MakeDateFormat(t, format, out);
    return out.GetString();
}

std::string ChangeDateTime(const FILETIME& fileTime, WORD style) {
    CString out("previous");
    Tool_ChangeDateTime(fileTime, out, style);
    return out.GetString();
}

// Child in a time zone of its own. "encode <file> <date>...": the text of each local automation date.
// "decode <file> <input>": each input text decoded and encoded again, then the moment as a local file
// time and back and its date texts; exits with 3 when Tool_GetNow is not the process's local time.
ChildMode zoneMode("date-zone", [](const std::vector<std::string>& args) {
    std::vector<std::string> lines;
    if (args.size() >= 2 && args[0] == "encode") {
        for (size_t i = 2; i < args.size(); ++i) {
            lines.push_back(Encode(std::stod(args[i])));
        }
    } else if (args.size() == 3 && args[0] == "decode") {
        for (const std::string& text : SplitLines(ReadFileText(args[2]))) {
            const COleDateTime local = Decode(text);
            lines.push_back(std::string(local.Format()) + " " + Encode(local.m_dt));
        }
        FILETIME local, back;
        lines.push_back(Tool_FileTimeToLocalFileTime(&kMomentFileTime, &local) &&
                                Tool_LocalFileTimeToFileTime(&local, &back)
                            ? HexOf(local) + " " + HexOf(back)
                            : "failed");
        lines.push_back(MakeDateFormat(kMoment, "%x %X"));
        lines.push_back(ChangeDateTime(kMomentFileTime, 2));
    } else {
        return 2;
    }
    std::ofstream out(args[1], std::ios::binary);
    for (const std::string& line : lines) {
        out << line << "\r\n";
    }
    out.close();
    COleDateTime now;
    return NowDuring([&now] { return Tool_GetNow(&now), now; }) ? 0 : 3;
});

} // namespace

TEST(DateValueText, EncodingIsTheFileTimeBytesInUpperCaseAndDecodingTakesSixteenDigits) {
    // Low word 0xA0F4D001 and high word 0x01DC8E61: the pairs of each word run low byte first.
    const FILETIME fixed = {0xA0F4D001, 0x01DC8E61};
    SYSTEMTIME local;
    ASSERT_TRUE(Tool_FileTimeToLocalSystemTime(&fixed, &local));
    EXPECT_STREQ(COleDateTime(local).Format(), Decode("01d0F4a0618eDC01").Format())
        << "digits of either case";
    ASSERT_TRUE(Tool_FileTimeToLocalSystemTime(&kMomentFileTime, &local));
    EXPECT_EQ(HexOf(kMomentFileTime), Encode(COleDateTime(local).m_dt));
    EXPECT_EQ("", Encode(45000.0, TRUE)) << "no date: an empty text";
    EXPECT_EQ("<vt 0> <vt 0>", Encode(1e10) + " " + Encode(-1e10))
        << "outside the calendar: an empty variant";
    Tool_EnCodeDateValue(45000.0, FALSE, nullptr); // refused
    Tool_DeCodeDateValue(VARIANT{}, nullptr);

    const std::string text = HexOf(Universal(2025, 2, 28, 23, 59, 58));
    const COleDateTime plain = Decode(text);
    ASSERT_EQ(COleDateTime::valid, plain.GetStatus());
    EXPECT_STREQ(plain.Format(), Decode(text + "FF").Format())
        << "digits beyond sixteen are read but not used";
    // Fewer digits, an odd count, a letter past F, a blank, or a file time beyond the system time range.
    for (const std::string& bad :
         {text + "FX", text.substr(0, 15), text.substr(0, 14), text + "0",
          text.substr(0, 5) + "G" + text.substr(6), text.substr(0, 5) + "g" + text.substr(6),
          " " + text.substr(1), std::string("67452301EFCDAB89")}) {
        EXPECT_EQ(COleDateTime::invalid, Decode(bad).GetStatus()) << bad;
    }
    for (VARTYPE type : {VARTYPE(VT_BSTR), VARTYPE(VT_I4), VARTYPE(VT_EMPTY), VARTYPE(VT_DATE)}) {
        EXPECT_TRUE(NowDuring([type] { return Decode("", type); })) << "no text, type " << type;
    }
}

// Berlin encodes, New York decodes, each under Wine's per-process time zone. The same instant comes
// back, and New York encodes it again to the same text.
TEST(DateValueText, RoundTripAcrossDaylightChangesThroughTwoZones) {
    if (!RunsUnderWine()) {
        GTEST_SKIP() << "a per-process time zone needs Wine";
    }
    // Local time in Berlin, and the same instant in New York's local time: around both daylight-saving
    // changes of 2026 in Berlin (29 March, 25 October), and on 20 March 2006 and 2007. New York moved
    // its daylight-saving start from April to March in 2007, which today's rules would get wrong for 2006.
    const std::pair<COleDateTime, COleDateTime> cases[] = {
        {{2026, 3, 29, 1, 30, 0}, {2026, 3, 28, 20, 30, 0}},
        {{2026, 3, 29, 3, 30, 0}, {2026, 3, 28, 21, 30, 0}},
        {{2026, 10, 25, 1, 30, 15}, {2026, 10, 24, 19, 30, 15}},
        {{2026, 10, 25, 3, 30, 59}, {2026, 10, 24, 22, 30, 59}},
        {{2006, 3, 20, 13, 0, 0}, {2006, 3, 20, 7, 0, 0}},
        {{2007, 3, 20, 13, 0, 0}, {2007, 3, 20, 8, 0, 0}},
    };
    TempFolder folder;
    std::vector<std::string> args = {"encode", folder / "encoded.txt"};
    for (const auto& [berlin, newYork] : cases) {
        args.push_back(std::to_string(berlin.m_dt));
    }
    const ChildResult encoder = RunChildInTimeZone("Europe/Berlin", "date-zone", args);
    ASSERT_TRUE(encoder.finished && encoder.exitCode == 0) << encoder.exitCode;
    std::vector<std::string> expected;
    for (size_t i = 0; i < std::size(cases); ++i) {
        expected.push_back(std::string(cases[i].second.Format()) + " " +
                           SplitLines(ReadFileText(folder / "encoded.txt")).at(i));
    }
    // The moment's local time is that of the process's zone; a file time is shown without conversion.
    expected.push_back(HexOf(Universal(2026, 12, 4, 12, 5, 9)) + " " + HexOf(kMomentFileTime));
    const SYSTEMTIME newYork = {2026, 12, 5, 4, 12, 5, 9, 0};
    expected.push_back(DateTimeTexts(newYork, LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE));
    expected.push_back(ChangeDateTime(kMomentFileTime, 2));
    const ChildResult decoder = RunChildInTimeZone(
        "America/New_York", "date-zone", {"decode", folder / "decoded.txt", folder / "encoded.txt"});
    ASSERT_TRUE(decoder.finished && decoder.exitCode == 0) << decoder.exitCode;
    EXPECT_EQ(expected, SplitLines(ReadFileText(folder / "decoded.txt")));
}

TEST(DateTexts, ConversionFailuresNowToTheSecondPlaceholdersAndFileTimesInTheirStyle) {
    SYSTEMTIME localSystem;
    FILETIME back;
    const FILETIME beyond = {0, 0x80000000}; // past the last system time
    const SYSTEMTIME badMonth = {2026, 13, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(Tool_FileTimeToLocalSystemTime(&beyond, &localSystem) ||
                 Tool_FileTimeToLocalFileTime(&beyond, &back) ||
                 Tool_LocalFileTimeToFileTime(&beyond, &back) ||
                 Tool_LocalSystemTimeToFileTime(&badMonth, &back) ||
                 Tool_FileTimeToLocalSystemTime(nullptr, &localSystem) ||
                 Tool_LocalSystemTimeToFileTime(&badMonth, nullptr));
    COleDateTime now;
    EXPECT_TRUE(NowDuring([&now] { return Tool_GetNow(&now), now; }));
    EXPECT_EQ(now.m_dt, COleDateTime(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour(),
                                     now.GetMinute(), now.GetSecond())
                            .m_dt); // no milliseconds
    EXPECT_EQ(COleDateTime::invalid, Tool_GetNow(nullptr));

    SYSTEMTIME local = {};
    ASSERT_TRUE(Tool_FileTimeToLocalSystemTime(&kMomentFileTime, &local));
    const std::string both = DateTimeTexts(local, LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE);
    const std::string date = both.substr(0, both.find(' '));
    const std::string time = both.substr(both.find(' ') + 1);
    EXPECT_EQ("Report %d %y 100%", MakeDateFormat(kMoment, "Report %d %y 100%"));
    EXPECT_EQ("Printed " + date + ".", MakeDateFormat(kMoment, "Printed %x."));
    EXPECT_EQ(date + " " + time + " / " + date + " %%y", MakeDateFormat(kMoment, "%x %X / %x %%y"));
    EXPECT_EQ("[] []", MakeDateFormat(-1, "[%x] [%X]")) << "moments before 1970 cannot be broken down";

    const SYSTEMTIME shown = {2026, 12, 5, 4, 17, 5, 9, 0}; // without conversion
    EXPECT_EQ(std::string(COleDateTime(shown).Format()), ChangeDateTime(kMomentFileTime, 1));
    EXPECT_EQ(DateTimeTexts(shown, LOCALE_USER_DEFAULT, DATE_LONGDATE), ChangeDateTime(kMomentFileTime, 2));
    EXPECT_EQ("", ChangeDateTime(kMomentFileTime, 0) + ChangeDateTime(kMomentFileTime, 3) +
                      ChangeDateTime(beyond, 1) + ChangeDateTime(beyond, 2));
}
