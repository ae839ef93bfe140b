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

constexpr HRESULT kFailure = static_cast<HRESULT>(0x80041234);

// A "File Property" block of a type and a system number.
std::string Block(DWORD typeNumber, DWORD systemNumber) {
    std::string block(260, '\0');
    std::memcpy(block.data(), &typeNumber, 4);
    std::memcpy(block.data() + 32, &systemNumber, 4);
    return block;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void MakeDocument(const std::string& path, DWORD typeNumber = 111, DWORD systemNumber = 2) {
    com_ptr<IStorage> storage;
    com_ptr<IStream> stream;
    ASSERT_EQ(S_OK, StgCreateDocfile(Wide(path).c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                     0, storage.put()));
    ASSERT_EQ(S_OK, storage->CreateStream(L"File Property", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                          stream.put()));
    const std::string block = Block(typeNumber, systemNumber);
    stream->Write(block.data(), static_cast<ULONG>(block.size()), nullptr);
}

std::string ReadStream(IStorage* storage, const wchar_t* name) {
    com_ptr<IStream> stream;
    std::string bytes(4096, '\0');
    ULONG read = 0;
    if (storage == nullptr ||
        FAILED(storage->OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()))) {
        return "(none)";
    }
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes.substr(0, read);
}

// The "File Property" bytes and the audit trail's "Records" bytes of a document.
std::pair<std::string, std::string> ReadBack(const std::string& path) {
    com_ptr<IStorage> root, auditTrail;
    EXPECT_EQ(S_OK, StgOpenStorage(Wide(path).c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                   root.put()));
    if (root) {
        root->OpenStorage(L"Audit Trail", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                          auditTrail.put());
    }
    return {ReadStream(root.get(), L"File Property"), ReadStream(auditTrail.get(), L"Records")};
}

const std::string kValue2 = std::string(16, '\xA0') + std::string(16, '\xB1');
const std::string kValue3 = "\x10\x11\x12\x13\x14\x15\x16\x17";

class SignatureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryA((ovs::test::ExecutableFolder() + "\\OVSDocuments.dll").c_str());
    }
    void SetUp() override {
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        Reset();
    }
    void TearDown() override {
        EXPECT_EQ(0, Export<LONG (*)()>("DocumentsStandinLiveObjects")())
            << "no component object stays alive";
        CoUninitialize();
    }
    // An export of the stand-in module as the function type it has.
    template <typename Function>
    static Function Export(const char* name) {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(s_module, name)));
    }
    static void Reset() { Export<void (*)()>("DocumentsStandinReset")(); }
    static void FailCall(const char* call, HRESULT hr) {
        Export<void (*)(LPCSTR, HRESULT)>("DocumentsStandinFailCall")(call, hr);
    }
    static std::string Log() {
        char text[2048];
        Export<DWORD (*)(LPSTR, DWORD)>("DocumentsStandinCallLog")(text, sizeof(text));
        return text;
    }
    static HRESULT Sign(const std::string& path, const char* text = "Approved") {
        return Tool_SetSignature(path.c_str(), 7, reinterpret_cast<const BYTE*>(kValue2.data()),
                                 reinterpret_cast<const BYTE*>(kValue3.data()), text, 5);
    }

    static inline HMODULE s_module = nullptr;
    ovs::test::TempFolder folder;
};

constexpr char kReportRoad[] =
    "AuditTrail.Bind\nAuditTrail.AddRecord\nAuditTrail.SetReason\nAuditTrail.SetSignatureValues\n"
    "AuditTrail.Save\nFileProperty.Bind\nFileProperty.ReadBlock\nFileProperty.WriteBlock\n"
    "FileProperty.Save\nFileProperty.ReadBlock\nFileProperty.SetPath\n";

// The type number stays; the signer, the second value, the text cut to 32 bytes and the third value follow.
std::string SignedBlock(const char* text) {
    std::string block = Block(111, 2);
    const DWORD signer = 7;
    std::memcpy(block.data() + 128, &signer, 4);
    block.replace(132, 32, kValue2);
    block.replace(164, std::min<size_t>(std::strlen(text), 32), text,
                  std::min<size_t>(std::strlen(text), 32));
    return block.replace(196, 8, kValue3);
}

TEST_F(SignatureTest, ReportRoadWritesAuditTrailAndFileProperties) {
    const std::string path = folder / "report.lcr";
    MakeDocument(path);
    for (const char* text : {"Approved", "A reason text longer than thirty-two bytes in all"}) {
        ASSERT_EQ(S_OK, Sign(path, text)) << Log();
        EXPECT_EQ(kReportRoad, Log());
        Reset();
        // The record: size, tags, a zero word, 4 zero bytes, the text; then reason and the values.
        const DWORD length = static_cast<DWORD>(std::strlen(text));
        const DWORD head[6] = {length + 28, 0x10D0, 0x10D1, 0x10D2, 0, 0};
        const LONG reason = 5;
        const std::string record = std::string(reinterpret_cast<const char*>(head), sizeof head) + text +
                                   std::string(4, '\0') +
                                   std::string(reinterpret_cast<const char*>(&reason), 4) + kValue3 + kValue2;
        EXPECT_EQ(std::pair(SignedBlock(text), record), ReadBack(path));
    }
}

TEST_F(SignatureTest, AFailingCallStopsTheRoadAndCommitsNothing) {
    for (const char* call :
         {"AuditTrail.Bind", "AuditTrail.Save", "FileProperty.WriteBlock", "FileProperty.SetPath"}) {
        const std::string path = folder / (std::string(call) + ".lcr");
        MakeDocument(path);
        Reset();
        FailCall(call, kFailure);
        EXPECT_EQ(kFailure, Sign(path)) << call;
        const std::string log = Log();
        EXPECT_EQ(std::string(call) + "\n", log.substr(log.size() - std::strlen(call) - 1)) << call;
        const bool committed = std::string(call) == "FileProperty.SetPath";
        EXPECT_EQ(committed ? SignedBlock("Approved") : Block(111, 2), ReadBack(path).first) << call;
    }
}

TEST_F(SignatureTest, DocumentClassRoadAndFilesWithoutARoad) {
    const std::string path = folder / "method.lcm";
    MakeDocument(path);
    ASSERT_EQ(S_OK, Sign(path));
    EXPECT_EQ("Document.Open\nDocument.SetSignature\nDocument.Save\n", Log());
    EXPECT_EQ(SignedBlock("Approved"), ReadBack(path).first);
    FailCall("Document.SetSignature", kFailure);
    EXPECT_EQ(kFailure, Sign(path));
    Reset();
    // Not a compound file: the storage's answer for a document class, E_FAIL for a report; no class at
    // all; no path. Nothing is created.
    for (const char* flat : {"flat.lcb", "flat.lcr"}) {
        ovs::unique_hfile(
            CreateFileA((folder / flat).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    const std::string report = folder / "report.lcr"; // a report's values are all needed
    MakeDocument(report);
    const BYTE* value2 = reinterpret_cast<const BYTE*>(kValue2.data());
    EXPECT_EQ((std::vector<HRESULT>{E_FAIL, E_FAIL, E_INVALIDARG, E_INVALIDARG, STG_E_FILEALREADYEXISTS}),
              (std::vector<HRESULT>{Sign(folder / "flat.lcr"), Sign(folder / "a.pdf"),
                                    Tool_SetSignature(nullptr, 7, value2, value2, "x", 5),
                                    Tool_SetSignature(report.c_str(), 7, value2, nullptr, "x", 5),
                                    Sign(folder / "flat.lcb")}));
}

TEST_F(SignatureTest, SystemNumberOfADataFile) {
    for (const auto& [stored, hr, number] :
         {std::tuple(3ul, S_OK, 3l), std::tuple(12ul, S_OK, 12l), std::tuple(0ul, S_FALSE, 1l)}) {
        const std::string path = folder / ("data" + std::to_string(stored) + ".lcd");
        MakeDocument(path, 31, stored);
        long found = -1;
        EXPECT_EQ(hr, Tool_RetrieveSystemIDFromDataFile(path.c_str(), &found));
        EXPECT_EQ(number, found);
    }
    const std::string oneFile =
        "Document.Open\nDocument.GetSection\nFileProperty.Bind\nFileProperty.GetFileRecord\n";
    EXPECT_EQ(oneFile, Log().substr(0, oneFile.size()));
    long number = -1;
    FailCall("FileProperty.GetFileRecord", kFailure);
    EXPECT_EQ(kFailure, Tool_RetrieveSystemIDFromDataFile((folder / "data3.lcd").c_str(), &number));
    EXPECT_EQ(0, number);
    EXPECT_EQ(
        (std::vector<HRESULT>{STG_E_FILENOTFOUND, E_INVALIDARG, E_INVALIDARG}),
        (std::vector<HRESULT>{Tool_RetrieveSystemIDFromDataFile((folder / "none.lcd").c_str(), &number),
                              Tool_RetrieveSystemIDFromDataFile((folder / "data3.lcd").c_str(), nullptr),
                              Tool_RetrieveSystemIDFromFileObject(nullptr, &number)}));
}

} // namespace
