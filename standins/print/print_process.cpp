// The print process: reads the options from its command line, the job block and, for a printer
// job, the five printer sections, and makes the outputs the job's flags ask for.
#include "print_outputs.h"
#include "print_standin.h"
#include "unique_resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>

namespace {

using ovsprint::kSectionNames;

// Options that take a value; the others are switches.
constexpr const char* kValueOptions[] = {"/Global", "/ClientGUID", "/InstNo", "/ProjectId"};
constexpr char kPdfExtension[] = ".pdf";

std::string Environment(const char* name) {
    char value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool TakesValue(const std::string& name) {
    for (const char* option : kValueOptions) {
        if (_stricmp(option, name.c_str()) == 0) {
            return true;
        }
    }
    return false;
}

// Options by name from the whole command line: the program path may be unquoted and hold blanks,
// so words are taken as they come and only those beginning with '/' start an option.
std::map<std::string, std::string> ParseOptions(const char* commandLine) {
    std::istringstream words(commandLine);
    std::vector<std::string> all;
    for (std::string word; words >> word;) {
        all.push_back(word);
    }
    std::map<std::string, std::string> options;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].size() < 2 || all[i][0] != '/') {
            continue;
        }
        const std::string name = all[i].substr(1);
        if (TakesValue(all[i]) && i + 1 < all.size()) {
            options[name] = all[++i];
        } else {
            options[name] = "1";
        }
    }
    return options;
}

// A section's size as the creator gave it; the view's region (whole pages) when it cannot be asked.
SIZE_T SectionSize(HANDLE section, const void* view) {
    struct SectionBasicInformation {
        PVOID base;
        ULONG attributes;
        LARGE_INTEGER size;
    } information = {};
    using QuerySection = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QuerySection>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySection")));
    if (query != nullptr && query(section, 0, &information, sizeof information, nullptr) >= 0) {
        return static_cast<SIZE_T>(information.size.QuadPart);
    }
    MEMORY_BASIC_INFORMATION region = {};
    VirtualQuery(view, &region, sizeof region);
    return region.RegionSize;
}

std::optional<std::vector<BYTE>> ReadSection(const std::string& name) {
    const ovs::unique_handle section(OpenFileMappingA(FILE_MAP_READ | SECTION_QUERY, FALSE, name.c_str()));
    if (!section) {
        return std::nullopt;
    }
    const ovs::unique_view view(MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const BYTE*>(view.get());
    return std::vector<BYTE>(bytes, bytes + SectionSize(section.get(), view.get()));
}

std::string Hex(const std::vector<BYTE>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (BYTE b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// A zero-terminated text inside a block, at most "limit" bytes.
std::string TextAt(const std::vector<BYTE>& block, size_t at, size_t limit) {
    if (at >= block.size()) {
        return std::string();
    }
    const char* start = reinterpret_cast<const char*>(block.data() + at);
    const size_t available = std::min(limit, block.size() - at);
    return std::string(start, strnlen(start, available));
}

template <typename T>
T ValueAt(const std::vector<BYTE>& block, size_t at) {
    T value = 0;
    if (at + sizeof value <= block.size()) {
        std::memcpy(&value, block.data() + at, sizeof value);
    }
    return value;
}

// The data bytes of a printer section (after its 32-bit length).
std::vector<BYTE> SectionData(const std::optional<std::vector<BYTE>>& section) {
    if (!section || section->size() < sizeof(DWORD)) {
        return {};
    }
    const DWORD length = ValueAt<DWORD>(*section, 0);
    const size_t available = std::min<size_t>(length, section->size() - sizeof(DWORD));
    return std::vector<BYTE>(section->begin() + sizeof(DWORD), section->begin() + sizeof(DWORD) + available);
}

std::string ReplacePdfExtension(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + kPdfExtension;
}

// The receipt, appended to its file when flushed (before hanging) and at the end.
class Receipt {
public:
    explicit Receipt(std::string path) : m_path(std::move(path)) {}
    Receipt(const Receipt&) = delete;
    Receipt& operator=(const Receipt&) = delete;
    ~Receipt() { Flush(); }

    void Line(const std::string& line) { m_text += line + "\r\n"; }
    void Flush() {
        if (m_path.empty() || m_text.empty()) {
            return;
        }
        if (FILE* file = std::fopen(m_path.c_str(), "ab")) {
            std::fwrite(m_text.data(), 1, m_text.size(), file);
            std::fclose(file);
        }
        m_text.clear();
    }

private:
    std::string m_path;
    std::string m_text;
};

std::vector<std::string> ReportLines(const std::vector<BYTE>& job) {
    const std::string first = TextAt(job, ovsprint::kTrailingAt, job.size());
    const std::string second = TextAt(job, ovsprint::kTrailingAt + first.size() + 2, job.size());
    char values[128];
    std::snprintf(values, sizeof values, "Values: %ld %ld %ld %d", ValueAt<LONG>(job, ovsprint::kJobValue1At),
                  ValueAt<LONG>(job, ovsprint::kJobValue2At), ValueAt<LONG>(job, ovsprint::kJobValue3At),
                  ValueAt<SHORT>(job, ovsprint::kShortValueAt));
    return {TextAt(job, ovsprint::kJobTextAt, 800), "Short text: " + TextAt(job, ovsprint::kShortTextAt, 34),
            values, "Texts: " + first + " | " + second};
}

} // namespace

int main() {
    const auto options = ParseOptions(GetCommandLineA());
    Receipt receipt(Environment(ovsprint::kReceiptVariable));
    for (const auto& [name, value] : options) {
        receipt.Line(std::string(ovsprint::kReceiptOption) + " " + name + " " + value);
    }
    const auto global = options.find("Global");
    const auto client = options.find("ClientGUID");
    const std::string prefix = global != options.end() && global->second == "1" ? "Global\\" : "";
    const std::string suffix = " " + (client != options.end() ? client->second : std::string());

    const auto readAndNote = [&](const char* name) {
        auto section = ReadSection(prefix + name + suffix);
        if (section) {
            receipt.Line(std::string(ovsprint::kReceiptSection) + " " + name + " " +
                         std::to_string(section->size()) + " " + Hex(*section));
        } else {
            receipt.Line(std::string(ovsprint::kReceiptNoSection) + " " + name);
        }
        return section;
    };
    const auto job = readAndNote(kSectionNames[0]);
    if (!job || job->size() < ovsprint::kJobBlockFixedSize) {
        receipt.Line(std::string(ovsprint::kReceiptEnd) + " " + std::to_string(ovsprint::kExitNoJob));
        return static_cast<int>(ovsprint::kExitNoJob);
    }
    const DWORD flags = ValueAt<DWORD>(*job, ovsprint::kFlagsAt);
    std::vector<BYTE> devNames;
    std::vector<BYTE> devMode;
    if (flags & ovsprint::kFlagPrinter) {
        devNames = SectionData(readAndNote(kSectionNames[1]));
        devMode = SectionData(readAndNote(kSectionNames[2]));
        for (size_t i = 3; i < std::size(kSectionNames); ++i) {
            readAndNote(kSectionNames[i]);
        }
    }
    if (!Environment(ovsprint::kHangVariable).empty()) {
        receipt.Flush();
        Sleep(INFINITE);
    }

    const std::vector<std::string> lines = ReportLines(*job);
    DWORD exitCode = 0;
    const auto output = [&](const char* kind, const std::string& path, bool made, DWORD failure) {
        receipt.Line(std::string(ovsprint::kReceiptOutput) + " " + kind + " " + path + " " +
                     (made ? "1" : "0"));
        if (!made && exitCode == 0) {
            exitCode = failure;
        }
    };
    if (flags & ovsprint::kFlagPdf) {
        std::string path = TextAt(*job, ovsprint::kPdfPathAt, MAX_PATH);
        if (path.empty() && options.count("DBMode") != 0) {
            const std::string first = TextAt(*job, ovsprint::kTrailingAt, job->size());
            path = ReplacePdfExtension(TextAt(*job, ovsprint::kTrailingAt + first.size() + 2, job->size()));
        }
        output("pdf", path, !path.empty() && ovsprint::WritePdf(path, lines), ovsprint::kExitPdfFailed);
    }
    if (flags & ovsprint::kFlagPng) {
        const std::string path = TextAt(*job, ovsprint::kSecondPathAt, MAX_PATH);
        output("png", path, !path.empty() && ovsprint::WritePng(path, lines), ovsprint::kExitPngFailed);
    }
    if (flags & ovsprint::kFlagPrinter) {
        const std::string file = Environment(ovsprint::kPrintFileVariable);
        output("print", file, ovsprint::PrintPage(devNames, devMode, file, lines),
               ovsprint::kExitPrintFailed);
    }
    receipt.Line(std::string(ovsprint::kReceiptEnd) + " " + std::to_string(exitCode));
    return static_cast<int>(exitCode);
}
