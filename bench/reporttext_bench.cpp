// ICF settings documents as text against a bare load of the document by the same parser, and the
// cut of an ASCII field against a memmove of the bytes it moves.
//
// The document is generated: about 5 MB with 70 000 parameters in modules, nested sections and
// tables. Each round loads it once with the parser alone (a new document object, synchronous,
// loadXML) and converts it once with each export, in alternating order; the figures are the medians
// of the per-round ratios. The field cut is timed against memmove of the bytes it moves.
#include "OVSTools2.h"
#include "bench_support.h"
#include "unique_resource.h"

#include <msxml2.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using ovs::bench::Median;
using ovs::bench::Time;

constexpr int kParameters = 70000;
constexpr int kRounds = 5;
constexpr IID kXmlDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

std::string Parameter(int n, bool withUnit) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "<PARAMETER><Name>Parameter %05d</Name><Value>%d.%03d</Value>%s</PARAMETER>\r\n", n,
                  n % 977, n % 1000, withUnit ? "<Unit>mL/min</Unit>" : "");
    return text;
}

// Modules of 10 sections (one nested), each with a 5-row table of 2 parameters and 25 parameters.
std::string GeneratedDocument() {
    std::string xml =
        "<?xml "
        "version=\"1.0\"?>\r\n<ICFSettings>\r\n<PreformatedText>Generated\nsettings</PreformatedText>\r\n";
    int n = 0;
    for (int module = 0; n < kParameters; ++module) {
        xml += "<ModuleSection><IndexWithinRole>" + std::to_string(module) +
               "</IndexWithinRole><RoleName>Pump</RoleName><ModuleType>LC</ModuleType>"
               "<ModuleDisplayName>Module</ModuleDisplayName>\r\n";
        for (int section = 0; section < 10 && n < kParameters; ++section) {
            xml += "<SECTION><Name>Section " + std::to_string(section) +
                   "</Name>\r\n<TABLE><Name>Table</Name>\r\n";
            for (int row = 0; row < 5; ++row) {
                xml += "<ROW><RowIndex>" + std::to_string(row) + "</RowIndex>" + Parameter(n, false) +
                       Parameter(n + 1, false) + "</ROW>\r\n";
                n += 2;
            }
            xml += "</TABLE>\r\n<SECTION><Name>Inner</Name>\r\n";
            for (int p = 0; p < 25; ++p) {
                xml += Parameter(n++, p % 2 == 0);
            }
            xml += "</SECTION></SECTION>\r\n";
        }
        xml += "</ModuleSection>\r\n";
    }
    return xml + "</ICFSettings>\r\n";
}

void LoadOnly(const std::wstring& xml) {
    CLSID parser;
    ovs::com_ptr<IXMLDOMDocument2> document;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &parser)) ||
        FAILED(CoCreateInstance(parser, nullptr, CLSCTX_INPROC_SERVER, kXmlDocument2, document.put_void()))) {
        std::printf("no XML parser\n");
        return;
    }
    ovs::unique_bstr text(SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size())));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->put_async(VARIANT_FALSE);
    if (FAILED(document->loadXML(text.get(), &loaded)) || loaded != VARIANT_TRUE) {
        std::printf("the document did not load\n");
    }
}

void IcfRows() {
    const std::string narrow = GeneratedDocument();
    const std::wstring wide(narrow.begin(), narrow.end());
    std::vector<double> load;
    std::vector<double> wideTimes;
    std::vector<double> narrowTimes;
    std::vector<double> wideRatios;
    std::vector<double> narrowRatios;
    size_t lines = 0;
    for (int round = 0; round < kRounds; ++round) {
        CStringW wideText;
        CString narrowText;
        const double w = Time([&] { Tool_ConvertICFXMLtoTextW(wide.c_str(), wideText); });
        const double l = Time([&] { LoadOnly(wide); });
        const double n = Time([&] { Tool_ConvertICFXMLtoText(narrow.c_str(), narrowText); });
        lines = static_cast<size_t>(narrowText.GetLength());
        load.push_back(l);
        wideTimes.push_back(w);
        narrowTimes.push_back(n);
        wideRatios.push_back(w / l);
        narrowRatios.push_back(n / l);
    }
    std::printf("ICF document: %.2f MB, %d parameters, text %.2f MB\n", narrow.size() / 1e6, kParameters,
                lines / 1e6);
    std::printf("%-32s %12s %12s %10s\n", "operation", "ours ms", "loadXML ms", "ratio");
    std::printf("%-32s %12.0f %12.0f %9.2fx\n", "Tool_ConvertICFXMLtoTextW", Median(wideTimes) * 1e3,
                Median(load) * 1e3, Median(wideRatios));
    std::printf("%-32s %12.0f %12.0f %9.2fx\n", "Tool_ConvertICFXMLtoText", Median(narrowTimes) * 1e3,
                Median(load) * 1e3, Median(narrowRatios));
}

// One line of 150 000 fields, each cut off its front; in place (the rest into the text's own
// buffer, as callers cut field after field) and into a buffer apart.
void FieldCutRows() {
    constexpr char kField[] = "12.345\t";
    constexpr size_t kFieldBytes = sizeof kField - 1;
    std::string line;
    for (int i = 0; i < 150000; ++i) {
        line += kField;
    }
    const size_t bytes = line.size() + 1;
    std::vector<char> ours(bytes);
    std::vector<char> theirs(bytes);
    std::vector<char> apart(bytes);
    char value[16];
    constexpr int kCuts = 100;
    std::printf("%-32s %12s %12s %10s\n", "field cut of a 1 MB line", "ours ms", "memmove ms", "ratio");
    for (const bool inPlace : {true, false}) {
        std::vector<double> ratios;
        std::vector<double> ourTimes;
        std::vector<double> baseTimes;
        for (int round = 0; round < 15; ++round) {
            std::memcpy(ours.data(), line.c_str(), bytes);
            std::memcpy(theirs.data(), line.c_str(), bytes);
            char* rest = inPlace ? ours.data() : apart.data();
            const double o = Time([&] {
                for (int i = 0; i < kCuts; ++i) {
                    Tool_GetValueForAsciiImport(value, '\t', ours.data(), ours.data() + bytes, rest);
                }
            });
            const double m = Time([&] {
                for (int i = 0; i < kCuts; ++i) {
                    const size_t moved = inPlace ? bytes - (i + 1) * kFieldBytes : bytes - kFieldBytes;
                    std::memmove(inPlace ? theirs.data() : apart.data(), theirs.data() + kFieldBytes, moved);
                }
            });
            ourTimes.push_back(o / kCuts);
            baseTimes.push_back(m / kCuts);
            ratios.push_back(o / m);
        }
        std::printf("%-32s %12.3f %12.3f %9.2fx\n",
                    inPlace ? "  rest into the text's buffer" : "  rest into a buffer apart",
                    Median(ourTimes) * 1e3, Median(baseTimes) * 1e3, Median(ratios));
    }
    std::printf("(checksum %d %d %d)\n", value[0], ours[bytes / 2], theirs[bytes / 2] + apart[bytes / 2]);
}

} // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 1;
    }
    IcfRows();
    FieldCutRows();
    CoUninitialize();
    return 0;
}
