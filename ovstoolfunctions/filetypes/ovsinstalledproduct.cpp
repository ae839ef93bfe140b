#include "ovstoolproducts.h"

#include "installed_products.h"
#include "module_state.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "solution_state.h"

namespace {

constexpr char kInstalledProductKey[] = "InstalledProduct";
constexpr char kProductCacheValue[] = "ProductCache";
constexpr char kGpcValue[] = "GPC";

struct ProductBit {
    const char* name;
    DWORD bit;
};

constexpr ProductBit kProductBits[] = {
    {"LC", OVS_PRODUCT_LC},
    {"PDA", OVS_PRODUCT_PDA},
    {"GC", OVS_PRODUCT_GC},
    {"LCVXMS", OVS_PRODUCT_LCVXMS},
    {"LCZETRAMS", OVS_PRODUCT_LCZETRAMS},
    {"GCVXMS", OVS_PRODUCT_GCVXMS},
    {"AgilentLC", OVS_PRODUCT_LC},
};

constexpr DWORD kLcFamily = 0x303;
constexpr DWORD kGcFamily = 0x410;

struct SolutionRow {
    long requested;
    DWORD products;
    long solution;
};

// The first row whose requested type matches and whose products are installed wins.
constexpr SolutionRow kSolutionRows[] = {
    {-1, 0x300, 1}, {-1, 0x400, 3}, {-1, 0x003, 0}, {-1, 0x010, 2},
    {1, 0x300, 1},  {3, 0x400, 3},  {0, 0x003, 0},  {2, 0x010, 2},
};

DWORD ComputeMask() {
    const CInstalledProductArray& products = ovs::products::InstalledProducts();
    DWORD mask = 0;
    for (const ProductBit& entry : kProductBits) {
        if (products.Find(entry.name, 0) != 0) {
            mask |= entry.bit;
        }
    }
    return mask;
}

int FilterTypeFor(long requested, DWORD mask, int current) {
    switch (requested) {
        case -1: {
            const bool lc = (mask & kLcFamily) != 0;
            const bool gc = (mask & kGcFamily) != 0;
            return lc && gc ? 2 : lc ? 0 : gc ? 1 : current;
        }
        case 0:
        case 1:
            return 0;
        case 2:
        case 3:
            return 1;
        default:
            return current;
    }
}

} // namespace

namespace ovs::products {

SolutionState& Solution() {
    static SolutionState state;
    return state;
}

} // namespace ovs::products

DWORD Tool_GetInstalledProduct() {
    COVSToolApp& app = OVSToolApp();
    if (app.m_dwInstalledProductMask != 0) {
        return app.m_dwInstalledProductMask;
    }
    const DWORD cached = static_cast<DWORD>(
        Tool_GetRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, kInstalledProductKey, kProductCacheValue, 0));
    app.m_dwInstalledProductMask = cached != 0 ? cached : ComputeMask();
    return app.m_dwInstalledProductMask;
}

void Tool_ClearInstalledProductCache() {
    OVSToolApp().m_dwInstalledProductMask = 0;
}

BOOL Tool_IsGPCInstalled() {
    const int value = Tool_GetRegCurrentUserInt(OVS_REG_PRODUCT_ROOT, kInstalledProductKey, kGpcValue, -1);
    return value == -1 || value > 0;
}

long Tool_SetAppSolutionType(long nRequestedType) {
    const DWORD mask = Tool_GetInstalledProduct();
    ovs::products::SolutionState& state = ovs::products::Solution();
    state.fileFilterType = FilterTypeFor(nRequestedType, mask, state.fileFilterType);
    for (const SolutionRow& row : kSolutionRows) {
        if (row.requested == nRequestedType && (mask & row.products) != 0) {
            state.appSolutionType = row.solution;
            state.defaultSolutionType = row.solution;
            break;
        }
    }
    return state.appSolutionType;
}

long Tool_GetAppSolutionType(long /*nIgnored*/) {
    return ovs::products::Solution().appSolutionType;
}

long Tool_GetDefaultSolutionType() {
    return ovs::products::Solution().defaultSolutionType;
}

long Tool_SetDefaultSolutionType(long nType) {
    long& current = ovs::products::Solution().defaultSolutionType;
    const long previous = current;
    current = nType;
    return previous;
}
