// Automatic copies of data files and PDFs on real folder trees, settings from the storage server.
#include "OVSTools2.h"
#include "storage_server.h"

#include <comdef.h>

#include <fstream>

namespace {

using ovs::test::FileExists;
using ovs::test::ReadFileText;
using ovs::test::TempFolder;

constexpr char kRoot[] = OVS_REG_COMMON_ROOT; // the caller's registry root of the copies
constexpr char kGoEvent[] = "OVSTest_AutoCopyGo";
constexpr char kHeldEvent[] = "OVSTest_AutoCopyPdfHeld";

void SetStorage(const char* name, const char* value) {
    Tool_WriteRegStorageString(OVS_REG_PRODUCT_ROOT, "System1", "File", name, value, 0);
}
void SetFolder(const char* root, const char* name, const std::string& value) {
    Tool_WriteRegistryString(root, nullptr, 0, "File", name, value.c_str());
}
// A data tree D\Orvantiscope\Data\Proj\Run01.lcd (and its PDF) and a target tree T.
class AutoCopy : public ovs::test::StorageServerTest {
protected:
    void SetUp() override {
        StorageServerTest::SetUp();
        CreateDirectoryA((m_data / "Orvantiscope").c_str(), nullptr);
        CreateDirectoryA((m_data / "Orvantiscope\\Data").c_str(), nullptr);
        CreateDirectoryA(m_proj.c_str(), nullptr);
        std::ofstream(m_source, std::ios::binary) << "LC data\r\n\x01\x02";
        SetStorage("CopyTargetPath", m_target.path().c_str());
    }
    BOOL CopyEx(long kind = 0, const char* ext = "lcd") {
        return Tool_DataFileAutoCopyEx(m_source.c_str(), ext, kRoot, 1, kind);
    }
    TempFolder m_data;
    TempFolder m_target;
    const std::string m_proj = m_data / "Orvantiscope\\Data\\Proj";
    const std::string m_source = m_proj + "\\Run01.lcd";
    const std::string m_copies = m_target / "Proj";
};

TEST_F(AutoCopy, CopiesMirrorTheTreeAndNumberTakenNames) {
    SetStorage("CopyModifiedDataFile", "Yes");
    for (int copy = 0; copy < 3; ++copy) {
        EXPECT_TRUE(CopyEx());
    }
    for (const char* name : {"Run01.lcd", "Run01_1.lcd", "Run01_2.lcd"}) {
        EXPECT_EQ("LC data\r\n\x01\x02", ReadFileText(m_copies + "\\" + name)) << name;
    }
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA((m_copies + "\\run01.lcd").c_str(), &found));
    EXPECT_STREQ("Run01.lcd", found.cFileName) << "the copy keeps the case of the caller's path";
    EXPECT_EQ("LC data\r\n\x01\x02", ReadFileText(m_source));
}

TEST_F(AutoCopy, NothingToDoIsSuccess) {
    const struct {
        const char* modified;
        const char* acquired;
        long kind;
        const char* ext;
        BOOL result;
        bool copied;
    } cases[] = {{"No", "Yes", 0, "lcd", TRUE, false},      {"yes", nullptr, 0, "lcd", TRUE, false},
                 {nullptr, nullptr, 0, "lcd", TRUE, false}, {"No", "Yes", 1, "LCD", TRUE, true},
                 {"Yes", "Yes", 2, "lcd", TRUE, false},     {"Yes", nullptr, 0, "gcd", TRUE, false},
                 {"Yes", nullptr, -1, "lcd", TRUE, false}};
    for (const auto& c : cases) {
        Tool_RemoveRegStorage(OVS_REG_PRODUCT_ROOT, "System1", "File", "CopyModifiedDataFile");
        Tool_RemoveRegStorage(OVS_REG_PRODUCT_ROOT, "System1", "File", "CopyAcquiredDataFile");
        if (c.modified != nullptr) {
            SetStorage("CopyModifiedDataFile", c.modified);
        }
        if (c.acquired != nullptr) {
            SetStorage("CopyAcquiredDataFile", c.acquired);
        }
        ovs::test::RemoveTree(m_copies);
        EXPECT_EQ(c.result, CopyEx(c.kind, c.ext)) << c.kind << c.ext;
        EXPECT_EQ(c.copied, FileExists(m_copies + "\\Run01.lcd")) << c.kind << c.ext;
    }
    // Outside the product's data folder: nothing to do for the switch, but no copy either.
    SetFolder(OVS_REG_PRODUCT_ROOT, "AutoCopyBaseFolder", "\\Elsewhere");
    EXPECT_TRUE(CopyEx());
    SetFolder(kRoot, "AutoCopyBaseFolder", "\\Elsewhere");
    EXPECT_FALSE(Tool_DataFileAutoCopy(m_source.c_str(), m_target.path().c_str(), kRoot));
    SetStorage("CopyTargetPath", "");
    EXPECT_FALSE(CopyEx());
    EXPECT_FALSE(FileExists(m_copies + "\\Run01.lcd"));
}

TEST_F(AutoCopy, RelativeFolderByTheBaseSetting) {
    const std::string belowRoot = m_proj.substr(2); // without the drive
    const struct {
        const char* base;
        const char* targetEnd;
        std::string folder;
    } cases[] = {{"\\orvantiscope\\DATA", "", m_copies},
                 {"\\Orvantiscope\\Data\\", "\\\\", m_copies},
                 {"", "\\", m_target.path() + belowRoot}};
    for (const auto& c : cases) {
        SetFolder(kRoot, "AutoCopyBaseFolder", c.base);
        EXPECT_TRUE(Tool_DataFileAutoCopy(m_source.c_str(), (m_target.path() + c.targetEnd).c_str(), kRoot));
        EXPECT_TRUE(FileExists(c.folder + "\\Run01.lcd")) << c.base;
        ovs::test::RemoveTree(c.folder);
    }
}

TEST_F(AutoCopy, FailuresGiveFalse) {
    std::ofstream(m_copies) << "a file where the folder should be";
    EXPECT_FALSE(Tool_DataFileAutoCopy(m_source.c_str(), m_target.path().c_str(), kRoot));
    DeleteFileA(m_copies.c_str());
    {
        const ovs::unique_hfile held(CreateFileA(m_source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(Tool_DataFileAutoCopy(m_source.c_str(), m_target.path().c_str(), kRoot))
            << "sharing (32)";
    }
    EXPECT_FALSE(Tool_DataFileAutoCopy((m_proj + "\\Missing.lcd").c_str(), m_target.path().c_str(), kRoot));
    EXPECT_FALSE(Tool_DataFileAutoCopy(nullptr, m_target.path().c_str(), kRoot));
    EXPECT_FALSE(Tool_PDFFileAutoCopy("ab", "abc", kRoot));
}

TEST_F(AutoCopy, PdfBesideTheCopyOrInThePdfFolder) {
    std::ofstream(m_proj + "\\Run01.PDF", std::ios::binary) << "%PDF new";
    CreateDirectoryA(m_copies.c_str(), nullptr);
    std::ofstream(m_copies + "\\Run01.PDF") << "older";
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01_1.lcd").c_str(), kRoot));
    EXPECT_EQ("%PDF new", ReadFileText(m_copies + "\\Run01_1.PDF"));
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01.lcd").c_str(), kRoot));
    EXPECT_EQ("%PDF new", ReadFileText(m_copies + "\\Run01.PDF"));
    CreateDirectoryA((m_copies + "\\Folder.PDF").c_str(), nullptr);
    EXPECT_FALSE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Folder.lcd").c_str(), kRoot)) << "5";

    TempFolder pdfs;
    SetFolder(kRoot, "AutoCopyPDFFolder", pdfs.path());
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), "unused.lcd", kRoot));
    EXPECT_EQ("%PDF new", ReadFileText(pdfs / "Proj\\Run01.PDF"));
    std::ofstream(pdfs / "Blocked") << "a file where the folder should be";
    SetFolder(kRoot, "AutoCopyPDFFolder", pdfs / "Blocked");
    EXPECT_FALSE(Tool_PDFFileAutoCopy(m_source.c_str(), "unused.lcd", kRoot));
}

// Writes args[0] in two halves, holding it 2 s between them.
const ovs::test::ChildMode kWritePdf("autocopy-write-pdf", [](const std::vector<std::string>& args) {
    const ovs::unique_handle held(OpenEventA(EVENT_MODIFY_STATE, FALSE, kHeldEvent));
    const ovs::unique_hfile pdf(CreateFileA(args[0].c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(pdf.get(), "%PDF first half ", 16, &written, nullptr);
    SetEvent(held.get());
    Sleep(2000);
    WriteFile(pdf.get(), "second half", 11, &written, nullptr);
    return 0;
});

TEST_F(AutoCopy, PdfIsCopiedOnceItsWriterIsDone) {
    const ovs::unique_handle held(CreateEventA(nullptr, TRUE, FALSE, kHeldEvent));
    const ovs::unique_handle child = ovs::test::StartChild("autocopy-write-pdf", {m_proj + "\\Run01.PDF"});
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.get(), 30000));
    EXPECT_TRUE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01.lcd").c_str(), kRoot));
    EXPECT_EQ("%PDF first half second half", ReadFileText(m_copies + "\\Run01.PDF"));
    WaitForSingleObject(child.get(), 30000);
}

TEST_F(AutoCopy, PdfNeverAppearingIsWaitedForAboutAMinute) {
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(Tool_PDFFileAutoCopy(m_source.c_str(), (m_copies + "\\Run01.lcd").c_str(), kRoot));
    EXPECT_GE(GetTickCount64() - start, 60000u);
}

// Copies the file args[0] args[2] times into args[1] once the go event is set.
const ovs::test::ChildMode kCopyMany("autocopy-copy-many", [](const std::vector<std::string>& args) {
    const ovs::unique_handle go(OpenEventA(SYNCHRONIZE, FALSE, kGoEvent));
    WaitForSingleObject(go.get(), 30000);
    for (int i = 0; i < std::stoi(args[2]); ++i) {
        if (!Tool_DataFileAutoCopy(args[0].c_str(), args[1].c_str(), kRoot)) {
            return 1;
        }
    }
    return 0;
});

TEST_F(AutoCopy, TwoProcessesCopyingAtOnceKeepEveryCopy) {
    const ovs::unique_handle go(CreateEventA(nullptr, TRUE, FALSE, kGoEvent));
    ovs::unique_handle children[2];
    for (auto& child : children) {
        child = ovs::test::StartChild("autocopy-copy-many", {m_source, m_target.path(), "25"});
    }
    SetEvent(go.get());
    for (auto& child : children) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.get(), 120000));
        DWORD code = 1;
        GetExitCodeProcess(child.get(), &code);
        EXPECT_EQ(0u, code);
    }
    for (int n = 1; n <= 50; ++n) {
        EXPECT_EQ(n < 50, FileExists(m_copies + "\\Run01_" + std::to_string(n) + ".lcd")) << n;
    }
}

TEST_F(AutoCopy, UnreachableStorageServerRaises) {
    SetStorage("CopyModifiedDataFile", "Yes");
    ASSERT_TRUE(ovs::test::StopStorageServer());
    ASSERT_TRUE(ovs::test::RunStorageServerSwitch("/UnregServer"));
    HRESULT raised = S_OK;
    try {
        CopyEx();
    } catch (const _com_error& error) {
        raised = error.Error();
    }
    ASSERT_TRUE(ovs::test::RunStorageServerSwitch("/RegServer"));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, raised);
}

} // namespace
