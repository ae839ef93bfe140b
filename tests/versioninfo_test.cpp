#include "test_support.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string Text(std::vector<BYTE>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value) {
        return "<none>";
    }
    return value;
}

TEST(VersionInfo, EachBinaryNamesTheProductItsVersionAndItsFile) {
    for (const auto& [fileName, fileType] : {std::pair<std::string, DWORD>{"OVSTools2.dll", VFT_DLL},
                                             {"OVSDataFile.dll", VFT_DLL},
                                             {"ovsdemo.exe", VFT_APP}}) {
        SCOPED_TRACE(fileName);
        const std::string path = ovs::test::ExecutableFolder() + "\\" + fileName;
        DWORD ignored = 0;
        std::vector<BYTE> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        ASSERT_FALSE(block.empty());
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, DWORD{OVS_VERSION_MAJOR} << 16 | OVS_VERSION_MINOR);
        EXPECT_EQ(fixed->dwFileVersionLS, DWORD{OVS_VERSION_PATCH} << 16);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwFileType, fileType);
        EXPECT_EQ(Text(block, "ProductName"), "OVSTools2");
        EXPECT_EQ(Text(block, "FileVersion"), OVS_VERSION ".0");
        EXPECT_EQ(Text(block, "ProductVersion"), OVS_VERSION ".0");
        EXPECT_EQ(Text(block, "OriginalFilename"), fileName);
        const std::string description = Text(block, "FileDescription");
        EXPECT_TRUE(description != "<none>" && !description.empty());
    }
}

} // namespace
