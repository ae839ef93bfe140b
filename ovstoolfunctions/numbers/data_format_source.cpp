#include "data_format_source.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"

#include <atomic>

namespace ovs::numbers {

namespace {

constexpr char kDataFormatKey[] = "DataFormat";
constexpr char kRoundModeValue[] = "RoundMode";

std::atomic<int> g_roundingSwitch{-1};

} // namespace

void ReadDataFormatText(LPCSTR valueName, LPCSTR defaultText, char (&text)[256]) {
    text[0] = '\0';
    Tool_GetRegCurrentUserString(OVS_REG_PRODUCT_ROOT, kDataFormatKey, valueName, defaultText, text,
                                 sizeof(text));
}

int RoundingSwitch() {
    return g_roundingSwitch.load(std::memory_order_relaxed);
}

void LoadRoundingSwitch() {
    if (g_roundingSwitch.load(std::memory_order_relaxed) == -1) {
        // Only 1 selects the rounding-printf engine; any other stored value (even -1, the mark of "not
        // read yet") is kept as 0, so that the switch is read once per process.
        const int stored = Tool_GetRegInt(OVS_REG_PRODUCT_ROOT, kDataFormatKey, kRoundModeValue, 0);
        g_roundingSwitch.store(stored == 1 ? 1 : 0, std::memory_order_relaxed);
    }
}

} // namespace ovs::numbers
