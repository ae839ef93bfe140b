// Temperature, flow, pressure and oven program records of gas-chromatograph methods, as the hosts
// hold them (single-precision values, natural alignment). The units are those of the host's method.
#pragma once

#include <windows.h>

#include <cstddef>

inline constexpr int OVS_PROGRAM_STEPS = 7;
inline constexpr int OVS_OVEN_PROGRAM_STEPS = 20;

// One layout for the flow, pressure and temperature programs.
struct OVS_GCPROGRAM {
    SHORT nSteps;
    FLOAT fInitialValue;
    FLOAT fInitialHold;
    FLOAT afRate[OVS_PROGRAM_STEPS];
    FLOAT afFinalValue[OVS_PROGRAM_STEPS];
    FLOAT afHold[OVS_PROGRAM_STEPS];
};
static_assert(offsetof(OVS_GCPROGRAM, fInitialValue) == 4);
static_assert(offsetof(OVS_GCPROGRAM, afRate) == 12);
static_assert(offsetof(OVS_GCPROGRAM, afFinalValue) == 40);
static_assert(offsetof(OVS_GCPROGRAM, afHold) == 68);
static_assert(sizeof(OVS_GCPROGRAM) == 96);

struct OVS_GCOVENPROGRAM {
    SHORT nSteps;
    FLOAT fInitialValue;
    FLOAT fInitialHold;
    FLOAT afRate[OVS_OVEN_PROGRAM_STEPS];
    FLOAT afFinalValue[OVS_OVEN_PROGRAM_STEPS];
    FLOAT afHold[OVS_OVEN_PROGRAM_STEPS];
};
static_assert(offsetof(OVS_GCOVENPROGRAM, afRate) == 12);
static_assert(offsetof(OVS_GCOVENPROGRAM, afFinalValue) == 92);
static_assert(offsetof(OVS_GCOVENPROGRAM, afHold) == 172);
static_assert(sizeof(OVS_GCOVENPROGRAM) == 252);
