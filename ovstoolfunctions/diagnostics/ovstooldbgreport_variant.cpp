// Variants written into the debug report as text.
#include "ovstoolvariant.h"
#include "ovstooldbgreport.h"
#include "callframe.h"
#include "variant_text.h"

void Tool_DbgReportVariant(LPCSTR szSourceFile, int nLine, int nLevel, LPCSTR szFormat, const VARIANT* pVar1,
                           const VARIANT* pVar2, const VARIANT* pVar3) {
    OVS_REQUIRE_ARG("Tool_DbgReportVariant", pVar1 != nullptr, );
    if (pVar2 != nullptr) {
        const std::string first = ovs::VariantText(*pVar1);
        const std::string second = ovs::VariantText(*pVar2);
        if (pVar3 != nullptr) {
            const std::string third = ovs::VariantText(*pVar3);
            Tool_DbgReport(szSourceFile, nLine, nLevel, szFormat, first.c_str(), second.c_str(),
                           third.c_str());
        } else {
            Tool_DbgReport(szSourceFile, nLine, nLevel, szFormat, first.c_str(), second.c_str());
        }
    } else if (pVar3 == nullptr) {
        const std::string first = ovs::VariantText(*pVar1);
        Tool_DbgReport(szSourceFile, nLine, nLevel, szFormat, first.c_str());
    }
}
