// The largest and smallest intensity of a chromatogram after its points changed.
#pragma once

#include "ovschromdata.h"

namespace ovs {

// The starting values of a recomputation: a maximum that any positive point beats, a minimum that
// any point below 1.7e308 beats.
inline constexpr double kExtremeMaximumStart = 1.7e-308;
inline constexpr double kExtremeMinimumStart = 1.7e308;

// Sets dMaxIntensity and dMinIntensity from the dwTotalPoints points (NaN points are passed over).
void RecomputeExtremes(OVS_2DCHROMDATA& chrom) noexcept;

} // namespace ovs
