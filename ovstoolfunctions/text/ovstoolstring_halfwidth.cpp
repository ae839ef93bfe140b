// Half-width katakana for reports: double-byte katakana, and a prolonged-sound mark right after a
// converted one, mapped by the platform; everything else copied.
#include "ovstoolstring.h"

#include "ovsreg.h"
#include "dbcs_text.h"

#include <string>

namespace {

constexpr char kReportSubKey[] = "Report";
constexpr char kKanaMapModeValue[] = "KanaMapMode";
constexpr unsigned kProlongedSoundMark = 0x815B;
constexpr UINT kJapaneseCodePage = 932;

// The setting, read on the first call of the process. Concurrent first calls repeat the same read.
int KanaMapMode() {
    static int mode = -1;
    if (mode < 0) {
        const int value =
            Tool_GetRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, kReportSubKey, kKanaMapModeValue, 0);
        mode = value != 0 ? 1 : 0;
    }
    return mode;
}

// The runtime's double-byte katakana test: the katakana rows of code page 932.
bool IsDoubleByteKatakana(unsigned code) {
    return GetACP() == kJapaneseCodePage && code >= 0x8340 && code <= 0x8396 && code != 0x837F;
}

} // namespace

BOOL Tool_LCMapStringToHalfWidth(LPCSTR szText, CString& strOut) {
    if (szText == nullptr) {
        strOut.Empty();
        return FALSE;
    }
    if (KanaMapMode() != 0) {
        strOut = szText;
        return TRUE;
    }
    std::string result;
    bool converted = false;
    bool previousConverted = false;
    for (const char* p = szText; *p != '\0';) {
        const size_t size = ovs::dbcs::CharSize(p);
        if (size != 2) {
            if (size == 0) {
                break; // a lone last lead byte
            }
            result += *p++;
            previousConverted = false;
            continue;
        }
        const unsigned code = static_cast<unsigned char>(p[0]) << 8 | static_cast<unsigned char>(p[1]);
        char mapped[2];
        int mappedLength = 0;
        if (IsDoubleByteKatakana(code) || (code == kProlongedSoundMark && previousConverted)) {
            mappedLength = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_HALFWIDTH, p, 2, mapped, sizeof mapped);
        }
        if (mappedLength > 0) {
            result.append(mapped, static_cast<size_t>(mappedLength));
            converted = true;
            previousConverted = true;
        } else {
            result.append(p, 2);
            previousConverted = false;
        }
        p += 2;
    }
    strOut.SetString(result.data(), static_cast<int>(result.size()));
    return converted ? TRUE : FALSE;
}
