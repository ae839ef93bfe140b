// Automatic copies of data files and PDFs on real folder trees, settings from the storage server.
#include "OVSTools2.h"
#include "storage_server.h"

#include <comdef.h>

#include <fstream>

namespace {

using namespace ovs::test;

constexpr char kRoot[] = OVS_REG_COMMON_ROOT; // the caller's registry root of the copies
constexpr char kData[] = "LC data\r\n\x01\x02";
constexpr char kGoEvent[] = "OVSTest_AutoCopyGo";
constexpr char kHeldEvent[] = "OVSTest_AutoCopyPdfHeld";

// A setting of system 1 on the storage server; nullptr removes it.
void SetStorage(const char* name, const char* value) {
    if (value == nullptr) {
        Tool_RemoveRegStorage(OVS_REG_PRODUCT_ROOT, "System1", "File", name);
    } else {
        Tool_WriteRegStorageString(OVS_REG_PRODUCT_ROOT, "System1", "File", name, value, 0);
    }
}
void SetFolder(const char* root, const char* name, const std::string& value) {
    Tool_WriteRegistryString(root, nullptr, 0, "File", name, value.c_str());
}

// A data tree D\Orvantiscope\Data\Proj\Run01.lcd (and its PDF) and a target tree T.
class AutoCopy : public StorageServerTest {
protected:
    void SetUp() override {
        StorageServerTest::SetUp();
        Tool_MakeDirectories(m_proj.c_str());
        std::ofstream(m_source, std::ios::binary) << kData;
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
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"", "\\", m_target.path() + m_proj.substr(2)}, // the whole folder without the drive
        {"\\orvantiscope\\DATA", "", m_copies},
        {"\\Orvantiscope\\Data\\", "\\\\", m_copies}};
    for (const auto& [base, targetEnd, folder] : cases) {
        SetFolder(kRoot, "AutoCopyBaseFolder", base);
        EXPECT_TRUE(Tool_DataFileAutoCopy(m_source.c_str(), (m_target.path() + targetEnd).c_str(), kRoot));
        EXPECT_TRUE(FileExists(folder + "\\Run01.lcd")) << base;
        RemoveTree(folder);
    }
    SetStorage("CopyModifiedDataFile", "Yes");
    for (const char* name : {"Run01.lcd", "Run01_1.lcd", "Run01_2.lcd"}) {
        EXPECT_TRUE(CopyEx());
        EXPECT_EQ(kData, ReadFileText(m_copies + "\\" + name)) << name;
    }
    WIN32_FIND_DATAA found;
    FindClose(FindFirstFileA((m_copies + "\\run01.lcd").c_str(), &found));
    EXPECT_STREQ("Run01.lcd", found.cFileName) << "the copy keeps the case of the caller's path";
}

TEST_F(AutoCopy, NothingToDoIsSuccessAndFailuresGiveFalse) {
    // The switches of modified and acquired data, kind, extension, and whether a copy is made.
    const std::tuple<const char*, const char*, long, const char*, bool> cases[] = {
        {"No", "Yes", 0, "lcd", false},      {"yes", nullptr, 0, "lcd", false},
        {nullptr, nullptr, 0, "lcd", false}, {"No", "Yes", 1, "LCD", true},
        {"Yes", "Yes", 2, "lcd", false},     {"Yes", nullptr, 0, "gcd", false}};
    for (const auto& [modified, acquired, kind, ext, copied] : cases) {
        SetStorage("CopyModifiedDataFile", modified);
        SetStorage("CopyAcquiredDataFile", acquired);
        RemoveTree(m_copies);
        EXPECT_TRUE(CopyEx(kind, ext)) << kind << ext;
        EXPECT_EQ(copied, FileExists(m_copies + "\\Run01.lcd")) << kind << ext;
    }
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
    // Outside the product's data folder: nothing to do for the switch, but no copy either.
    SetFolder(OVS_REG_PRODUCT_ROOT, "AutoCopyBaseFolder", "\\Elsewhere");
    EXPECT_TRUE(CopyEx());
    SetFolder(kRoot, "AutoCopyBaseFolder", "\\Elsewhere");
    EXPECT_FALSE(Tool_DataFileAutoCopy(m_source.c_str(), m_target.path().c_str(), kRoot));
    SetStorage("CopyTargetPath", "");
    EXPECT_FALSE(CopyEx());
    EXPECT_FALSE(FileExists(m_copies + "\\Run01.lcd"));
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
const ChildMode kWritePdf("autocopy-write-pdf", [](const std::vector<std::string>& args) {
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
    const ovs::unique_handle child = StartChild("autocopy-write-pdf", {m_proj + "\\Run01.PDF"});
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

// Copies the file args[0] 25 times into args[1] once the go event is set.
const ChildMode kCopyMany("autocopy-copy-many", [](const std::vector<std::string>& args) {
    const ovs::unique_handle go(OpenEventA(SYNCHRONIZE, FALSE, kGoEvent));
    WaitForSingleObject(go.get(), 30000);
    for (int i = 0; i < 25; ++i) {
        if (!Tool_DataFileAutoCopy(args[0].c_str(), args[1].c_str(), kRoot)) {
            return 1;
        }
    }
    return 0;
});

TEST_F(AutoCopy, TwoProcessesCopyingAtOnceKeepEveryCopy) {
    const ovs::unique_handle go(CreateEventA(nullptr, TRUE, FALSE, kGoEvent));
    const ovs::unique_handle children[] = {StartChild("autocopy-copy-many", {m_source, m_target.path()}),
                                           StartChild("autocopy-copy-many", {m_source, m_target.path()})};
    SetEvent(go.get());
    for (const auto& child : children) {
        DWORD code = 1;
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.get(), 120000));
        EXPECT_TRUE(GetExitCodeProcess(child.get(), &code) && code == 0);
    }
    for (int n = 1; n <= 50; ++n) {
        EXPECT_EQ(n < 50, FileExists(m_copies + "\\Run01_" + std::to_string(n) + ".lcd")) << n;
    }
}

TEST_F(AutoCopy, UnreachableStorageServerRaises) {
    SetStorage("CopyModifiedDataFile", "Yes");
    ASSERT_TRUE(StopStorageServer());
    ASSERT_TRUE(RunStorageServerSwitch("/UnregServer"));
    HRESULT raised = S_OK;
    try {
        CopyEx();
    } catch (const _com_error& error) {
        raised = error.Error();
    }
    ASSERT_TRUE(RunStorageServerSwitch("/RegServer"));
    EXPECT_EQ(REGDB_E_CLASSNOTREG, raised);
}

} // namespace
