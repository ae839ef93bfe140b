#include "launch_sections.h"
#include "ovstoollaunch.h"

#include <cstring>

namespace ovs::launch {

namespace {

// Bytes after the text of a length-prefixed section.
constexpr DWORD kPadding = 3;

} // namespace

SectionStep CreateZeroedSection(MappedSection& section, const char* name, DWORD size) {
    HANDLE handle = Tool_CreateKernelObject(FALSE, name, OVS_KERNEL_SECTION, 0, size);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return SectionStep::create;
    }
    section.section.reset(handle);
    section.view.reset(MapViewOfFile(handle, FILE_MAP_WRITE, 0, 0, size));
    if (!section.view) {
        return SectionStep::map;
    }
    std::memset(section.view.get(), 0, size);
    return SectionStep::done;
}

SectionStep WriteLengthPrefixed(MappedSection& section, const char* name, const void* bytes, DWORD length) {
    const SectionStep step = CreateZeroedSection(section, name, sizeof(DWORD) + length + kPadding);
    if (step == SectionStep::done) {
        auto* view = static_cast<BYTE*>(section.view.get());
        std::memcpy(view, &length, sizeof length);
        std::memcpy(view + sizeof length, bytes, length);
    }
    return step;
}

std::wstring WideText(const char* text) {
    const int count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(count > 0 ? count : 1, L'\0');
    if (count > 0) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), count);
    }
    return wide; // holds the terminator as its last character
}

} // namespace ovs::launch
