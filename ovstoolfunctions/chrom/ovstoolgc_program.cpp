// Total run time of a temperature, flow, pressure or oven program.
#include "ovstoolgc.h"

#include <algorithm>
#include <type_traits>

namespace {

// Both record layouts: initial hold, then per step the ramp from the previous value to the step's
// final value at its rate, plus the step's hold. A rate of 0 ends the program; a falling value at a
// positive rate gives a negative ramp time, which is counted as it is. Step counts beyond the
// record's arrays are cut to their size.
template <typename Program>
float TotalTime(const Program* program) {
    if (program == nullptr) {
        return 0.0f;
    }
    constexpr int kCapacity = static_cast<int>(std::extent_v<decltype(Program::afRate)>);
    const int steps = std::min<int>(program->nSteps, kCapacity);
    float total = program->fInitialHold;
    float previous = program->fInitialValue;
    for (int i = 0; i < steps; ++i) {
        const float rate = program->afRate[i];
        if (rate == 0.0f) {
            break;
        }
        total = total + (program->afFinalValue[i] - previous) / rate + program->afHold[i];
        previous = program->afFinalValue[i];
    }
    return total;
}

} // namespace

float Tool_GetProgramTotalTime_Flow(const OVS_GCPROGRAM* pProgram) {
    return TotalTime(pProgram);
}

float Tool_GetProgramTotalTime_Press(const OVS_GCPROGRAM* pProgram) {
    return TotalTime(pProgram);
}

float Tool_GetProgramTotalTime_Temp(const OVS_GCPROGRAM* pProgram) {
    return TotalTime(pProgram);
}

float Tool_GetProgramTotalTime_Oven(const OVS_GCOVENPROGRAM* pProgram) {
    return TotalTime(pProgram);
}
