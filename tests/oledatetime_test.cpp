// The framework's OLE date-time value, OLE exception and file classes.
#include "test_support.h"

#include <afxdisp.h>
#include <afxfile.h>

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
        EXPECT_EQ(1, value.SetDateTime(b[0], b[1], b[2], b[3], b[4], b[5]))
            << b[0] << "-" << b[1] << "-" << b[2];
        SYSTEMTIME time;
        EXPECT_FALSE(value.GetAsSystemTime(time));
        EXPECT_STREQ("Invalid DateTime", value.Format());
    }
    EXPECT_EQ(-1, COleDateTime(1e10).GetYear());
    EXPECT_EQ(-1, COleDateTime(-657435.0).GetYear());
    COleDateTime value(2023, 3, 15, 12, 0, 0);
    ovs::unique_bstr text;
    ASSERT_EQ(S_OK, VarBstrFromDate(value.m_dt, LOCALE_USER_DEFAULT, 0, text.put()));
    EXPECT_STREQ(CString(text.get()), value.Format());
    value.SetStatus(COleDateTime::null);
    EXPECT_STREQ("", value.Format());
}

TEST(OleException, CheckErrorThrowsByCode) {
    EXPECT_NO_THROW(AfxCheckError(S_FALSE));
    EXPECT_THROW(AfxCheckError(E_OUTOFMEMORY), CMemoryException*);
    try {
        AfxCheckError(DISP_E_BADVARTYPE);
    } catch (COleException* caught) {
        EXPECT_EQ(DISP_E_BADVARTYPE, COleException::Process(caught));
        caught->Delete();
    }
}

TEST(StdioFile, TextModeWritesCarriageReturnLineFeedAndFailuresThrow) {
    ovs::test::TempFolder folder;
    const std::string text = folder / "lines.txt";
    {
        CStdioFile file(text.c_str(), CFile::modeCreate | CFile::modeWrite);
        file.WriteString("one\ntwo\n");
        file.WriteString("three");
        EXPECT_EQ(15u, file.GetLength());
    }
    EXPECT_EQ("one\r\ntwo\r\nthree", ovs::test::ReadFileText(text));
    for (const std::string& path : {folder / "no such folder\\x.txt", text}) {
        try {
            CStdioFile file(path.c_str(),
                            path == text ? CFile::modeRead : CFile::modeCreate | CFile::modeWrite);
            file.WriteString("x");
            ADD_FAILURE() << "nothing thrown";
        } catch (CFileException* caught) {
            EXPECT_EQ(path == text ? CFileException::accessDenied : CFileException::badPath, caught->m_cause);
            EXPECT_EQ(path == text ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND, caught->m_lOsError);
            EXPECT_STREQ(path.c_str(), caught->m_strFileName);
            caught->Delete();
        }
    }
}
