#include "print_job_block.h"

#include "ovstoollaunch.h"

#include <cstring>

namespace ovs::printing {

namespace {

constexpr size_t kValue1At = 0;
constexpr size_t kValue2At = 4;
constexpr size_t kJobTextAt = 8;
constexpr size_t kOwnerAt = 808;
constexpr size_t kShortValueAt = 812;
constexpr size_t kShortTextAt = 814;
constexpr size_t kValue3At = 848;
constexpr size_t kPdfPathAt = 852;
constexpr size_t kSecondPathAt = 1112;
constexpr size_t kFlagsAt = 1372;
constexpr size_t kSolutionTypeAt = 1376;
constexpr size_t kTrailingAt = 1380;
constexpr size_t kFixedSize = 1384;
// The length word before a printer section's data and the zero bytes after it.
constexpr size_t kPrinterSectionExtra = 7;

size_t Length(const char* text) {
    return text != nullptr ? std::strlen(text) : 0;
}

template <typename T>
void Put(BYTE* block, size_t at, T value) {
    std::memcpy(block + at, &value, sizeof value);
}

// The text cut to field - 1 bytes; the block is zero-filled, so the terminator is there already.
void PutText(BYTE* block, size_t at, const char* text, size_t field) {
    std::memcpy(block + at, text != nullptr ? text : "", std::min(Length(text), field - 1));
}

} // namespace

size_t JobBlockSize(const char* text1, const char* text2) {
    return kFixedSize + (text1 != nullptr ? Length(text1) + 1 : 0) +
           (text2 != nullptr ? Length(text2) + 1 : 0);
}

void WriteJobFields(BYTE* block, size_t size, const JobFields& fields) {
    std::memset(block, 0, size);
    Put(block, kValue1At, fields.value1);
    Put(block, kValue2At, fields.value2);
    PutText(block, kJobTextAt, fields.jobText, kJobTextField);
    // The handle's low 32 bits: window handles are 32-bit values in every process.
    Put(block, kOwnerAt, static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(fields.owner)));
    Put(block, kShortValueAt, fields.shortValue);
    PutText(block, kShortTextAt, fields.shortText, kShortTextField);
    Put(block, kValue3At, fields.value3);
    PutText(block, kPdfPathAt, fields.pdfPath, kPathField);
    PutText(block, kSecondPathAt, fields.secondPath, kPathField);
    Put(block, kFlagsAt, fields.outputFlags);
    Put(block, kSolutionTypeAt, fields.solutionType);
}

void WriteTrailingTexts(BYTE* block, size_t size, const char* text1, const char* text2) {
    const size_t length1 = Length(text1);
    const size_t length2 = Length(text2);
    // The block's size formula leaves room for both texts and the three zero bytes.
    if (kTrailingAt + length1 + 2 + length2 + 1 > size) {
        return;
    }
    BYTE* at = block + kTrailingAt;
    std::memcpy(at, text1 != nullptr ? text1 : "", length1);
    at += length1;
    *at++ = 0;
    *at++ = 0;
    std::memcpy(at, text2 != nullptr ? text2 : "", length2);
    at[length2] = 0;
}

bool MappedSection::Create(const std::string& name, size_t size) {
    HANDLE section = Tool_CreateKernelObject(FALSE, name.c_str(), OVS_KERNEL_SECTION,
                                             static_cast<DWORD>(static_cast<unsigned long long>(size) >> 32),
                                             static_cast<DWORD>(size));
    if (section == nullptr || section == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_section.reset(section);
    m_view.reset(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0));
    return static_cast<bool>(m_view);
}

std::string SectionName(const std::string& prefix, const char* base, const std::string& client) {
    return prefix + base + " " + client;
}

bool WritePrinterSection(MappedSection& section, const std::string& name, const void* data, DWORD length) {
    if (!section.Create(name, length + kPrinterSectionExtra)) {
        return false;
    }
    BYTE* block = section.Data();
    std::memset(block, 0, length + kPrinterSectionExtra);
    Put(block, 0, length);
    if (data != nullptr) {
        std::memcpy(block + sizeof length, data, length);
    }
    return true;
}

} // namespace ovs::printing
