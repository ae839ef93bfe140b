// The job block and the printer sections that hand a print job to the print process, and the named
// sections that hold them for the length of one call.
#pragma once

#include "unique_resource.h"

#include <windows.h>

#include <string>
#include <vector>

namespace ovs::printing {

// Field sizes; longer texts are cut to fit, with their terminator.
inline constexpr size_t kJobTextField = 800;
inline constexpr size_t kShortTextField = 34;
inline constexpr size_t kPathField = MAX_PATH;

// Everything the fixed part of the job block holds. Null texts are empty.
struct JobFields {
    LONG value1;
    LONG value2;
    const char* jobText;
    HWND owner;
    SHORT shortValue;
    const char* shortText;
    LONG value3;
    const char* pdfPath;
    const char* secondPath;
    DWORD outputFlags;
    DWORD solutionType;
};

// The job block's size for the two trailing texts (either may be null).
size_t JobBlockSize(const char* text1, const char* text2);
// Zeroes the block and writes the fixed fields.
void WriteJobFields(BYTE* block, size_t size, const JobFields& fields);
// The first text, two zero bytes, the second text and its terminator, after the fixed fields.
void WriteTrailingTexts(BYTE* block, size_t size, const char* text1, const char* text2);

// A named section mapped for writing, created so that every user may open it.
class MappedSection {
public:
    // False when the section cannot be created or mapped.
    bool Create(const std::string& name, size_t size);
    BYTE* Data() const { return static_cast<BYTE*>(m_view.get()); }

private:
    unique_handle m_section;
    unique_view m_view;
};

// "<prefix><base> <client>": the name of one of a job's sections.
std::string SectionName(const std::string& prefix, const char* base, const std::string& client);

inline constexpr char kJobBlockName[] = "report_shared_memory";

// A printer section of n + 7 bytes: a 32-bit length n, then n data bytes, then zero bytes (so a text
// given with n = its length still ends with its terminator).
bool WritePrinterSection(MappedSection& section, const std::string& name, const void* data, DWORD length);

} // namespace ovs::printing
