// The pieces of a debug report line: the local time stamp, and the rest of the line after it.
#pragma once

#include "counter_clock.h"

#include <windows.h>

#include <cstdarg>
#include <cstddef>

namespace ovs::dbgreport {

// Longest local time stamp "yyyy/mm/dd hh:mm:ss.mmm" (five year digits after the year 9999).
constexpr size_t kMaxTimeStamp = 24;

// The local time stamp of the moment of the call. Keeps the text of the current second, so that
// only its milliseconds are written anew for most lines; a change of the zone's offset shows from
// the next second on. Not thread-safe: the report calls it under its lock.
class ReportClock {
public:
    // Writes the stamp (without a terminating zero) and returns its length.
    size_t Write(char* out);

private:
    CounterClock m_clock;
    ULONGLONG m_second = 0;
    char m_secondText[kMaxTimeStamp] = {};
    size_t m_secondLength = 0;
};

// A report line composed in two steps: everything but the time stamp first, outside the report
// lock, then the stamp in front of it at the moment of writing.
class ReportLine {
public:
    // Longest message; longer ones are cut.
    static constexpr size_t kMaxMessage = 1023;
    // Longest line with its line end; longer ones give way to a fixed text.
    static constexpr size_t kMaxLine = 2047;

    // "\t[pid:tid]\t" then "message\r\n" for a banner (level 0), or "[TAG]\tsource(line)\tmessage\r\n"
    // ("[TAG]\t(line)\t..." for a null source), the line number right-aligned in 5 columns.
    ReportLine(int level, const char* sourceFile, int line, const char* format, va_list args);
    // Puts the stamp in front; false when the whole line would be longer than kMaxLine.
    bool Stamp(ReportClock& clock);
    const char* Text() const { return m_buffer + kMaxTimeStamp - m_stampLength; }
    size_t Length() const { return m_stampLength + m_bodyLength; }

private:
    char m_buffer[kMaxTimeStamp + kMaxLine + kMaxMessage + 3];
    size_t m_bodyLength = 0; // 0 when the body alone is too long
    size_t m_stampLength = 0;
};

} // namespace ovs::dbgreport
