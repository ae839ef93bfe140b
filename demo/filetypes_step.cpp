// A few documents and old flat files classified by content, the installed products with the
// solution type they select, and the grid font.
#include "OVSTools2.h"
#include "demo_steps.h"
#include "unique_resource.h"

#include <afxwnd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace demo {

namespace {

void MakeDocument(const std::string& path, const wchar_t* stream, DWORD firstNumber) {
    const std::wstring wide(path.begin(), path.end());
    ovs::com_ptr<IStorage> storage;
    if (FAILED(StgCreateDocfile(wide.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                storage.put()))) {
        return;
    }
    ovs::com_ptr<IStream> content;
    ULONG written = 0;
    if (SUCCEEDED(
            storage->CreateStream(stream, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, content.put()))) {
        content->Write(&firstNumber, sizeof(firstNumber), &written);
    }
}

} // namespace

void RunFileTypesStep() {
    Heading("File types: documents and old flat files");
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // The temporary folder may be the process folder that an earlier step removed: made again.
    const std::string folder = std::string(temp) + "ovsdemo_filetypes";
    Tool_MakeDirectories(folder.c_str());
    const std::string files[] = {folder + "\\Run01.lcd",  folder + "\\Run02.gcd", folder + "\\Check.lsc",
                                 folder + "\\Method.met", folder + "\\Old01.dat", folder + "\\Export.cdf",
                                 folder + "\\Lost.lcd"};
    MakeDocument(files[0], L"File Property", 31);
    MakeDocument(files[1], L"File Property", 111);
    MakeDocument(files[2], L"Contents", 0);
    std::ofstream(files[3], std::ios::binary) << "M0 method of the older system";
    std::ofstream(files[4], std::ios::binary) << "dC data of the older system";
    std::ofstream(files[5], std::ios::binary) << "CDF\x01";
    std::printf("%-12s %6s %10s %10s %9s\n", "file", "kind", "result", "file type", "solution");
    for (const std::string& path : files) {
        int kind = 0;
        const HRESULT hr = Tool_CheckFileType(path.c_str(), &kind);
        const std::string name = path.substr(path.rfind('\\') + 1);
        const long code = Tool_GetFileType(name.substr(name.rfind('.') + 1).c_str());
        std::printf("%-12s %6d %10.8lx %10.8lx %9ld\n", name.c_str(), kind, static_cast<unsigned long>(hr),
                    static_cast<unsigned long>(code), Tool_FileTypeToSolutionType(code));
    }
    Tool_DeleteDirectoryFiles(folder.c_str(), TRUE);
    char extension[8];
    Tool_GetFileExtension(0x0400006F, extension, 3);
    std::printf("GC data files end in .%s\n", extension);

    Heading("Installed products and the grid font");
    // What an installer of the LC and GC products leaves in the registry.
    Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "InstalledProduct", "LC", 1);
    Tool_WriteRegistryInt(OVS_REG_PRODUCT_ROOT, nullptr, 0, "InstalledProduct", "GC", 1);
    const DWORD products = Tool_GetInstalledProduct();
    const long solution = Tool_SetAppSolutionType(-1);
    std::printf("installed products 0x%03lx: solution type %ld, file filter type %d\n",
                static_cast<unsigned long>(products), solution, Tool_GetFileFilterType());
    CDC screen;
    CFont font;
    if (screen.CreateCompatibleDC(nullptr) && Tool_GetGridFont(&font, &screen)) {
        LOGFONTA logFont = {};
        font.GetLogFont(&logFont);
        std::printf("grid font: %s, height %ld at %d dpi\n", logFont.lfFaceName, logFont.lfHeight,
                    screen.GetDeviceCaps(LOGPIXELSY));
    }
}

} // namespace demo
