// The framework's OLE date-time value, OLE exception and file classes.
#include "test_support.h"

#include <afxdisp.h>
#include <afxfile.h>

#include <string>

using ovs::test::ReadFileText;
using ovs::test::TempFolder;

namespace {

struct DateCase {
    int year, month, day, hour, minute, second;
    DATE expected;
};

// Automation dates: days since 1899-12-30; before it the integer part counts back while the
// fraction still runs forward through the day.
const DateCase kDates[] = {
    {1899, 12, 30, 0, 0, 0, 0.0},    {1899, 12, 31, 6, 0, 0, 1.25},      {1900, 1, 1, 0, 0, 0, 2.0},
    {1899, 12, 29, 6, 0, 0, -1.25},  {1899, 12, 28, 18, 0, 0, -2.75},    {2000, 2, 29, 12, 0, 0, 36585.5},
    {100, 1, 1, 0, 0, 0, -657434.0}, {9999, 12, 31, 0, 0, 0, 2958465.0}, {2023, 3, 15, 12, 0, 0, 45000.5},
};

} // namespace

TEST(OleDateTime, SetDateTimeGivesTheAutomationDate) {
    for (const DateCase& c : kDates) {
        COleDateTime value;
        EXPECT_EQ(0, value.SetDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second)) << c.year;
        EXPECT_EQ(COleDateTime::valid, value.GetStatus());
        EXPECT_DOUBLE_EQ(c.expected, value.m_dt) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(OleDateTime, PartsOfTheAutomationDate) {
    for (const DateCase& c : kDates) {
        const COleDateTime value(c.expected);
        EXPECT_EQ(c.year, value.GetYear()) << c.expected;
        EXPECT_EQ(c.month, value.GetMonth()) << c.expected;
        EXPECT_EQ(c.day, value.GetDay()) << c.expected;
        EXPECT_EQ(c.hour, value.GetHour()) << c.expected;
        EXPECT_EQ(c.minute, value.GetMinute()) << c.expected;
        EXPECT_EQ(c.second, value.GetSecond()) << c.expected;
    }
}

TEST(OleDateTime, SecondsRoundAllowingForTheDoublesError) {
    COleDateTime value(2026, 12, 4, 17, 5, 9);
    value.m_dt -= 1e-9; // just below the second
    EXPECT_EQ(9, value.GetSecond());
    SYSTEMTIME time;
    ASSERT_TRUE(value.GetAsSystemTime(time));
    EXPECT_EQ(17, time.wHour);
    EXPECT_EQ(5, time.wMinute);
    EXPECT_EQ(9, time.wSecond);
    EXPECT_EQ(5, time.wDayOfWeek); // a Friday
    EXPECT_EQ(6, value.GetDayOfWeek());
}

TEST(OleDateTime, OutOfRangePartsMakeItInvalid) {
    const int bad[][6] = {{99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}, {2026, 0, 1, 0, 0, 0},
                          {2026, 13, 1, 0, 0, 0}, {2026, 2, 29, 0, 0, 0}, {2026, 4, 31, 0, 0, 0},
                          {2026, 1, 1, 24, 0, 0}, {2026, 1, 1, 0, 60, 0}, {2026, 1, 1, 0, 0, 60},
                          {2026, 1, 1, -1, 0, 0}};
    for (const auto& b : bad) {
        COleDateTime value(1.0);
        EXPECT_EQ(1, value.SetDateTime(b[0], b[1], b[2], b[3], b[4], b[5]))
            << b[0] << "-" << b[1] << "-" << b[2];
        EXPECT_EQ(COleDateTime::invalid, value.GetStatus());
        EXPECT_EQ(-1, value.GetYear());
        SYSTEMTIME time;
        EXPECT_FALSE(value.GetAsSystemTime(time));
    }
    COleDateTime leap;
    EXPECT_EQ(0, leap.SetDateTime(2024, 2, 29, 0, 0, 0));
}

TEST(OleDateTime, DatesOutsideTheCalendarAreNotBrokenDown) {
    EXPECT_EQ(-1, COleDateTime(1e10).GetYear());
    EXPECT_EQ(-1, COleDateTime(-657435.0).GetYear());
}

TEST(OleDateTime, FromSystemTime) {
    const SYSTEMTIME time = {2026, 12, 5, 4, 17, 5, 9, 999};
    const COleDateTime value(time);
    EXPECT_EQ(COleDateTime(2026, 12, 4, 17, 5, 9), value); // milliseconds are dropped
}

TEST(OleDateTime, FormatIsThePlatformsDateText) {
    const COleDateTime value(2023, 3, 15, 12, 0, 0);
    BSTR text = nullptr;
    ASSERT_EQ(S_OK, VarBstrFromDate(value.m_dt, LOCALE_USER_DEFAULT, 0, &text));
    const CString expected(text);
    SysFreeString(text);
    EXPECT_STREQ(expected, value.Format());
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_STREQ("Invalid DateTime", invalid.Format());
    COleDateTime null;
    null.SetStatus(COleDateTime::null);
    EXPECT_STREQ("", null.Format());
}

TEST(OleDateTime, CurrentTimeIsValidAndWhole) {
    const COleDateTime now = COleDateTime::GetCurrentTime();
    EXPECT_EQ(COleDateTime::valid, now.GetStatus());
    EXPECT_GE(now.GetYear(), 2024);
}

TEST(OleException, CheckErrorThrowsByCode) {
    EXPECT_NO_THROW(AfxCheckError(S_FALSE));
    try {
        AfxCheckError(E_OUTOFMEMORY);
        ADD_FAILURE() << "nothing thrown";
    } catch (CMemoryException* caught) {
        EXPECT_EQ(E_OUTOFMEMORY, COleException::Process(caught));
        caught->Delete();
    }
    try {
        AfxCheckError(DISP_E_BADVARTYPE);
        ADD_FAILURE() << "nothing thrown";
    } catch (COleException* caught) {
        EXPECT_EQ(DISP_E_BADVARTYPE, caught->m_sc);
        EXPECT_EQ(DISP_E_BADVARTYPE, COleException::Process(caught));
        caught->Delete();
    }
    CInvalidArgException other(FALSE);
    EXPECT_EQ(E_UNEXPECTED, COleException::Process(&other));
}

TEST(StdioFile, TextModeWritesCarriageReturnLineFeed) {
    TempFolder folder;
    const std::string path = folder / "lines.txt";
    {
        CStdioFile file;
        ASSERT_TRUE(
            file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive));
        file.WriteString("one\ntwo\n");
        file.WriteString("three");
        EXPECT_EQ(15u, file.GetLength());
    }
    EXPECT_EQ("one\r\ntwo\r\nthree", ReadFileText(path));
}

TEST(StdioFile, BinaryModeWritesAsItIs) {
    TempFolder folder;
    const std::string path = folder / "lines.bin";
    {
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        file.WriteString("a\nb");
        file.Close();
    }
    EXPECT_EQ("a\nb", ReadFileText(path));
}

TEST(StdioFile, ExclusiveFileCannotBeOpenedTwice) {
    TempFolder folder;
    const std::string path = folder / "held.txt";
    CStdioFile first;
    ASSERT_TRUE(first.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive));
    CStdioFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive, &error));
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, error.m_lOsError);
}

TEST(StdioFile, MissingFolderThrowsFromTheConstructor) {
    TempFolder folder;
    const std::string path = folder / "no such folder\\x.txt";
    try {
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        ADD_FAILURE() << "nothing thrown";
    } catch (CFileException* caught) {
        EXPECT_EQ(CFileException::badPath, caught->m_cause);
        EXPECT_EQ(ERROR_PATH_NOT_FOUND, caught->m_lOsError);
        EXPECT_STREQ(path.c_str(), caught->m_strFileName);
        caught->Delete();
    }
}

TEST(StdioFile, WriteToAReadOnlyHandleThrows) {
    TempFolder folder;
    const std::string path = folder / "read.txt";
    { CFile create(path.c_str(), CFile::modeCreate | CFile::modeWrite); }
    CStdioFile file(path.c_str(), CFile::modeRead);
    try {
        file.WriteString("x");
        ADD_FAILURE() << "nothing thrown";
    } catch (CFileException* caught) {
        EXPECT_EQ(ERROR_ACCESS_DENIED, caught->m_lOsError);
        caught->Delete();
    }
}
