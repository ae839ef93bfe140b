// Report text: a small ICF settings document (pump, detector, time program)
// printed as text; a judgement, a batch action and a purity result in the
// user's language; one section of a small ASCII export cut into its values.
#include "demo_steps.h"

#include "OVSTools2.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace demo {

namespace {

constexpr char kSettings[] = "<ICFSettings>"
                             "<ModuleSection><IndexWithinRole>0</IndexWithinRole><RoleName>Pump</"
                             "RoleName><ModuleType>LC-P</ModuleType>"
                             "<ModuleDisplayName>Binary Pump</ModuleDisplayName>"
                             "<PARAMETER><Name>Flow</Name><Value>1.000</Value><Unit>mL/min</Unit></"
                             "PARAMETER>"
                             "<TABLE><Name>Time Program</Name>"
                             "<ROW><RowIndex>0</RowIndex><PARAMETER><Name>Time</Name><Value>0.01</"
                             "Value></PARAMETER>"
                             "<PARAMETER><Name>B.Conc</Name><Value>10</Value></PARAMETER></ROW>"
                             "<ROW><RowIndex>1</RowIndex><PARAMETER><Name>Time</Name><Value>8.00</"
                             "Value></PARAMETER>"
                             "<PARAMETER><Name>B.Conc</Name><Value>90</Value></PARAMETER></ROW>"
                             "</TABLE></ModuleSection>"
                             "<ModuleSection><IndexWithinRole>0</IndexWithinRole><RoleName>Detector</"
                             "RoleName><ModuleType>UV</ModuleType>"
                             "<ModuleDisplayName>UV Detector</ModuleDisplayName>"
                             "<SECTION><Name>Lamp</Name><PARAMETER><Name>Wavelength</Name><Value>254</"
                             "Value><Unit>nm</Unit></PARAMETER>"
                             "</SECTION></ModuleSection>"
                             "</ICFSettings>";

void PrintLines(const char* text) {
    std::string line;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            std::printf("    | %s\n", line.c_str());
            line.clear();
        } else if (*c != '\r') {
            line += *c;
        }
    }
}

void PrintSettings() {
    CString text;
    Tool_ConvertICFXMLtoText(kSettings, text);
    std::printf("ICF settings as report text:\n");
    PrintLines(text);
}

void PrintLabels() {
    CString judgement;
    Tool_GetJudgementString(judgement, 0x01, 0x20, 0, 0.4, 0.5, 0.0);
    CString action;
    const WORD attribute = Tool_GetBatchActionStr(3, action, 1);
    CString purity;
    Tool_GetPurityResultString(99.8765, 2, purity);
    CString special;
    Tool_GetPurityResultString(2.0, 2, special);
    std::printf("judgement (not detected, 0.4 below limit 0.5): %s\n", judgement.GetString());
    std::printf("batch action 3: %s (attribute %u)\n", action.GetString(), attribute);
    std::printf("purity 99.8765 with 2 decimals: %s; special value 2.0: %s\n", purity.GetString(),
                special.GetString());
}

void CutExport() {
    std::string exported = "[Header]\r\nDelimiter,COMMA\r\n"
                           "[Peak Table(Detector A-Ch1)]\r\n# of Peaks,2\r\nPeak#,R.Time,Area\r\n"
                           "1,1.234,5678\r\n2,2.500,100\r\n"
                           "[Chromatogram(Detector A-Ch1)]\r\nInterval(msec),500";
    char delimiter = '\t';
    Tool_GetDelimitTypeForAsciiImport(exported.c_str(), &delimiter);
    char* cursor = exported.data();
    char* end = nullptr;
    CString titleLine;
    CString channel;
    if (!Tool_SearchTitleForAsciiImportEx("Peak Table", titleLine, &cursor, &end)) {
        std::printf("no peak table\n");
        return;
    }
    Tool_SearchTitleChannelNameForAsciiImport(titleLine, channel);
    char peaks[16];
    Tool_GetItemValueForAsciiImport("# of Peaks", peaks, delimiter, cursor, end);
    std::printf("ASCII export: delimiter '%c', section %s, channel %s, %s peaks\n", delimiter,
                titleLine.GetString(), channel.GetString(), peaks);
    // Each line of the section cut field by field: every cut leaves the rest of
    // the line in place.
    char value[64];
    for (char* line = cursor; line < end;) {
        char* lineEnd = std::strstr(line, "\r\n");
        lineEnd = lineEnd == nullptr || lineEnd > end ? end : lineEnd;
        std::vector<char> rest(line, lineEnd);
        rest.push_back('\0');
        const char* restEnd = rest.data() + rest.size() - 1;
        std::string row;
        while (rest[0] != '\0') {
            Tool_GetValueForAsciiImport(value, delimiter, rest.data(), restEnd, rest.data());
            row += std::string(" [") + value + "]";
        }
        std::printf("   %s\n", row.c_str());
        line = lineEnd + 2;
    }
}

} // namespace

void RunReportTextStep() {
    Heading("Report text");
    // The library leaves COM to its host.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PrintSettings();
    PrintLabels();
    CutExport();
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}

} // namespace demo
