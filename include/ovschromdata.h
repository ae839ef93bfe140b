// The 2D chromatogram and UV spectrum records shared with host applications. Each record owns its
// two arrays, which always live in the process's COM task memory so that any module may free them.
// Fields stand in the order and with the widths the hosts use, with natural alignment (no packing
// pragma): 64 bytes before the chromatogram's array pointers, 32 before the spectrum's.
#pragma once

#include <windows.h>

#include <cstddef>

struct OVS_2DCHROMDATA {
    BYTE abyHeader[16];       // owned by the host; copied as it is
    DWORD dwSamplingInterval; // time between two points; never 0 where times become indexes
    DWORD dwTotalPoints;      // points in both arrays
    DWORD dwWindowFirst;      // not read here; 0 after a cut
    DWORD dwWindowPoints;     // not read here; the new point count after a cut
    DWORD dwStartTime;        // time of point 0
    LONG lEndTime;            // time of the last point
    double dMaxIntensity;     // largest value of pdChromInt
    double dMinIntensity;     // smallest value of pdChromInt
    BYTE abyHostData[8];      // copied as it is
    double* pdChromInt;       // dwTotalPoints intensities
    BYTE* pbySaturate;        // dwTotalPoints saturation flags
};

static_assert(offsetof(OVS_2DCHROMDATA, dwSamplingInterval) == 16);
static_assert(offsetof(OVS_2DCHROMDATA, dwTotalPoints) == 20);
static_assert(offsetof(OVS_2DCHROMDATA, dwWindowFirst) == 24);
static_assert(offsetof(OVS_2DCHROMDATA, dwWindowPoints) == 28);
static_assert(offsetof(OVS_2DCHROMDATA, dwStartTime) == 32);
static_assert(offsetof(OVS_2DCHROMDATA, lEndTime) == 36);
static_assert(offsetof(OVS_2DCHROMDATA, dMaxIntensity) == 40);
static_assert(offsetof(OVS_2DCHROMDATA, dMinIntensity) == 48);
static_assert(offsetof(OVS_2DCHROMDATA, abyHostData) == 56);
static_assert(offsetof(OVS_2DCHROMDATA, pdChromInt) == 64);
static_assert(offsetof(OVS_2DCHROMDATA, pbySaturate) == 64 + sizeof(void*));
// 72 bytes in a 32-bit build, 80 in a 64-bit one.
static_assert(sizeof(OVS_2DCHROMDATA) == 64 + 2 * sizeof(void*));

struct OVS_UVSPECDATA {
    DWORD dwHeader;      // copied as it is
    DWORD dwPoints;      // elements of both arrays
    DWORD adwHeader[2];  // copied as they are
    double dFirst;       // copied as it is
    double dSecond;      // copied as it is
    double* pdValues;    // dwPoints doubles
    DWORD* pdwSecond;    // dwPoints elements of 4 bytes (their meaning is the host's)
    DWORD adwTrailer[2]; // copied as they are
};

static_assert(offsetof(OVS_UVSPECDATA, dwPoints) == 4);
static_assert(offsetof(OVS_UVSPECDATA, adwHeader) == 8);
static_assert(offsetof(OVS_UVSPECDATA, dFirst) == 16);
static_assert(offsetof(OVS_UVSPECDATA, dSecond) == 24);
static_assert(offsetof(OVS_UVSPECDATA, pdValues) == 32);
static_assert(offsetof(OVS_UVSPECDATA, pdwSecond) == 32 + sizeof(void*));
static_assert(offsetof(OVS_UVSPECDATA, adwTrailer) == 32 + 2 * sizeof(void*));
// 48 bytes in a 32-bit build, 56 in a 64-bit one.
static_assert(sizeof(OVS_UVSPECDATA) == 40 + 2 * sizeof(void*));
