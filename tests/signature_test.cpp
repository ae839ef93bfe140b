// Signatures and system numbers end to end through the document, audit-trail and file-property
// component stand-ins; the bytes they leave are read back with plain structured storage.
#include "test_support.h"
#include "unique_resource.h"

#include <ovstoolfiletypes.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using ovs::com_ptr;
using ovs::test::TempFolder;

using FailCall = void (*)(LPCSTR, HRESULT);
using CallLog = DWORD (*)(LPSTR, DWORD);
using Reset = void (*)();
using LiveObjects = LONG (*)();

constexpr HRESULT kFailure = static_cast<HRESULT>(0x80041234);

std::string Block(DWORD typeNumber, DWORD systemNumber) {
    std::string block(260, '\0');
    std::memcpy(block.data(), &typeNumber, 4);
    std::memcpy(block.data() + 32, &systemNumber, 4);
    return block;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void MakeDocument(const std::string& path, const std::string& fileProperty) {
    com_ptr<IStorage> storage;
    ASSERT_EQ(S_OK, StgCreateDocfile(Wide(path).c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                     0, storage.put()));
    com_ptr<IStream> stream;
    ASSERT_EQ(S_OK, storage->CreateStream(L"File Property", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                          stream.put()));
    ULONG written = 0;
    stream->Write(fileProperty.data(), static_cast<ULONG>(fileProperty.size()), &written);
}

std::string ReadStream(IStorage* storage, const wchar_t* name) {
    com_ptr<IStream> stream;
    if (FAILED(storage->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()))) {
        return "(none)";
    }
    std::string bytes(4096, '\0');
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

// The "File Property" bytes and the audit trail's "Records" bytes of a document.
std::pair<std::string, std::string> ReadBack(const std::string& path) {
    com_ptr<IStorage> root;
    EXPECT_EQ(S_OK, StgOpenStorage(Wide(path).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                   root.put()));
    if (!root) {
        return {};
    }
    com_ptr<IStorage> auditTrail;
    const std::string records =
        SUCCEEDED(root->OpenStorage(L"Audit Trail", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                    auditTrail.put()))
            ? ReadStream(auditTrail.get(), L"Records")
            : "(none)";
    return {ReadStream(root.get(), L"File Property"), records};
}

class SignatureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string folder(path);
        folder.resize(folder.rfind('\\') + 1);
        s_module = LoadLibraryA((folder + "OVSDocuments.dll").c_str());
    }

    void SetUp() override {
        ASSERT_NE(nullptr, s_module);
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        failCall = reinterpret_cast<FailCall>(GetProcAddress(s_module, "DocumentsStandinFailCall"));
        callLog = reinterpret_cast<CallLog>(GetProcAddress(s_module, "DocumentsStandinCallLog"));
        liveObjects = reinterpret_cast<LiveObjects>(GetProcAddress(s_module, "DocumentsStandinLiveObjects"));
        reinterpret_cast<Reset>(GetProcAddress(s_module, "DocumentsStandinReset"))();
    }
    void TearDown() override {
        EXPECT_EQ(0, liveObjects()) << "no component object stays alive";
        CoUninitialize();
    }

    std::string Log() const {
        char text[2048];
        callLog(text, sizeof(text));
        return text;
    }

    static HMODULE s_module;
    FailCall failCall = nullptr;
    CallLog callLog = nullptr;
    LiveObjects liveObjects = nullptr;
    TempFolder folder;
};

HMODULE SignatureTest::s_module = nullptr;

struct Values {
    BYTE value2[32];
    BYTE value3[8];
    const char* text;
};

Values SampleValues(const char* text) {
    Values v{};
    for (int i = 0; i < 32; ++i) {
        v.value2[i] = static_cast<BYTE>(0xA0 + i);
    }
    for (int i = 0; i < 8; ++i) {
        v.value3[i] = static_cast<BYTE>(0x10 + i);
    }
    v.text = text;
    return v;
}

HRESULT Sign(const std::string& path, const Values& v) {
    return Tool_SetSignature(path.c_str(), 7, v.value2, v.value3, v.text, 5);
}

void ExpectSignatureInBlock(const std::string& block, const Values& v) {
    ASSERT_EQ(260u, block.size());
    DWORD number = 0;
    std::memcpy(&number, block.data(), 4);
    EXPECT_EQ(111u, number); // the type number stays
    std::memcpy(&number, block.data() + 128, 4);
    EXPECT_EQ(7u, number);
    EXPECT_EQ(0, std::memcmp(block.data() + 132, v.value2, 32));
    std::string text32(32, '\0');
    std::memcpy(text32.data(), v.text, std::min<size_t>(std::strlen(v.text), 32));
    EXPECT_EQ(text32, block.substr(164, 32));
    EXPECT_EQ(0, std::memcmp(block.data() + 196, v.value3, 8));
}

TEST_F(SignatureTest, ReportRoadWritesAuditTrailAndFileProperties) {
    const std::string path = folder / "report.lcr";
    MakeDocument(path, Block(111, 2));
    for (const char* text : {"Approved", "A reason text longer than thirty-two bytes in all"}) {
        const Values v = SampleValues(text);
        ASSERT_EQ(S_OK, Sign(path, v)) << Log();
        EXPECT_EQ(
            "AuditTrail.Bind\nAuditTrail.AddRecord\nAuditTrail.SetReason\nAuditTrail.SetSignatureValues\n"
            "AuditTrail.Save\nFileProperty.Bind\nFileProperty.ReadBlock\nFileProperty.WriteBlock\n"
            "FileProperty.Save\nFileProperty.ReadBlock\nFileProperty.SetPath\n",
            Log());
        reinterpret_cast<Reset>(GetProcAddress(s_module, "DocumentsStandinReset"))();
        const auto [block, records] = ReadBack(path);
        ExpectSignatureInBlock(block, v);
        // The record: size, tags, a zero word, 4 zero bytes, the text; then reason and the values.
        const size_t length = std::strlen(text);
        std::string record(length + 28, '\0');
        const DWORD head[5] = {static_cast<DWORD>(length + 28), 0x10D0, 0x10D1, 0x10D2, 0};
        std::memcpy(record.data(), head, sizeof(head));
        std::memcpy(record.data() + 24, text, length);
        const LONG reason = 5;
        const std::string expected = record + std::string(reinterpret_cast<const char*>(&reason), 4) +
                                     std::string(reinterpret_cast<const char*>(v.value3), 8) +
                                     std::string(reinterpret_cast<const char*>(v.value2), 32);
        EXPECT_EQ(expected, records);
    }
}

TEST_F(SignatureTest, AFailingCallStopsTheRoadAndCommitsNothing) {
    const char* calls[] = {"AuditTrail.Bind",        "AuditTrail.AddRecord",
                           "AuditTrail.SetReason",   "AuditTrail.SetSignatureValues",
                           "AuditTrail.Save",        "FileProperty.Bind",
                           "FileProperty.ReadBlock", "FileProperty.WriteBlock",
                           "FileProperty.Save",      "FileProperty.SetPath"};
    int n = 0;
    for (const char* call : calls) {
        const std::string path = folder / ("report" + std::to_string(n++) + ".lcr");
        MakeDocument(path, Block(111, 2));
        reinterpret_cast<Reset>(GetProcAddress(s_module, "DocumentsStandinReset"))();
        failCall(call, kFailure);
        EXPECT_EQ(kFailure, Sign(path, SampleValues("Approved"))) << call;
        const std::string log = Log();
        EXPECT_EQ(std::string(call) + "\n", log.substr(log.size() - std::strlen(call) - 1)) << call;
        const auto [block, records] = ReadBack(path);
        DWORD signed1 = 0;
        std::memcpy(&signed1, block.data() + 128, 4);
        EXPECT_EQ(std::string(call) == "FileProperty.SetPath" ? 7u : 0u, signed1) << call;
    }
}

TEST_F(SignatureTest, DocumentClassRoadAndItsFailures) {
    const std::string path = folder / "method.lcm";
    MakeDocument(path, Block(111, 2));
    const Values v = SampleValues("Approved");
    ASSERT_EQ(S_OK, Sign(path, v));
    EXPECT_EQ("Document.Open\nDocument.SetSignature\nDocument.Save\n", Log());
    ExpectSignatureInBlock(ReadBack(path).first, v);

    failCall("Document.SetSignature", kFailure);
    EXPECT_EQ(kFailure, Sign(path, v));
    const std::string flat = folder / "flat.lcb";
    ovs::unique_hfile(CreateFileA(flat.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(STG_E_FILEALREADYEXISTS, Sign(flat, v)); // not a compound file: the storage's answer
}

TEST_F(SignatureTest, NoClassNoCompoundFileOrNoPathCreatesNothing) {
    const Values v = SampleValues("Approved");
    const std::string flatReport = folder / "flat.lcr";
    ovs::unique_hfile(CreateFileA(flatReport.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_EQ(E_FAIL, Sign(folder / "a.pdf", v));
    EXPECT_EQ(E_FAIL, Sign(flatReport, v));
    EXPECT_EQ(E_INVALIDARG, Tool_SetSignature(nullptr, 7, v.value2, v.value3, v.text, 5));
    EXPECT_EQ("", Log());
}

TEST_F(SignatureTest, SystemNumberOfADataFile) {
    const struct {
        DWORD stored;
        HRESULT hr;
        long number;
    } cases[] = {{3, S_OK, 3}, {12, S_OK, 12}, {0, S_FALSE, 1}};
    for (const auto& c : cases) {
        const std::string path = folder / ("data" + std::to_string(c.stored) + ".lcd");
        MakeDocument(path, Block(31, c.stored));
        long number = -1;
        EXPECT_EQ(c.hr, Tool_RetrieveSystemIDFromDataFile(path.c_str(), &number));
        EXPECT_EQ(c.number, number);
    }
    const std::string oneFile =
        "Document.Open\nDocument.GetSection\nFileProperty.Bind\nFileProperty.GetFileRecord\n";
    EXPECT_EQ(oneFile, Log().substr(0, oneFile.size()));
    long number = -1;
    failCall("FileProperty.GetFileRecord", kFailure);
    EXPECT_EQ(kFailure, Tool_RetrieveSystemIDFromDataFile((folder / "data3.lcd").c_str(), &number));
    EXPECT_EQ(0, number);
    EXPECT_EQ(STG_E_FILENOTFOUND, Tool_RetrieveSystemIDFromDataFile((folder / "none.lcd").c_str(), &number));
    EXPECT_EQ(E_INVALIDARG, Tool_RetrieveSystemIDFromDataFile((folder / "data3.lcd").c_str(), nullptr));
    EXPECT_EQ(E_INVALIDARG, Tool_RetrieveSystemIDFromFileObject(nullptr, &number));
}

} // namespace
