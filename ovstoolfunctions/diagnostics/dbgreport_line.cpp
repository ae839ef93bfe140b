#include "dbgreport_line.h"
#include "dbgreport_format.h"
#include "ovstooldbgreport.h"
#include "text_scan.h"

#include <cstdio>
#include <cstring>

namespace ovs::dbgreport {

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000; // file time counts 100 ns
constexpr ULONGLONG kTicksPerMillisecond = 10000;

// Appends within capacity - 1 characters; remembers when something did not fit.
class Composer {
public:
    Composer(char* out, size_t capacity) : m_out(out), m_limit(capacity - 1) {}
    void Append(const char* text, size_t length) {
        if (length > m_limit - m_length) {
            m_overflow = true;
            return;
        }
        CopyShort(m_out + m_length, text, length);
        m_length += length;
    }
    void AppendText(const char* text) { Append(text, TextLength(text)); }
    void Append(char c) { Append(&c, 1); }
    // Decimal digits of value, right-aligned in width columns.
    void AppendNumber(long long value, size_t width) {
        char digits[24];
        char* end = digits + sizeof digits;
        const unsigned long long magnitude =
            value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
        char* first = DecimalDigits(magnitude, end);
        if (value < 0) {
            *--first = '-';
        }
        const size_t length = static_cast<size_t>(end - first);
        for (size_t blank = length; blank < width; ++blank) {
            Append(' ');
        }
        Append(first, length);
    }
    size_t Length() const { return m_overflow ? 0 : m_length; }

private:
    char* m_out;
    size_t m_limit;
    size_t m_length = 0;
    bool m_overflow = false;
};

const char* LevelTag(int level) {
    static constexpr const char* tags[] = {"", "[ERR]", "[WRN]", "[INF]", "[DBG]", "[TMG]"};
    return level >= 0 && level < 6 ? tags[level] : "";
}

} // namespace

size_t ReportClock::Write(char* out) {
    const ULONGLONG ticks = m_clock.Now();
    const ULONGLONG second = ticks / kTicksPerSecond;
    if (second != m_second || m_secondLength == 0) {
        // Zone offsets are whole minutes, so the local second starts with the universal one.
        const ULONGLONG secondTicks = second * kTicksPerSecond;
        const FILETIME secondUtc = {static_cast<DWORD>(secondTicks), static_cast<DWORD>(secondTicks >> 32)};
        FILETIME local;
        SYSTEMTIME parts;
        if (!FileTimeToLocalFileTime(&secondUtc, &local) || !FileTimeToSystemTime(&local, &parts)) {
            GetLocalTime(&parts);
        }
        const int length =
            _snprintf(m_secondText, sizeof m_secondText, "%04d/%02d/%02d %02d:%02d:%02d.", parts.wYear,
                      parts.wMonth, parts.wDay, parts.wHour, parts.wMinute, parts.wSecond);
        m_secondLength = length > 0 && static_cast<size_t>(length) < sizeof m_secondText ? length : 0;
        m_second = second;
    }
    CopyShort(out, m_secondText, m_secondLength);
    const unsigned millisecond = static_cast<unsigned>(ticks / kTicksPerMillisecond % 1000);
    out[m_secondLength] = static_cast<char>('0' + millisecond / 100);
    out[m_secondLength + 1] = static_cast<char>('0' + millisecond / 10 % 10);
    out[m_secondLength + 2] = static_cast<char>('0' + millisecond % 10);
    return m_secondLength + 3;
}

ReportLine::ReportLine(int level, const char* sourceFile, int line, const char* format, va_list args) {
    // The prefix may take up to kMaxLine bytes, which leaves room for the longest message behind it.
    Composer composer(m_buffer + kMaxTimeStamp, kMaxLine + 1);
    composer.Append("\t[", 2);
    composer.AppendNumber(GetCurrentProcessId(), 0);
    composer.Append(':');
    composer.AppendNumber(GetCurrentThreadId(), 0);
    composer.Append("]\t", 2);
    if (level != OVS_DBG_BANNER) {
        composer.Append(LevelTag(level), 5);
        composer.Append('\t');
        if (sourceFile != nullptr) {
            composer.AppendText(sourceFile);
        }
        composer.Append('(');
        composer.AppendNumber(line, 5);
        composer.Append(")\t", 2);
    }
    const size_t prefixLength = composer.Length();
    if (prefixLength == 0) {
        return;
    }
    char* message = m_buffer + kMaxTimeStamp + prefixLength;
    const size_t messageLength = FormatMessageText(message, kMaxMessage + 1, format, args);
    message[messageLength] = '\r';
    message[messageLength + 1] = '\n';
    m_bodyLength = prefixLength + messageLength + 2;
}

bool ReportLine::Stamp(ReportClock& clock) {
    char stamp[kMaxTimeStamp];
    m_stampLength = clock.Write(stamp);
    CopyShort(m_buffer + kMaxTimeStamp - m_stampLength, stamp, m_stampLength);
    return m_bodyLength != 0 && Length() <= kMaxLine;
}

} // namespace ovs::dbgreport
