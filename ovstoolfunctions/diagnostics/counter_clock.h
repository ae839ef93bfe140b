// The system time, read through the processor's time-stamp counter between readings of the
// precise system time. Where the precise reading is a system call (as under Wine), it would cost
// the debug report as much as formatting a whole line; the counter costs a few cycles.
#pragma once

#include <windows.h>

namespace ovs::dbgreport {

// Not thread-safe: the report reads it under its lock.
class CounterClock {
public:
    // The current UTC time in file-time units (100 ns since 1601).
    ULONGLONG Now();

private:
    ULONGLONG Resynchronise();
    void Calibrate(ULONGLONG counter, ULONGLONG time);
    ULONGLONG NotBefore(ULONGLONG time);

    ULONGLONG m_baseCounter = 0; // counter and time of the last precise reading
    ULONGLONG m_baseTime = 0;
    ULONGLONG m_spanCounter = 0; // counter and time where the rate measurement began
    ULONGLONG m_spanTime = 0;
    double m_unitsPerCount = 0; // 0 until the rate is known
    ULONGLONG m_last = 0;
};

} // namespace ovs::dbgreport
