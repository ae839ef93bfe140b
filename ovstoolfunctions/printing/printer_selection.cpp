#include "printer_selection.h"

#include "unique_resource.h"

#include <winspool.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace ovs::printing {

namespace {

// A movable block holding the bytes; null when it cannot be allocated.
HGLOBAL MovableCopy(const void* data, size_t size, size_t blockSize) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
    if (block == nullptr) {
        return nullptr;
    }
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    return block;
}

// Driver, device and port names after the four offset words (offsets in characters), default 0.
HGLOBAL DeviceNames(const PRINTER_INFO_2A& info) {
    const std::string names[] = {info.pDriverName != nullptr ? info.pDriverName : "",
                                 info.pPrinterName != nullptr ? info.pPrinterName : "",
                                 info.pPortName != nullptr ? info.pPortName : ""};
    std::vector<char> block(sizeof(DEVNAMES));
    WORD offsets[4] = {};
    for (size_t i = 0; i < 3; ++i) {
        offsets[i] = static_cast<WORD>(block.size());
        block.insert(block.end(), names[i].begin(), names[i].end());
        block.push_back('\0');
    }
    std::memcpy(block.data(), offsets, sizeof offsets);
    return MovableCopy(block.data(), block.size(), block.size());
}

void NarrowName(const WCHAR* wide, BYTE* narrow, int room) {
    WideCharToMultiByte(CP_THREAD_ACP, 0, wide, static_cast<int>(wcsnlen(wide, room)),
                        reinterpret_cast<char*>(narrow), room, nullptr, nullptr);
}

// The caller's wide device mode in its narrow form, inside a zero-filled block of blockSize bytes.
HGLOBAL NarrowDeviceMode(const DEVMODEW& wide, LONG blockSize) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(blockSize));
    if (block == nullptr) {
        return nullptr;
    }
    auto* narrow = static_cast<DEVMODEA*>(GlobalLock(block));
    auto* out = reinterpret_cast<BYTE*>(narrow);
    const auto* in = reinterpret_cast<const BYTE*>(&wide);
    NarrowName(wide.dmDeviceName, narrow->dmDeviceName, CCHDEVICENAME);
    // The fields between the two names, and those after the form name, are the same in both forms.
    std::memcpy(out + offsetof(DEVMODEA, dmSpecVersion), in + offsetof(DEVMODEW, dmSpecVersion),
                offsetof(DEVMODEA, dmFormName) - offsetof(DEVMODEA, dmSpecVersion));
    NarrowName(wide.dmFormName, narrow->dmFormName, CCHFORMNAME);
    std::memcpy(out + offsetof(DEVMODEA, dmLogPixels), in + offsetof(DEVMODEW, dmLogPixels),
                sizeof(DEVMODEA) - offsetof(DEVMODEA, dmLogPixels));
    std::memcpy(out + sizeof(DEVMODEA), in + wide.dmSize, wide.dmDriverExtra);
    narrow->dmSize = sizeof(DEVMODEA);
    GlobalUnlock(block);
    return block;
}

void ClosePrinterHandle(HANDLE printer) noexcept {
    ClosePrinter(printer);
}
using unique_printer = unique_any<detail::NullNone<HANDLE, ClosePrinterHandle>>;

// The driver's default device mode, for a printer that has none of its own yet.
HGLOBAL DriverDeviceMode(HANDLE printer, const char* name) {
    const LONG size = DocumentPropertiesA(nullptr, printer, const_cast<char*>(name), nullptr, nullptr, 0);
    if (size <= 0) {
        return nullptr;
    }
    std::vector<BYTE> mode(static_cast<size_t>(size));
    if (DocumentPropertiesA(nullptr, printer, const_cast<char*>(name),
                            reinterpret_cast<DEVMODEA*>(mode.data()), nullptr, DM_OUT_BUFFER) < 0) {
        return nullptr;
    }
    const auto* narrow = reinterpret_cast<const DEVMODEA*>(mode.data());
    const size_t used = std::min<size_t>(mode.size(), narrow->dmSize + narrow->dmDriverExtra);
    return MovableCopy(mode.data(), used, used);
}

} // namespace

LONG DeviceModeOwnSize(const DEVMODEW* devMode, LONG devModeSize) {
    if (devMode == nullptr || devModeSize < static_cast<LONG>(offsetof(DEVMODEW, dmFields))) {
        return 0;
    }
    return std::max<LONG>(sizeof(DEVMODEW), devMode->dmSize) + devMode->dmDriverExtra;
}

void SelectNamedPrinter(CWinApp& app, const char* name, const DEVMODEW* devMode, LONG devModeSize) {
    HANDLE opened = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &opened, nullptr)) {
        app.SelectPrinter(nullptr, nullptr);
        return;
    }
    const unique_printer printer(opened);
    DWORD needed = 0;
    GetPrinterA(printer.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterA(printer.get(), 2, buffer.data(), needed, &needed)) {
        app.SelectPrinter(nullptr, nullptr);
        return;
    }
    const auto& info = *reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    HGLOBAL mode = nullptr;
    if (devModeSize > 0) {
        mode = NarrowDeviceMode(*devMode, devModeSize);
    } else if (info.pDevMode != nullptr) {
        const size_t size = info.pDevMode->dmSize + info.pDevMode->dmDriverExtra;
        mode = MovableCopy(info.pDevMode, size, size);
    } else {
        mode = DriverDeviceMode(printer.get(), name);
    }
    app.SelectPrinter(DeviceNames(info), mode);
}

} // namespace ovs::printing
