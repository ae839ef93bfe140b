// The page printed on a printer named by a device-names block.
#include "print_outputs.h"

#include <commdlg.h>

namespace ovsprint {

namespace {

constexpr char kDocumentName[] = "Report";

// The name at a device-names offset (in characters), or empty when the block is too short.
std::string DevNamesText(const std::vector<BYTE>& devNames, size_t wordIndex) {
    if (devNames.size() < sizeof(DEVNAMES)) {
        return std::string();
    }
    const size_t at = reinterpret_cast<const WORD*>(devNames.data())[wordIndex];
    if (at >= devNames.size()) {
        return std::string();
    }
    const char* text = reinterpret_cast<const char*>(devNames.data() + at);
    return std::string(text, strnlen(text, devNames.size() - at));
}

} // namespace

bool PrintPage(const std::vector<BYTE>& devNames, const std::vector<BYTE>& devMode, const std::string& output,
               const std::vector<std::string>& lines) {
    const std::string driver = DevNamesText(devNames, 0);
    const std::string device = DevNamesText(devNames, 1);
    if (device.empty()) {
        return false;
    }
    const DEVMODEA* mode = devMode.size() >= offsetof(DEVMODEA, dmFields)
                               ? reinterpret_cast<const DEVMODEA*>(devMode.data())
                               : nullptr;
    HDC dc = CreateDCA(driver.empty() ? nullptr : driver.c_str(), device.c_str(), nullptr, mode);
    if (dc == nullptr) {
        return false;
    }
    DOCINFOA document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = kDocumentName;
    document.lpszOutput = output.empty() ? nullptr : output.c_str();
    bool printed = false;
    if (StartDocA(dc, &document) > 0) {
        if (StartPage(dc) > 0) {
            DrawPage(dc, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), lines);
            printed = EndPage(dc) > 0;
        }
        printed = EndDoc(dc) > 0 && printed;
    }
    DeleteDC(dc);
    return printed;
}

} // namespace ovsprint
