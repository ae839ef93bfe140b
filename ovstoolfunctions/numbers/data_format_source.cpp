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
        g_roundingSwitch.store(Tool_GetRegInt(OVS_REG_PRODUCT_ROOT, kDataFormatKey, kRoundModeValue, 0),
                               std::memory_order_relaxed);
    }
}

} // namespace ovs::numbers
