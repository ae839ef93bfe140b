#include "test_support.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// The version block of a binary in the program folder; empty when it has none.
std::vector<BYTE> VersionBlock(const std::string& fileName) {
    const std::string path = ovs::test::ExecutableFolder() + "\\" + fileName;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        block.clear();
    }
    return block;
}

std::string Text(std::vector<BYTE>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value) {
        return "<none>";
    }
    return value;
}

struct Binary {
    const char* fileName;
    DWORD fileType;
};

class VersionInfoTest : public ::testing::TestWithParam<Binary> {};

TEST_P(VersionInfoTest, NamesTheProductVersionAndFile) {
    std::vector<BYTE> block = VersionBlock(GetParam().fileName);
    ASSERT_FALSE(block.empty()) << GetParam().fileName;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD{OVS_VERSION_MAJOR} << 16 | OVS_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD{OVS_VERSION_PATCH} << 16);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, GetParam().fileType);
    EXPECT_EQ(Text(block, "ProductName"), "OVSTools2");
    EXPECT_EQ(Text(block, "FileVersion"), OVS_VERSION ".0");
    EXPECT_EQ(Text(block, "ProductVersion"), OVS_VERSION ".0");
    EXPECT_EQ(Text(block, "OriginalFilename"), GetParam().fileName);
    const std::string description = Text(block, "FileDescription");
    EXPECT_TRUE(description != "<none>" && !description.empty());
}

INSTANTIATE_TEST_SUITE_P(Binaries, VersionInfoTest,
                         ::testing::Values(Binary{"OVSTools2.dll", VFT_DLL},
                                           Binary{"OVSDataFile.dll", VFT_DLL},
                                           Binary{"ovsdemo.exe", VFT_APP}));

} // namespace
