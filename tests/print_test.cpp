// Printing through the print process: the job block and sections, the outputs, the roads to it
// (direct, through the launching manager, in database mode), its failures and the printer.
#include "hex_text.h"
#include "launching_manager_support.h"
#include "print_standin.h"
#include "storage_server.h"
#include "test_support.h"

#include "ovsreg.h"
#include "ovsregstorage.h"
#include "ovstoolmodule.h"
#include "ovstoolprint.h"
#include "ovstoolproducts.h"

#include <winspool.h>

#include <cstring>
#include <fstream>
#include <sstream>

using namespace ovs::test;
using namespace std::string_literals;

namespace {

constexpr char kJob[] = "report_shared_memory";
const std::string kDevNames = kJob + "_DevNames"s, kDevMode = kJob + "_DevMode"s;

// One run of the print process as its receipt tells it.
struct Receipt {
    std::map<std::string, std::string> options, sections;
    size_t outputs = 0;
    std::string end;

    DWORD Word(const std::string& section, size_t at = 0) const {
        DWORD value = 0;
        std::memcpy(&value, sections.at(section).data() + at, sizeof value);
        return value;
    }
    std::string Text(const std::string& section, size_t at) const {
        return sections.at(section).c_str() + at;
    }
};

Receipt ReadReceipt(const std::string& path) {
    Receipt receipt;
    for (const std::string& line : SplitLines(ReadFileText(path))) {
        std::istringstream words(line);
        std::string kind, name, value, bytes;
        words >> kind >> name >> value >> bytes; // a section's size, then its bytes
        if (kind == ovsprint::kReceiptOption) {
            receipt.options[name] = value;
        } else if (kind == ovsprint::kReceiptSection) {
            receipt.sections[name] = HexBytes(bytes);
        }
        receipt.outputs += kind == ovsprint::kReceiptOutput;
        receipt.end = kind == ovsprint::kReceiptEnd ? name : receipt.end;
    }
    return receipt;
}

// The print process of the build, its receipt in the test's folder.
template <class Base>
class PrintFixture : public Base {
protected:
    void SetUp() override {
        Base::SetUp();
        UseExecutableFolderAsProgramFolder();
        SetEnvironmentVariableA(ovsprint::kReceiptVariable, receipt.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA(ovsprint::kReceiptVariable, nullptr);
        SetEnvironmentVariableA(ovsprint::kHangVariable, nullptr);
        Tool_SetMainWnd(nullptr);
        Base::TearDown();
    }
    // A job of the given kind on system `system`, with a printer name and place.
    HRESULT Run(WORD kind, BOOL summary = FALSE, int system = 3, const char* printer = nullptr,
                const char* place = nullptr, const char* pdfPath = nullptr) {
        DeleteFileA(receipt.c_str());
        return Tool_PrintOutEx2(nullptr, nullptr, "Job", 1, 2, system, summary,
                                pdfPath ? pdfPath : pdf.c_str(), png.c_str(), "", 4, FALSE, FALSE, nullptr, 5,
                                kind, printer, place, nullptr, 0);
    }
    template <class... Args>
    Receipt Print(WORD kind, Args... args) {
        EXPECT_EQ(S_OK, Run(kind, args...));
        return ReadReceipt(receipt);
    }

    TempFolder folder;
    const std::string receipt = folder / "receipt.txt";
    const std::string pdf = folder / "report.pdf";
    const std::string png = folder / "report.png";
};

using PrintTest = PrintFixture<RegistryTest>;
using PrintDestinationTest = PrintFixture<StorageServerTest>;

TEST_F(PrintTest, TheJobBlockHoldsEveryFieldAtItsPlaceAndKindsGiveTheirFlags) {
    const GUID project = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
    Tool_SetMainWnd(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x12345678)));
    ASSERT_EQ(S_OK, Tool_PrintOutEx2("first", "second", std::string(900, 'J').c_str(), 11, 22, 7, FALSE,
                                     pdf.c_str(), png.c_str(), std::string(50, 'S').c_str(), 33, FALSE, FALSE,
                                     &project, -44, OVS_PRINTKIND_PDF | OVS_PRINTKIND_PNG, nullptr, nullptr,
                                     nullptr, 0));
    const Receipt run = ReadReceipt(receipt);
    EXPECT_EQ("1", run.options.at("Global"));
    EXPECT_TRUE(IsGuidText(run.options.at("ClientGUID")));
    EXPECT_EQ("7", run.options.at("InstNo"));
    EXPECT_EQ("{01234567-89AB-CDEF-0102-030405060708}", run.options.at("ProjectId"));
    EXPECT_EQ(0u, run.options.count("ServerMode") + run.options.count("DBMode"));
    // The section is at least the formula's 1384 + 6 + 7 bytes (the platform may round it up to pages).
    ASSERT_GE(run.sections.at(kJob).size(), 1384u + 6 + 7);
    EXPECT_EQ((std::vector<DWORD>{11, 22, 0x12345678, 0xFFD4, 33, OVS_PRINTFLAG_PDF | OVS_PRINTFLAG_PNG,
                                  DWORD(Tool_GetAppSolutionType(1))}),
              (std::vector<DWORD>{run.Word(kJob, 0), run.Word(kJob, 4), run.Word(kJob, 808),
                                  run.Word(kJob, 812) & 0xFFFF, run.Word(kJob, 848), run.Word(kJob, 1372),
                                  run.Word(kJob, 1376)}));
    EXPECT_EQ(std::string(799, 'J') + "|" + std::string(33, 'S') + "|" + pdf + "|" + png,
              run.Text(kJob, 8) + "|" + run.Text(kJob, 814) + "|" + run.Text(kJob, 852) + "|" +
                  run.Text(kJob, 1112));
    EXPECT_EQ(std::string("first\0\0second\0\0\0\0", 17), run.sections.at(kJob).substr(1380, 17));
    EXPECT_EQ("0", run.end);
    const std::tuple<WORD, BOOL, DWORD> cases[] = {
        {OVS_PRINTKIND_PNG, TRUE, OVS_PRINTFLAG_PNG | OVS_PRINTFLAG_SUMMARY},
        {OVS_PRINTKIND_PDF | OVS_PRINTKIND_PNG | OVS_PRINTKIND_DIRECT | 16, FALSE,
         OVS_PRINTFLAG_PDF | OVS_PRINTFLAG_PNG}};
    for (const auto& [kind, summary, flags] : cases) {
        EXPECT_EQ(flags, Print(kind, summary).Word(kJob, 1372)) << kind;
    }
    // With the global probe taken, the names go without the prefix.
    const ovs::unique_handle taken(CreateMutexA(nullptr, FALSE, "Global\\OVSUserAnAdmin"));
    const Receipt probed = Print(OVS_PRINTKIND_PDF);
    EXPECT_EQ("0", probed.options.at("Global"));
    EXPECT_EQ(1u, probed.sections.count(kJob));
}

TEST_F(PrintTest, OutputPdfGivesItsJobAndFailuresToStartOrToEndAreReported) {
    ASSERT_EQ(S_OK,
              Tool_OutputPDF("doc.lcd", "Peak table (area)", 2, pdf.c_str(), "Short", FALSE, FALSE, nullptr));
    const Receipt run = ReadReceipt(receipt);
    EXPECT_EQ((std::vector<DWORD>{1, 1, 0xFFFF, OVS_PRINTFLAG_PDF}),
              (std::vector<DWORD>{run.Word(kJob, 0), run.Word(kJob, 4), run.Word(kJob, 812) & 0xFFFF,
                                  run.Word(kJob, 1372)}));
    EXPECT_NE(std::string::npos, ReadFileText(pdf).find("(Peak table \\(area\\))"));
    // Database mode without a PDF path: the document's name with ".pdf", checked after the run.
    ASSERT_EQ(S_OK, Tool_OutputPDF((folder / "result.lcd").c_str(), "Job", 2, "", "", FALSE, TRUE, nullptr));
    EXPECT_NE(std::string::npos, ReadFileText(folder / "result.pdf").find("(Job)"));
    EXPECT_EQ(OVS_E_PRINT_NO_PDF, Tool_OutputPDF((folder / "missing\\result.lcd").c_str(), "Job", 2, "", "",
                                                 FALSE, TRUE, nullptr));
    EXPECT_EQ(E_INVALIDARG,
              Run(OVS_PRINTKIND_PDF, FALSE, 0, nullptr, nullptr, std::string(260, 'p').c_str()));
    EXPECT_FALSE(FileExists(receipt)); // refused before the print process was started
    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Prog Path", folder.path().c_str());
    EXPECT_EQ(OVS_E_PRINT_NOT_STARTED, Run(OVS_PRINTKIND_PDF));
    UseExecutableFolderAsProgramFolder();

    SetEnvironmentVariableA(ovsprint::kHangVariable, "1");
    Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Option", "DetectHangPrintExe", 1500);
    const DWORD start = GetTickCount();
    EXPECT_EQ(static_cast<HRESULT>(0x80042095), Run(OVS_PRINTKIND_PDF)); // hung
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_TRUE(elapsed >= 1400 && elapsed < 4000) << elapsed;
    EXPECT_EQ(0u, ReadReceipt(receipt).outputs); // it had read the job, then was killed
}

TEST_F(PrintDestinationTest, TheConfiguredDestinationGivesTheFlagsAndPrinterSections) {
    const auto setDestination = [](DWORD destination) {
        return Tool_SetProperty(&destination, sizeof destination, 0x10, -1, 0, 3, 0x143002, nullptr, nullptr,
                                nullptr, 1);
    };
    EXPECT_EQ(DWORD(OVS_PRINTFLAG_PRINTER), Print(0).Word(kJob, 1372)) << "unreadable";
    const std::tuple<DWORD, WORD, DWORD> cases[] = {
        {0, 0, 1}, {1, 0, 2}, {2, 0, 3}, {5, 0, 0}, {2, OVS_PRINTKIND_DIRECT, 3}};
    for (const auto& [destination, kind, flags] : cases) {
        ASSERT_EQ(S_OK, setDestination(destination));
        const Receipt run = Print(kind);
        EXPECT_EQ(flags, run.Word(kJob, 1372)) << destination;
        EXPECT_EQ((flags & OVS_PRINTFLAG_PRINTER) ? 6u : 1u, run.sections.size()) << destination;
    }
    ASSERT_EQ(S_OK, setDestination(0));
    const Receipt run = Print(0, FALSE, 3, "AB", "AB");
    EXPECT_EQ(std::string("\3\0\0\0AB\0\0\0\0", 10), run.sections.at(kJob + "_PrinterName"s).substr(0, 10));
    EXPECT_EQ(std::string("\2\0\0\0AB\0\0\0", 9), run.sections.at(kJob + "_PrinterPlace"s).substr(0, 9));
    // No printer in this prefix: the unknown name clears the selection and no default exists.
    EXPECT_EQ(0u, run.Word(kJob + "_PrinterInfo"s) + run.Word(kDevNames) + run.Word(kDevMode));
    EXPECT_EQ(std::to_string(ovsprint::kExitPrintFailed), run.end);
}

// Database mode asks the version component once per process: its bit 0 decides the road.
const ChildMode kDatabasePrint("print-database", [](const std::vector<std::string>&) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HMODULE module = LoadLibraryA((ExecutableFolder() + "\\OVSVersion.dll").c_str());
    char pdf[MAX_PATH];
    GetEnvironmentVariableA("OVS_TEST_PDF", pdf, MAX_PATH);
    return SUCCEEDED(CallServerFunction(module, "DllRegisterServer")) &&
                   Tool_OutputPDF("doc.lcd", "Job", 2, pdf, "", TRUE, TRUE, nullptr) == S_OK
               ? 0
               : 1;
});

TEST_F(PrintTest, ServerModeGoesThroughTheLaunchingManagerAndDatabaseModeAsksTheVersionWord) {
    const std::string requests = folder / "requests.txt";
    LaunchingManagerScope manager({"/Receipt", requests});
    ASSERT_TRUE(manager.started);
    ASSERT_EQ(S_OK, Tool_OutputPDF("doc.lcd", "Job", 2, pdf.c_str(), "", TRUE, FALSE, nullptr));
    EXPECT_EQ("1", ReadReceipt(receipt).options.at("ServerMode"));
    EXPECT_EQ(1u, SplitLines(ReadFileText(requests)).size());
    // Output kind bit 3 keeps the job off the manager.
    ASSERT_EQ(S_OK, Tool_PrintOutEx2(nullptr, nullptr, "Job", 0, 0, 0, FALSE, pdf.c_str(), "", "", 0, TRUE,
                                     FALSE, nullptr, 0, OVS_PRINTKIND_PDF | OVS_PRINTKIND_DIRECT, nullptr,
                                     nullptr, nullptr, 0));
    EXPECT_EQ(1u, SplitLines(ReadFileText(requests)).size());
    for (const auto& [word, count] : {std::pair{"2", 1u}, {"3", 2u}}) {
        const ChildResult child =
            RunChild("print-database", {}, {{"OVS_VERSION_WORD", word}, {"OVS_TEST_PDF", pdf}});
        EXPECT_EQ(0u, child.exitCode) << word;
        EXPECT_EQ(count, SplitLines(ReadFileText(requests)).size()) << word;
    }
}

// A PostScript printer on port FILE: with the platform's own driver and a minimal PPD, the default
// printer for its life.
struct TestPrinter {
    static constexpr char kName[] = "OVS Test Printer";
    static constexpr char kDriver[] = "Wine PostScript Driver";
    bool installed = false;

    TestPrinter() {
        constexpr char kPpd[] =
            "*PPD-Adobe: \"4.3\"\n*NickName: \"OVS Test\"\n*LanguageLevel: \"3\"\n"
            "*DefaultPageSize: A4\n*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
            "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
            "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n";
        char folder[MAX_PATH];
        DWORD size = sizeof folder;
        GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), size, &size);
        installed =
            static_cast<bool>(std::ofstream(std::string(folder) + "\\ovstest.ppd", std::ios::binary) << kPpd);
        DRIVER_INFO_3A driver = {};
        driver.cVersion = 3;
        driver.pName = const_cast<char*>(kDriver);
        driver.pDriverPath = driver.pConfigFile = const_cast<char*>("wineps.drv");
        driver.pDataFile = const_cast<char*>("ovstest.ppd");
        PRINTER_INFO_2A info = {};
        info.pPrinterName = const_cast<char*>(kName);
        info.pPortName = const_cast<char*>("FILE:");
        info.pDriverName = const_cast<char*>(kDriver);
        info.pPrintProcessor = const_cast<char*>("WinPrint");
        info.pDatatype = const_cast<char*>("RAW");
        installed = installed && AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)) &&
                    ClosePrinter(AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info))) &&
                    SetDefaultPrinterA(kName);
    }
    ~TestPrinter() {
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        OpenPrinterA(const_cast<char*>(kName), &printer, &access);
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
};

// The text at the offset of DEVNAMES word `word` (driver, device, port).
std::string DevNamesText(const Receipt& run, size_t word) {
    const char* names = run.sections.at(kDevNames).data() + 4;
    return names + *reinterpret_cast<const WORD*>(names + 2 * word);
}

TEST_F(PrintTest, ThePrinterIsDescribedAndPrintedOn) {
    const TestPrinter printer;
    ASSERT_TRUE(printer.installed);
    const std::string postScript = folder / "printed.ps";
    SetEnvironmentVariableA(ovsprint::kPrintFileVariable, postScript.c_str());
    for (const char* name : {TestPrinter::kName, "No such printer"}) {
        const Receipt run = Print(OVS_PRINTKIND_PRINTER, FALSE, 0, name, "Lab 2");
        const auto* mode = reinterpret_cast<const DEVMODEA*>(run.sections.at(kDevMode).data() + 4);
        // A named printer's driver is its driver's name; the platform's default block names the driver file.
        EXPECT_EQ(name == TestPrinter::kName ? std::string(TestPrinter::kDriver) : "wineps.drv",
                  DevNamesText(run, 0))
            << name;
        EXPECT_EQ(TestPrinter::kName + "|FILE:"s, DevNamesText(run, 1) + "|" + DevNamesText(run, 2)) << name;
        EXPECT_STREQ(TestPrinter::kName, reinterpret_cast<const char*>(mode->dmDeviceName)) << name;
        EXPECT_EQ(run.Word(kDevMode), DWORD(mode->dmSize + mode->dmDriverExtra)) << name;
        EXPECT_EQ(5u, run.Word(kJob + std::string("_PrinterPlace")));
        EXPECT_EQ("0", run.end) << name;
        EXPECT_EQ(0u, ReadFileText(postScript).find("%!PS")) << name;
        DeleteFileA(postScript.c_str());
    }
    SetEnvironmentVariableA(ovsprint::kPrintFileVariable, nullptr);
}

} // namespace
