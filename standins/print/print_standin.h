// The print process as its callers and tests see it: the job block it reads, the settings it takes
// from its environment and the receipt it writes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ovsprint {

// Environment of the stand-in (the library passes none of them):
// the file the receipt is appended to; nothing is written without it.
inline constexpr char kReceiptVariable[] = "OVS_PRINT_RECEIPT";
// Any non-empty value: the process never ends once it has read the job (the caller's hang time-out).
inline constexpr char kHangVariable[] = "OVS_PRINT_HANG";
// The file a printed document goes to (the printer's FILE: port would ask for one).
inline constexpr char kPrintFileVariable[] = "OVS_PRINT_OUTPUT";

// Output flags of the job block.
inline constexpr DWORD kFlagPrinter = 1;
inline constexpr DWORD kFlagPdf = 2;
inline constexpr DWORD kFlagSummary = 4;
inline constexpr DWORD kFlagPng = 8;

// Job block layout.
inline constexpr size_t kJobValue1At = 0;
inline constexpr size_t kJobValue2At = 4;
inline constexpr size_t kJobTextAt = 8;
inline constexpr size_t kOwnerWindowAt = 808;
inline constexpr size_t kShortValueAt = 812;
inline constexpr size_t kShortTextAt = 814;
inline constexpr size_t kJobValue3At = 848;
inline constexpr size_t kPdfPathAt = 852;
inline constexpr size_t kSecondPathAt = 1112;
inline constexpr size_t kFlagsAt = 1372;
inline constexpr size_t kSolutionTypeAt = 1376;
inline constexpr size_t kTrailingAt = 1380;
inline constexpr size_t kJobBlockFixedSize = 1384;

// The section names after the namespace prefix; the client identifier follows after a blank.
inline constexpr const char* kSectionNames[] = {"report_shared_memory",
                                                "report_shared_memory_DevNames",
                                                "report_shared_memory_DevMode",
                                                "report_shared_memory_PrinterInfo",
                                                "report_shared_memory_PrinterName",
                                                "report_shared_memory_PrinterPlace"};

// Exit codes: 0 when every requested output was made.
inline constexpr DWORD kExitNoJob = 10;
inline constexpr DWORD kExitPdfFailed = 11;
inline constexpr DWORD kExitPngFailed = 12;
inline constexpr DWORD kExitPrintFailed = 13;

// Receipt lines, CRLF-terminated, one job after another:
//   "option <name> <value>"        each option found on the command line ("1" for a switch)
//   "section <name> <size> <hex>"  each section opened: its full size and all its bytes
//   "nosection <name>"             a section that could not be opened
//   "output <kind> <path> <ok>"    each output made (kind pdf, png, print)
//   "end <exit code>"
inline constexpr char kReceiptOption[] = "option";
inline constexpr char kReceiptSection[] = "section";
inline constexpr char kReceiptNoSection[] = "nosection";
inline constexpr char kReceiptOutput[] = "output";
inline constexpr char kReceiptEnd[] = "end";

} // namespace ovsprint
