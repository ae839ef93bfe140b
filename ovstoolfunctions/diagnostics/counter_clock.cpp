#include "counter_clock.h"

#include <cmath>

#if defined(_M_X64) || defined(_M_IX86) || defined(__x86_64__) || defined(__i386__)
#include <intrin.h>
#define OVS_HAVE_TIME_STAMP_COUNTER 1
#endif

namespace ovs::dbgreport {

namespace {

// A precise reading at least this often (10 ms), so that an error in the rate stays far below a
// millisecond and a change of the system time shows almost at once.
constexpr ULONGLONG kResynchroniseUnits = 100000;
// The rate is measured over at least this span (100 ms); a new measurement that differs by more
// than this share from the last means the system time was set, and the measurement starts again.
constexpr ULONGLONG kMinimumSpanUnits = 1000000;
constexpr double kRateTolerance = 1e-3;
// A precise reading pairs with the counter only when the counter readings around it lie this close
// (some 50 microseconds on any usual processor): a thread preempted in between would tie the time
// to a wrong count.
constexpr ULONGLONG kTightCounts = 200000;
constexpr int kPairingAttempts = 3;

ULONGLONG PreciseTime() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

} // namespace

ULONGLONG CounterClock::Now() {
#ifdef OVS_HAVE_TIME_STAMP_COUNTER
    const ULONGLONG counter = __rdtsc();
    if (m_unitsPerCount > 0 && counter >= m_baseCounter) {
        const double elapsed = static_cast<double>(counter - m_baseCounter) * m_unitsPerCount;
        if (elapsed < static_cast<double>(kResynchroniseUnits)) {
            return NotBefore(m_baseTime + static_cast<ULONGLONG>(elapsed));
        }
    }
    return Resynchronise();
#else
    return PreciseTime();
#endif
}

#ifdef OVS_HAVE_TIME_STAMP_COUNTER
ULONGLONG CounterClock::Resynchronise() {
    ULONGLONG time = 0;
    for (int attempt = 0; attempt < kPairingAttempts; ++attempt) {
        const ULONGLONG before = __rdtsc();
        time = PreciseTime();
        const ULONGLONG after = __rdtsc();
        if (after >= before && after - before <= kTightCounts) {
            Calibrate(before + (after - before) / 2, time);
            return NotBefore(time);
        }
    }
    return NotBefore(time); // the time is right, only not fit to measure the counter against
}

void CounterClock::Calibrate(ULONGLONG counter, ULONGLONG time) {
    const bool spanValid = m_spanCounter != 0 && counter > m_spanCounter && time > m_spanTime;
    if (!spanValid) {
        m_spanCounter = counter;
        m_spanTime = time;
        m_unitsPerCount = 0;
    } else if (time - m_spanTime >= kMinimumSpanUnits) {
        const double rate =
            static_cast<double>(time - m_spanTime) / static_cast<double>(counter - m_spanCounter);
        if (m_unitsPerCount == 0 || std::fabs(rate / m_unitsPerCount - 1) < kRateTolerance) {
            m_unitsPerCount = rate;
        } else {
            m_spanCounter = counter;
            m_spanTime = time;
            m_unitsPerCount = 0;
        }
    }
    m_baseCounter = counter;
    m_baseTime = time;
}
#endif

// Keeps the times of successive lines in order across the small steps that a precise reading may
// make against the counted time; a larger step back (the system time was set back) is taken as it is.
ULONGLONG CounterClock::NotBefore(ULONGLONG time) {
    if (time < m_last && m_last - time < kResynchroniseUnits) {
        return m_last;
    }
    m_last = time;
    return time;
}

} // namespace ovs::dbgreport
