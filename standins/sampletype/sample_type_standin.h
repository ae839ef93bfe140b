// The sample-type component as a stand-in (OVSSampleType.dll), class CLSID_OvsSampleType. Its
// default sample types, by selector (any other selector has none):
//   0  "Unknown" 0, "Standard" 1, "Control" 2, "Blank" 3, "Bracket Standard" 1
//   1  "System Suitability" 5, "Calibration Verification Std 001" 6 (32 bytes, no terminator),
//      "Spiked" 7
//
// The environment variable OVS_SAMPLETYPE_FAIL, read at every call, makes calls fail. It holds
// entries "<step>=<hex HRESULT>" separated by ";", the steps being "create" (the class factory's
// CreateInstance) and "list" (GetDefaultSampleTypes, which then hands out nothing).
#pragma once

#include "ovssampletype.h"

// What the component saw in this process, for whoever loaded it.
struct SampleTypeCounts {
    LONG liveObjects; // objects not yet released
    LONG created;     // objects made by the class factory
    LONG calls;       // GetDefaultSampleTypes calls
};

using SampleTypeCountersFn = void(__stdcall*)(SampleTypeCounts* counts);
