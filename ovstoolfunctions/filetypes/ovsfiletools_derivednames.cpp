// Names derived from a data file: its AIA and JCAMP-DX exports and the conversion of a file of the
// older system into the current document kinds.
#include "ovstoolderivednames.h"

#include "derived_name.h"
#include "ovsres.h"
#include "text/dbcs_text.h"

#include <mbstring.h>

#include <cctype>
#include <cstdio>

namespace {

using ovs::filetypes::FreeFileName;
using ovs::filetypes::SplitSourceName;

constexpr char kAiaExtension[] = ".CDF";
constexpr char kJcampExtension[] = ".JDX";
constexpr char kEventSuffix[] = "_Ev%d";
constexpr char kSegmentEventSuffix[] = "_Seg%dEv%d";
constexpr char kOldExtensionJoiner[] = "_";

// A folder + name that reaches MAX_PATH with the bytes a builder may add is cut to MAX_PATH - 1
// less those bytes.
constexpr size_t kPlainAddedBytes = 3;
constexpr size_t kEventAddedBytes = 15;
constexpr size_t kSegmentEventAddedBytes = 23;

std::string GuardLength(const std::string& base, size_t addedBytes) {
    if (base.size() + addedBytes < MAX_PATH) {
        return base;
    }
    return ovs::filetypes::CutWholeChars(base, MAX_PATH - 1 - addedBytes);
}

// The AIA name: base (guarded when addedBytes is not 0) + suffix + ".CDF", searched unless bOverwrite.
void BuildAiaName(LPCSTR szDataFile, CString& strAiaFile, BOOL bOverwrite, const char* suffix,
                  size_t addedBytes) {
    strAiaFile.Empty();
    const auto source = SplitSourceName(szDataFile);
    if (!source) {
        return;
    }
    const std::string base = addedBytes != 0 ? GuardLength(source->base, addedBytes) : source->base;
    strAiaFile = FreeFileName(base + suffix, kAiaExtension, !bOverwrite).c_str();
}

// ---- The old system's extensions

constexpr char kLcData[] = ".LCD";
constexpr char kGcData[] = ".GCD";
constexpr char kLcMethod[] = ".LCM";
constexpr char kGcMethod[] = ".GCM";

// Old extensions named by resource texts (and one fixed text), in the order they are tried.
struct ResourceRule {
    UINT textIds[3]; // 0 ends the list
    const char* fixedText;
    const char* lcExtension;
    const char* gcExtension;
};

constexpr ResourceRule kResourceRules[] = {
    {{16480, 16522, 16529}, nullptr, kLcData, kLcData},
    {{16527, 0, 0}, "rfr", ".JCM", ".JCM"},
    {{16528, 0, 0}, nullptr, ".LLB", ".LLB"},
    {{16481, 16521, 0}, nullptr, kLcMethod, kGcMethod},
};

// The solution types of the GC family.
constexpr long kGcSolutionType = 2;
constexpr long kGcMsSolutionType = 3;

bool SameText(const char* a, const char* b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a), reinterpret_cast<const unsigned char*>(b)) ==
           0;
}

bool RuleMatches(const ResourceRule& rule, const char* oldExtension) {
    if (rule.fixedText != nullptr && SameText(oldExtension, rule.fixedText)) {
        return true;
    }
    for (UINT id : rule.textIds) {
        if (id == 0) {
            break;
        }
        CString text;
        RES_LoadString(id, text, 1);
        if (!text.IsEmpty() && SameText(oldExtension, text)) {
            return true;
        }
    }
    return false;
}

// The new extension of an old one (without period).
const char* NewExtension(const char* oldExtension, bool gc) {
    for (const ResourceRule& rule : kResourceRules) {
        if (RuleMatches(rule, oldExtension)) {
            return gc ? rule.gcExtension : rule.lcExtension;
        }
    }
    // Three characters beginning with c, d, r or k are data, as is every other text that is not
    // a method: three characters beginning with m, or any text beginning with f.
    const unsigned char first = static_cast<unsigned char>(oldExtension[0]);
    const int letter = first < 0x80 ? std::tolower(first) : 0; // a lead byte is no letter
    if ((letter == 'm' && ovs::dbcs::CharCount(oldExtension) == 3) || letter == 'f') {
        return gc ? kGcMethod : kLcMethod;
    }
    return gc ? kGcData : kLcData;
}

} // namespace

void Tool_GetAIAFileNameFromDataFileName(LPCSTR szDataFile, CString& strAiaFile, BOOL bOverwrite) {
    // The length guard belongs to the search: an overwritten name is taken as it comes.
    BuildAiaName(szDataFile, strAiaFile, bOverwrite, "", bOverwrite ? 0 : kPlainAddedBytes);
}

void Tool_GetAIAFileNameFromDataFileNameByEvent(LPCSTR szDataFile, CString& strAiaFile, BOOL bOverwrite,
                                                short nEvent) {
    char suffix[16] = "";
    if (nEvent > 1) {
        std::snprintf(suffix, sizeof suffix, kEventSuffix, nEvent);
    }
    BuildAiaName(szDataFile, strAiaFile, bOverwrite, suffix, kEventAddedBytes);
}

void Tool_GetAIAFileNameFromDataFileNameSegEv(LPCSTR szDataFile, CString& strAiaFile, BOOL bOverwrite,
                                              short nSegment, short nEvent) {
    if (nSegment < 1 || nEvent < 1) {
        Tool_GetAIAFileNameFromDataFileName(szDataFile, strAiaFile, bOverwrite);
        return;
    }
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, kSegmentEventSuffix, nSegment, nEvent);
    BuildAiaName(szDataFile, strAiaFile, bOverwrite, suffix, kSegmentEventAddedBytes);
}

void Tool_GetConvertFileNameFromDataFileName(LPCSTR szDataFile, CString& strOutFile, BOOL bOverwrite,
                                             short nFormat) {
    strOutFile.Empty();
    const auto source = SplitSourceName(szDataFile);
    if (!source) {
        return;
    }
    const std::string ext = nFormat == 0 ? kAiaExtension : nFormat == 1 ? kJcampExtension : source->ext;
    strOutFile = FreeFileName(source->base, ext, !bOverwrite).c_str();
}

void Tool_GetOVSsolutionFileNameFromOldSystemFileName(LPCSTR szOldFile, long nSolutionType,
                                                      CString& strNewFile, BOOL bMakeUnique) {
    strNewFile.Empty();
    const auto source = SplitSourceName(szOldFile);
    if (!source) {
        return;
    }
    const char* oldExtension = source->ext.empty() ? "" : source->ext.c_str() + 1;
    const bool gc = nSolutionType == kGcSolutionType || nSolutionType == kGcMsSolutionType;
    std::string stem = source->base;
    if (*oldExtension != '\0') {
        stem += kOldExtensionJoiner;
        stem += oldExtension;
    }
    strNewFile = FreeFileName(stem, NewExtension(oldExtension, gc), bMakeUnique != FALSE).c_str();
}
