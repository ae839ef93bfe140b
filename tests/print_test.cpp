#include "launching_manager_support.h"
#include "print_standin.h"
#include "storage_server.h"
#include "test_support.h"

#include "ovsreg.h"
#include "ovsregstorage.h"
#include "ovstoolmodule.h"
#include "ovstoolprint.h"
#include "ovstoolproducts.h"
#include "printing/print_job_block.h"

#include <gdiplus.h>
#include <winspool.h>

#include <cstring>
#include <map>
#include <regex>

using namespace ovs::test;

namespace {

// One run of the print process as its receipt tells it.
struct Receipt {
    std::map<std::string, std::string> options;
    std::map<std::string, std::vector<BYTE>> sections;
    std::vector<std::string> outputs;
    std::string end;

    DWORD Word(const char* section, size_t at) const {
        DWORD value = 0;
        const auto& bytes = sections.at(section);
        std::memcpy(&value, bytes.data() + at, sizeof value);
        return value;
    }
    std::string Text(const char* section, size_t at) const {
        return reinterpret_cast<const char*>(sections.at(section).data() + at);
    }
};

Receipt ReadReceipt(const std::string& path) {
    Receipt receipt;
    for (const std::string& line : SplitLines(ReadFileText(path))) {
        std::istringstream words(line);
        std::string kind, name, value;
        words >> kind >> name;
        if (kind == ovsprint::kReceiptOption) {
            words >> value;
            receipt.options[name] = value;
        } else if (kind == ovsprint::kReceiptSection) {
            size_t size = 0;
            words >> size >> value;
            std::vector<BYTE> bytes;
            for (size_t i = 0; i + 1 < value.size(); i += 2) {
                bytes.push_back(static_cast<BYTE>(std::stoul(value.substr(i, 2), nullptr, 16)));
            }
            receipt.sections[name] = bytes;
        } else if (kind == ovsprint::kReceiptOutput) {
            receipt.outputs.push_back(line.substr(kind.size() + 1));
        } else if (kind == ovsprint::kReceiptEnd) {
            receipt.end = name;
        }
    }
    return receipt;
}

constexpr char kJob[] = "report_shared_memory";
constexpr HRESULT kNotStarted = static_cast<HRESULT>(0x80042085);
constexpr HRESULT kHung = static_cast<HRESULT>(0x80042095);
constexpr HRESULT kNoPdf = static_cast<HRESULT>(0x88041F1E);

class PrintTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        UseExecutableFolderAsProgramFolder();
        SetEnvironmentVariableA(ovsprint::kReceiptVariable, receipt.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA(ovsprint::kReceiptVariable, nullptr);
        SetEnvironmentVariableA(ovsprint::kHangVariable, nullptr);
        Tool_SetMainWnd(nullptr);
        RegistryTest::TearDown();
    }
    // A direct-road job of the given kind; the receipt of its run.
    HRESULT Print(WORD kind, const char* text1 = nullptr, const char* text2 = nullptr, BOOL summary = FALSE) {
        return Tool_PrintOutEx2(text1, text2, "Job", 1, 2, 3, summary, pdf.c_str(), png.c_str(), "Short", 4,
                                FALSE, FALSE, nullptr, 5, kind, nullptr, nullptr, nullptr, 0);
    }

    TempFolder folder;
    const std::string receipt = folder / "receipt.txt";
    const std::string pdf = folder / "report.pdf";
    const std::string png = folder / "report.png";
};

TEST_F(PrintTest, TheJobBlockHoldsEveryFieldAtItsPlace) {
    const std::string longJobText(900, 'J');
    const std::string longShortText(50, 'S');
    const GUID project = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
    Tool_SetMainWnd(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x12345678)));
    ASSERT_EQ(S_OK, Tool_PrintOutEx2("first", "second", longJobText.c_str(), 11, 22, 7, FALSE, pdf.c_str(),
                                     png.c_str(), longShortText.c_str(), 33, FALSE, FALSE, &project, -44,
                                     OVS_PRINTKIND_PDF | OVS_PRINTKIND_PNG, nullptr, nullptr, nullptr, 0));
    const Receipt run = ReadReceipt(receipt);
    EXPECT_EQ("1", run.options.at("Global"));
    EXPECT_TRUE(std::regex_match(run.options.at("ClientGUID"),
                                 std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})")));
    EXPECT_EQ("7", run.options.at("InstNo"));
    EXPECT_EQ("{01234567-89AB-CDEF-0102-030405060708}", run.options.at("ProjectId"));
    EXPECT_EQ(0u, run.options.count("ServerMode") + run.options.count("DBMode"));

    // The section is at least the formula's 1384 + 6 + 7 bytes (the platform may round it up to pages).
    const auto& block = run.sections.at(kJob);
    ASSERT_GE(block.size(), 1384u + 6 + 7);
    EXPECT_EQ(11u, run.Word(kJob, 0));
    EXPECT_EQ(22u, run.Word(kJob, 4));
    EXPECT_EQ(std::string(799, 'J'), run.Text(kJob, 8));
    EXPECT_EQ(0x12345678u, run.Word(kJob, 808));
    EXPECT_EQ(0xFFD4u, run.Word(kJob, 812) & 0xFFFF);
    EXPECT_EQ(std::string(33, 'S'), run.Text(kJob, 814));
    EXPECT_EQ(33u, run.Word(kJob, 848));
    EXPECT_EQ(pdf, run.Text(kJob, 852));
    EXPECT_EQ(png, run.Text(kJob, 1112));
    EXPECT_EQ(static_cast<DWORD>(OVS_PRINTFLAG_PDF | OVS_PRINTFLAG_PNG), run.Word(kJob, 1372));
    EXPECT_EQ(static_cast<DWORD>(Tool_GetAppSolutionType(1)), run.Word(kJob, 1376));
    EXPECT_EQ(std::string("first\0\0second\0\0\0\0", 17),
              std::string(block.begin() + 1380, block.begin() + 1397));
    EXPECT_EQ("0", run.end);
}

// The size formula leaves room for exactly the trailing texts and their zero bytes (guarded).
TEST(PrintJobBlock, TheBlockSizeFollowsTheTrailingTexts) {
    const struct {
        const char* text1;
        const char* text2;
        size_t size;
        std::string tail;
    } cases[] = {
        {nullptr, nullptr, 1384, std::string(4, '\0')},
        {"", nullptr, 1385, std::string(5, '\0')},
        {"ab", nullptr, 1387, std::string("ab\0\0\0\0\0", 7)},
        {nullptr, "xyz", 1388, std::string("\0\0xyz\0\0\0", 8)},
        {"ab", "xyz", 1391, std::string("ab\0\0xyz\0\0\0", 11)},
    };
    constexpr BYTE kGuard = 0xAA;
    for (const auto& c : cases) {
        ASSERT_EQ(c.size, ovs::printing::JobBlockSize(c.text1, c.text2));
        std::vector<BYTE> block(c.size + 8, kGuard);
        ovs::printing::WriteJobFields(block.data(), c.size, {});
        ovs::printing::WriteTrailingTexts(block.data(), c.size, c.text1, c.text2);
        EXPECT_EQ(c.tail, std::string(block.begin() + 1380, block.begin() + c.size));
        EXPECT_EQ(std::vector<BYTE>(8, kGuard), std::vector<BYTE>(block.begin() + c.size, block.end()));
    }
}

TEST_F(PrintTest, OutputKindsGiveTheirFlags) {
    const struct {
        WORD kind;
        BOOL summary;
        DWORD flags;
    } cases[] = {
        {OVS_PRINTKIND_PDF, FALSE, OVS_PRINTFLAG_PDF},
        {OVS_PRINTKIND_PNG, TRUE, OVS_PRINTFLAG_PNG | OVS_PRINTFLAG_SUMMARY},
        {OVS_PRINTKIND_PDF | OVS_PRINTKIND_PNG | OVS_PRINTKIND_DIRECT | 16, FALSE,
         OVS_PRINTFLAG_PDF | OVS_PRINTFLAG_PNG},
        {16, TRUE, OVS_PRINTFLAG_SUMMARY},
    };
    for (const auto& c : cases) {
        DeleteFileA(receipt.c_str());
        ASSERT_EQ(S_OK, Print(c.kind, nullptr, nullptr, c.summary));
        EXPECT_EQ(c.flags, ReadReceipt(receipt).Word(kJob, 1372)) << c.kind;
    }
}

// Minimal reading of the PDF: its header, an object at every cross-reference offset, one page.
void ExpectWellFormedPdf(const std::string& path, const std::string& text) {
    const std::string pdf = ReadFileText(path);
    ASSERT_EQ(0u, pdf.find("%PDF-1.4\n"));
    EXPECT_EQ(pdf.size() - 6, pdf.rfind("%%EOF\n"));
    const size_t startxref = pdf.rfind("startxref\n");
    ASSERT_NE(std::string::npos, startxref);
    const size_t xref = std::stoul(pdf.substr(startxref + 10));
    ASSERT_EQ("xref\n", pdf.substr(xref, 5));
    std::istringstream table(pdf.substr(xref + 5));
    size_t first = 0, count = 0;
    table >> first >> count;
    ASSERT_EQ(6u, count);
    std::string offset, generation, use;
    for (size_t i = 0; i < count; ++i) {
        table >> offset >> generation >> use;
        if (use == "n") {
            EXPECT_EQ(std::to_string(i) + " 0 obj",
                      pdf.substr(std::stoul(offset), std::to_string(i).size() + 6));
        }
    }
    EXPECT_NE(std::string::npos, pdf.find("/Count 1"));
    EXPECT_NE(std::string::npos, pdf.find("(" + text + ")"));
}

TEST_F(PrintTest, OutputPdfWritesAPdfAndAsksForNoPrinter) {
    ASSERT_EQ(S_OK,
              Tool_OutputPDF("doc.lcd", "Peak table (area)", 2, pdf.c_str(), "Short", FALSE, FALSE, nullptr));
    const Receipt run = ReadReceipt(receipt);
    EXPECT_EQ(static_cast<DWORD>(OVS_PRINTFLAG_PDF), run.Word(kJob, 1372));
    EXPECT_EQ(1u, run.Word(kJob, 0));
    EXPECT_EQ(1u, run.Word(kJob, 4));
    EXPECT_EQ(0xFFFFu, run.Word(kJob, 812) & 0xFFFF);
    EXPECT_EQ(1u, run.sections.size());
    ExpectWellFormedPdf(pdf, "Peak table \\(area\\)");

    // Database mode without a PDF path: the document's name with ".pdf", checked after the run.
    const std::string document = folder / "result.lcd";
    ASSERT_EQ(S_OK, Tool_OutputPDF(document.c_str(), "Job", 2, "", "", FALSE, TRUE, nullptr));
    ExpectWellFormedPdf(folder / "result.pdf", "Job");
    const std::string unwritable = folder / "missing\\result.lcd";
    EXPECT_EQ(kNoPdf, Tool_OutputPDF(unwritable.c_str(), "Job", 2, "", "", FALSE, TRUE, nullptr));
}

TEST_F(PrintTest, OutputPngDrawsThePage) {
    ASSERT_EQ(S_OK,
              Tool_OutputPNG("doc.lcd", "Chromatogram report", png.c_str(), "Short", FALSE, FALSE, nullptr));
    const Receipt run = ReadReceipt(receipt);
    EXPECT_EQ("0", run.options.at("InstNo"));
    EXPECT_EQ(static_cast<DWORD>(OVS_PRINTFLAG_PNG), run.Word(kJob, 1372));

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&token, &input, nullptr));
    {
        const std::wstring path(png.begin(), png.end());
        Gdiplus::Bitmap image(path.c_str());
        ASSERT_EQ(Gdiplus::Ok, image.GetLastStatus())
            << ReadFileText(receipt).substr(0, 200) << "..." << run.outputs.at(0);
        EXPECT_EQ(595u, image.GetWidth());
        EXPECT_EQ(842u, image.GetHeight());
        int dark = 0;
        for (UINT y = 0; y < image.GetHeight(); y += 2) {
            for (UINT x = 0; x < image.GetWidth(); x += 2) {
                Gdiplus::Color color;
                image.GetPixel(x, y, &color);
                dark += color.GetR() < 128 ? 1 : 0;
            }
        }
        EXPECT_GT(dark, 500); // the frame alone is about 700 sampled pixels; text adds more
    }
    Gdiplus::GdiplusShutdown(token);
}

// A hidden window that counts the paint messages it gets.
struct PaintCountingWindow {
    static inline int paints = 0;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT) {
            ++paints;
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    static HWND Create() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "OVSPrintTestWindow";
        RegisterClassA(&windowClass);
        return CreateWindowA(windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                             nullptr, windowClass.hInstance, nullptr);
    }
    static void Destroy(HWND window) noexcept { DestroyWindow(window); }
};
using unique_window = ovs::unique_any<ovs::detail::NullNone<HWND, PaintCountingWindow::Destroy>>;

TEST_F(PrintTest, FailuresToStartOrToEndAreReported) {
    char longPath[300];
    std::memset(longPath, 'p', sizeof longPath);
    longPath[260] = '\0';
    EXPECT_EQ(E_INVALIDARG,
              Tool_PrintOutEx2(nullptr, nullptr, "", 0, 0, 0, FALSE, longPath, "", "", 0, FALSE, FALSE,
                               nullptr, 0, OVS_PRINTKIND_PDF, nullptr, nullptr, nullptr, 0));
    EXPECT_FALSE(FileExists(receipt)); // refused before the print process was started

    Tool_WriteRegistryString(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Path", "Prog Path", folder.path().c_str());
    EXPECT_EQ(kNotStarted, Print(OVS_PRINTKIND_PDF));
    UseExecutableFolderAsProgramFolder();

    // While waiting for a process that hangs, the thread's paint messages are served, no others.
    const unique_window window(PaintCountingWindow::Create());
    ASSERT_TRUE(window);
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    InvalidateRect(window.get(), nullptr, TRUE);
    PostMessageA(window.get(), WM_APP, 0, 0);
    SetEnvironmentVariableA(ovsprint::kHangVariable, "1");
    Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Option", "DetectHangPrintExe", 1500);
    const DWORD start = GetTickCount();
    EXPECT_EQ(kHung, Print(OVS_PRINTKIND_PDF));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1400u);
    EXPECT_LT(elapsed, 4000u);
    EXPECT_EQ(0u, ReadReceipt(receipt).outputs.size()); // it had read the job, then was killed
    EXPECT_GE(PaintCountingWindow::paints, 1);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, window.get(), WM_APP, WM_APP, PM_REMOVE));
}

TEST_F(PrintTest, NamesWithoutPrefixWhenTheGlobalProbeIsTaken) {
    const ovs::unique_handle taken(CreateMutexA(nullptr, FALSE, "Global\\OVSUserAnAdmin"));
    ASSERT_EQ(S_OK, Print(OVS_PRINTKIND_PDF));
    const Receipt run = ReadReceipt(receipt);
    EXPECT_EQ("0", run.options.at("Global"));
    EXPECT_EQ(1u, run.sections.count(kJob));
}

constexpr long kDestinationProperty = 0x143002;
constexpr int kSystem = 3;

// The configured destination of system 3 in a store of the test's own.
class PrintDestinationTest : public StorageServerTest {
protected:
    void SetUp() override {
        StorageServerTest::SetUp();
        UseExecutableFolderAsProgramFolder();
        SetEnvironmentVariableA(ovsprint::kReceiptVariable, receipt.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA(ovsprint::kReceiptVariable, nullptr);
        StorageServerTest::TearDown();
    }
    static HRESULT SetDestination(DWORD destination) {
        return Tool_SetProperty(&destination, sizeof destination, 0x10, -1, 0, kSystem, kDestinationProperty,
                                nullptr, nullptr, nullptr, 1);
    }
    Receipt PrintConfigured(WORD kind, const char* printer = nullptr, const char* place = nullptr) {
        DeleteFileA(receipt.c_str());
        EXPECT_EQ(S_OK, Tool_PrintOutEx2(nullptr, nullptr, "Job", 0, 0, kSystem, FALSE, pdf.c_str(), "", "",
                                         0, FALSE, FALSE, nullptr, 0, kind, printer, place, nullptr, 0));
        return ReadReceipt(receipt);
    }

    TempFolder folder;
    const std::string receipt = folder / "receipt.txt";
    const std::string pdf = folder / "report.pdf";
};

TEST_F(PrintDestinationTest, TheConfiguredDestinationGivesTheFlags) {
    EXPECT_EQ(static_cast<DWORD>(OVS_PRINTFLAG_PRINTER), PrintConfigured(0).Word(kJob, 1372)) << "unreadable";
    const struct {
        DWORD destination;
        WORD kind;
        DWORD flags;
    } cases[] = {{0, 0, 1}, {1, 0, 2}, {2, 0, 3}, {5, 0, 0}, {2, OVS_PRINTKIND_DIRECT, 3}};
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, SetDestination(c.destination));
        const Receipt run = PrintConfigured(c.kind);
        EXPECT_EQ(c.flags, run.Word(kJob, 1372)) << c.destination;
        EXPECT_EQ((c.flags & OVS_PRINTFLAG_PRINTER) ? 6u : 1u, run.sections.size()) << c.destination;
    }
    ASSERT_EQ(S_OK, SetDestination(1));
    ASSERT_EQ(S_OK, StorageAnswerBusy(2));
    const DWORD start = GetTickCount();
    EXPECT_EQ(static_cast<DWORD>(OVS_PRINTFLAG_PDF), PrintConfigured(0).Word(kJob, 1372)) << "busy twice";
    EXPECT_GE(GetTickCount() - start, 190u);
}

TEST_F(PrintDestinationTest, PrinterSectionsCarryNameAndPlace) {
    ASSERT_EQ(S_OK, SetDestination(0));
    const Receipt run = PrintConfigured(0, "AB", "AB");
    const auto starts = [&](const char* section, const std::vector<BYTE>& bytes) {
        const auto& found = run.sections.at(section);
        return found.size() >= bytes.size() && std::equal(bytes.begin(), bytes.end(), found.begin());
    };
    EXPECT_TRUE(starts("report_shared_memory_PrinterName", {3, 0, 0, 0, 'A', 'B', 0, 0, 0, 0}));
    EXPECT_TRUE(starts("report_shared_memory_PrinterPlace", {2, 0, 0, 0, 'A', 'B', 0, 0, 0}));
    EXPECT_EQ(0u, run.Word("report_shared_memory_PrinterInfo", 0));
    // No printer in this prefix: the unknown name clears the selection and no default exists.
    EXPECT_EQ(0u, run.Word("report_shared_memory_DevNames", 0));
    EXPECT_EQ(0u, run.Word("report_shared_memory_DevMode", 0));
    EXPECT_EQ(std::to_string(ovsprint::kExitPrintFailed), run.end);
}

TEST_F(PrintTest, ServerModeGoesThroughTheLaunchingManager) {
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

    SetEnvironmentVariableA(ovsprint::kHangVariable, "1");
    Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "Option", "DetectHangPrintExe", 1500);
    LaunchingManagerScope hangingManager; // started again, so that the print process inherits the switch
    EXPECT_EQ(kHung, Tool_OutputPDF("doc.lcd", "Job", 2, pdf.c_str(), "", TRUE, FALSE, nullptr));
}

// Database mode asks the version component once per process: its word decides the road.
const ChildMode kDatabasePrint("print-database", [](const std::vector<std::string>&) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string dll = ExecutableFolder() + "\\OVSVersion.dll";
    const HMODULE module = LoadLibraryA(dll.c_str());
    if (module == nullptr || FAILED(CallServerFunction(module, "DllRegisterServer"))) {
        return 2;
    }
    char pdf[MAX_PATH];
    GetEnvironmentVariableA("OVS_TEST_PDF", pdf, MAX_PATH);
    return Tool_OutputPDF("doc.lcd", "Job", 2, pdf, "", TRUE, TRUE, nullptr) == S_OK ? 0 : 1;
});

TEST_F(PrintTest, TheVersionComponentWordChoosesTheRoadInDatabaseMode) {
    const std::string requests = folder / "requests.txt";
    LaunchingManagerScope manager({"/Receipt", requests});
    ASSERT_TRUE(manager.started);
    const struct {
        const char* word;
        size_t requests;
    } cases[] = {{"0", 0}, {"2", 0}, {"1", 1}, {"3", 2}};
    for (const auto& c : cases) {
        const ChildResult child =
            RunChild("print-database", {}, {{"OVS_VERSION_WORD", c.word}, {"OVS_TEST_PDF", pdf}});
        EXPECT_TRUE(child.finished);
        EXPECT_EQ(0u, child.exitCode) << c.word;
        EXPECT_EQ(c.requests, SplitLines(ReadFileText(requests)).size()) << c.word;
    }
}

// A PostScript printer on port FILE: with the platform's own driver and a minimal PPD, installed as
// the default printer for the length of a test.
class TestPrinterTest : public PrintTest {
protected:
    static constexpr char kPrinter[] = "OVS Test Printer";
    static constexpr char kDriver[] = "Wine PostScript Driver";
    static constexpr char kPpdName[] = "ovstest.ppd";
    static constexpr char kPpd[] =
        "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
        "*LanguageEncoding: ISOLatin1\n*PCFileName: \"OVSTEST.PPD\"\n*Manufacturer: \"OVS\"\n*Product: "
        "\"(Test)\"\n"
        "*ModelName: \"OVS Test\"\n*NickName: \"OVS Test\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: "
        "\"3\"\n"
        "*ColorDevice: False\n*DefaultColorSpace: Gray\n*TTRasterizer: Type42\n"
        "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
        "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
        "*PageSize Letter/Letter: \"<</PageSize[612 792]>>setpagedevice\"\n*CloseUI: *PageSize\n"
        "*OpenUI *PageRegion: PickOne\n*DefaultPageRegion: A4\n"
        "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
        "*PageRegion Letter/Letter: \"<</PageSize[612 792]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
        "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 18 577 824\"\n"
        "*ImageableArea Letter/Letter: \"18 18 594 774\"\n"
        "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n*PaperDimension Letter/Letter: "
        "\"612 792\"\n";

    void SetUp() override {
        PrintTest::SetUp();
        char folder[MAX_PATH];
        DWORD size = sizeof folder;
        ASSERT_TRUE(
            GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), size, &size));
        const std::string ppd = std::string(folder) + "\\" + kPpdName;
        FILE* file = std::fopen(ppd.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        std::fwrite(kPpd, 1, sizeof kPpd - 1, file);
        std::fclose(file);
        DRIVER_INFO_3A driver = {};
        driver.cVersion = 3;
        driver.pName = const_cast<char*>(kDriver);
        driver.pDriverPath = const_cast<char*>("wineps.drv");
        driver.pDataFile = const_cast<char*>(kPpdName);
        driver.pConfigFile = const_cast<char*>("wineps.drv");
        ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)));
        PRINTER_INFO_2A info = {};
        info.pPrinterName = const_cast<char*>(kPrinter);
        info.pPortName = const_cast<char*>("FILE:");
        info.pDriverName = const_cast<char*>(kDriver);
        info.pPrintProcessor = const_cast<char*>("WinPrint");
        info.pDatatype = const_cast<char*>("RAW");
        HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        ASSERT_NE(nullptr, printer);
        ClosePrinter(printer);
        ASSERT_TRUE(SetDefaultPrinterA(kPrinter));
        SetEnvironmentVariableA(ovsprint::kPrintFileVariable, postScript.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableA(ovsprint::kPrintFileVariable, nullptr);
        HANDLE printer = nullptr;
        PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterA(const_cast<char*>(kPrinter), &printer, &access)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        PrintTest::TearDown();
    }
    Receipt PrintOn(const char* name, const DEVMODEW* devMode = nullptr, LONG devModeSize = 0) {
        DeleteFileA(receipt.c_str());
        EXPECT_EQ(S_OK, Tool_PrintOutEx2(nullptr, nullptr, "Printed job", 0, 0, 0, FALSE, "", "", "", 0,
                                         FALSE, FALSE, nullptr, 0, OVS_PRINTKIND_PRINTER, name, "Lab 2",
                                         devMode, devModeSize));
        return ReadReceipt(receipt);
    }
    static std::string DevNamesText(const Receipt& run, size_t word) {
        const auto& section = run.sections.at("report_shared_memory_DevNames");
        WORD offset = 0;
        std::memcpy(&offset, section.data() + 4 + 2 * word, sizeof offset);
        return reinterpret_cast<const char*>(section.data() + 4 + offset);
    }

    const std::string postScript = folder / "printed.ps";
};

TEST_F(TestPrinterTest, ThePrinterIsDescribedAndPrintedOn) {
    for (const char* name : {kPrinter, "No such printer"}) {
        const Receipt run = PrintOn(name);
        // A named printer's driver is its driver's name; the platform's default block names the driver file.
        EXPECT_EQ(name == kPrinter ? std::string(kDriver) : "wineps.drv", DevNamesText(run, 0)) << name;
        EXPECT_EQ(kPrinter, DevNamesText(run, 1)) << name;
        EXPECT_EQ("FILE:", DevNamesText(run, 2)) << name;
        const DWORD modeSize = run.Word("report_shared_memory_DevMode", 0);
        const auto* mode =
            reinterpret_cast<const DEVMODEA*>(run.sections.at("report_shared_memory_DevMode").data() + 4);
        EXPECT_STREQ(kPrinter, reinterpret_cast<const char*>(mode->dmDeviceName)) << name;
        EXPECT_EQ(modeSize, static_cast<DWORD>(mode->dmSize + mode->dmDriverExtra)) << name;
        EXPECT_EQ(5u, run.Word("report_shared_memory_PrinterPlace", 0));
        EXPECT_EQ("0", run.end) << name;
        EXPECT_EQ(0u, ReadFileText(postScript).find("%!PS")) << name;
        DeleteFileA(postScript.c_str());
    }
}

TEST_F(TestPrinterTest, TheCallersWideDeviceModeIsHandedOnNarrow) {
    struct {
        DEVMODEW mode;
        BYTE extra[12];
    } wide = {};
    wide.mode.dmSize = sizeof(DEVMODEW);
    wide.mode.dmDriverExtra = sizeof wide.extra;
    wcscpy(wide.mode.dmDeviceName, L"OVS Test Printer");
    wcscpy(wide.mode.dmFormName, L"Letter");
    wide.mode.dmFields = DM_ORIENTATION;
    wide.mode.dmOrientation = DMORIENT_LANDSCAPE;
    std::memset(wide.extra, 0x5A, sizeof wide.extra);
    const LONG size = sizeof(DEVMODEW) + sizeof wide.extra + 4; // the caller's record may be larger
    std::vector<BYTE> record(size);
    std::memcpy(record.data(), &wide, sizeof wide);

    const Receipt run = PrintOn(kPrinter, reinterpret_cast<const DEVMODEW*>(record.data()), size);
    ASSERT_EQ(static_cast<DWORD>(size), run.Word("report_shared_memory_DevMode", 0));
    const BYTE* narrow = run.sections.at("report_shared_memory_DevMode").data() + 4;
    const auto* mode = reinterpret_cast<const DEVMODEA*>(narrow);
    EXPECT_STREQ(kPrinter, reinterpret_cast<const char*>(mode->dmDeviceName));
    EXPECT_STREQ("Letter", reinterpret_cast<const char*>(mode->dmFormName));
    EXPECT_EQ(sizeof(DEVMODEA), mode->dmSize);
    EXPECT_EQ(DMORIENT_LANDSCAPE, mode->dmOrientation);
    EXPECT_EQ(std::vector<BYTE>(12, 0x5A),
              std::vector<BYTE>(narrow + sizeof(DEVMODEA), narrow + sizeof(DEVMODEA) + 12));
    EXPECT_EQ(std::vector<BYTE>(size - sizeof(DEVMODEA) - 12, 0),
              std::vector<BYTE>(narrow + sizeof(DEVMODEA) + 12, narrow + size));
    const auto& info = run.sections.at("report_shared_memory_PrinterInfo");
    EXPECT_EQ(record, std::vector<BYTE>(info.begin() + 4, info.begin() + 4 + size));

    // A record shorter than it says it is goes nowhere.
    EXPECT_EQ(0u, PrintOn(kPrinter, reinterpret_cast<const DEVMODEW*>(record.data()), sizeof(DEVMODEW))
                      .Word("report_shared_memory_PrinterInfo", 0));
}

} // namespace
