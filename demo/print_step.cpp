// A small report written as a PDF and as a PNG by the print process in the program folder.
#include "OVSTools2.h"
#include "demo_steps.h"

#include <cstdio>
#include <string>

namespace demo {

namespace {

constexpr char kJobText[] = "Peak table: caffeine 12.345 mg/L, theobromine 0.678 mg/L";

std::string DemoFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self(path, length);
    return self.substr(0, self.find_last_of('\\'));
}

void PrintOutput(const char* kind, const std::string& path, HRESULT result) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    const bool exists = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
    std::printf("%s  result 0x%08X  %s  %lu bytes%s\n", kind, static_cast<unsigned>(result), path.c_str(),
                static_cast<unsigned long>(exists ? data.nFileSizeLow : 0), exists ? "" : " (missing)");
}

} // namespace

void RunPrintStep() {
    Heading("Printing: a report as PDF and PNG through OVSPrint.exe");
    const std::string folder = DemoFolder();
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Prog Path", folder.c_str());
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string pdf = std::string(temp) + "ovsdemo_report.pdf";
    const std::string png = std::string(temp) + "ovsdemo_report.png";
    PrintOutput("PDF", pdf,
                Tool_OutputPDF("report.lcd", kJobText, 1, pdf.c_str(), "Demo", FALSE, FALSE, nullptr));
    PrintOutput("PNG", png,
                Tool_OutputPNG("report.lcd", kJobText, png.c_str(), "Demo", FALSE, FALSE, nullptr));
}

} // namespace demo
