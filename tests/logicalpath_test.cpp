// Logical paths: the information items of the block, the file-name comparison, and the items,
// display texts and short forms that come from the path-information component (the stand-in
// OVSPathInfo.dll, registered in this prefix and created through the component library).
#include "cp932_child.h"
#include "ovstoollogicalpath.h"
#include "ovstoolpaths.h"
#include "ovstoolstring.h"

#include "../standins/pathinfo/path_info_standin.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr unsigned char kGuard = 0xCC;
constexpr size_t kGuardBytes = 16;

// A caller buffer of `size` bytes with guard bytes on both sides.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size, char fill = 'x')
        : m_size(size), m_bytes(size + 2 * kGuardBytes, kGuard) {
        std::memset(data(), fill, size);
    }
    char* data() { return reinterpret_cast<char*>(m_bytes.data()) + kGuardBytes; }
    DWORD size() const { return static_cast<DWORD>(m_size); }
    bool guardsIntact() const {
        for (size_t i = 0; i < kGuardBytes; ++i) {
            if (m_bytes[i] != kGuard || m_bytes[kGuardBytes + m_size + i] != kGuard) {
                return false;
            }
        }
        return true;
    }
    std::string bytes() const {
        return std::string(reinterpret_cast<const char*>(m_bytes.data()) + kGuardBytes, m_size);
    }
    std::string text() const { return std::string(bytes().c_str()); }

private:
    size_t m_size;
    std::vector<unsigned char> m_bytes;
};

std::string Set(const char* path, const char* key, int value, HRESULT expected = S_OK) {
    GuardedBuffer out(512);
    EXPECT_EQ(expected, Tool_SetInfoToLogicalPathInt(path, key, value, out.data(), out.size())) << path;
    EXPECT_TRUE(out.guardsIntact());
    return out.text();
}

// ---------------------------------------------------------------------------------------------
// Reading items

TEST(LogicalInfoRead, ReadsItemsOfTheBlock) {
    int value = -7;
    EXPECT_EQ(S_OK, Tool_GetInfoFromLogicalPathInt("[OldVer=12#K=3]\\C#\\x", "OldVer", &value));
    EXPECT_EQ(12, value);
    EXPECT_EQ(S_OK, Tool_GetInfoFromLogicalPathInt("[OldVer=12#K=3]\\C#\\x", "K", &value));
    EXPECT_EQ(3, value);
    EXPECT_EQ(S_OK, Tool_GetInfoFromLogicalPathInt("[K=-5x]\\C#\\x", "K", &value));
    EXPECT_EQ(-5, value) << "leading digits as atoi reads them";
    EXPECT_EQ(S_OK, Tool_GetInfoFromLogicalPathInt("[K=]\\C#\\x", "K", &value));
    EXPECT_EQ(0, value);
}

TEST(LogicalInfoRead, MissingItemsFailAndLeaveTheValue) {
    int value = -7;
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt("[OldVer=12#K=3]\\C#\\x", "Z", &value));
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt("[]\\C#\\x", "K", &value)) << "no items";
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt("[A=1]\\C#\\K=3", "K", &value)) << "key after the ]";
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt("C:\\K=3", "K", &value)) << "no block";
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt("]K=3[", "K", &value)) << "] before [";
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt("[K]\\C#\\x", "K", &value)) << "no =";
    EXPECT_EQ(-7, value);
    EXPECT_EQ(E_INVALIDARG, Tool_GetInfoFromLogicalPathInt(nullptr, "K", &value));
    EXPECT_EQ(E_INVALIDARG, Tool_GetInfoFromLogicalPathInt("[K=1]\\x", nullptr, &value));
    EXPECT_EQ(E_INVALIDARG, Tool_GetInfoFromLogicalPathInt("[K=1]\\x", "K", nullptr));
}

TEST(LogicalInfoRead, KeyEndingAnotherKeyIsNotFoundInside) {
    int value = -7;
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt("[OldVer=1]\\C#\\x", "Ver", &value));
    EXPECT_EQ(-7, value);
    EXPECT_EQ(S_OK, Tool_GetInfoFromLogicalPathInt("[OldVer=1#Ver=7]\\C#\\x", "Ver", &value));
    EXPECT_EQ(7, value);
    EXPECT_EQ(S_OK, Tool_GetInfoFromLogicalPathInt("[OldVer=1#Ver=7]\\C#\\x", "OldVer", &value));
    EXPECT_EQ(1, value);
}

TEST(LogicalInfoRead, BlockOutsideTheRecognisedFormStillCounts) {
    ASSERT_FALSE(Tool_IsLogicalPath("x[K=4]y"));
    int value = 0;
    EXPECT_EQ(S_OK, Tool_GetInfoFromLogicalPathInt("x[K=4]y", "K", &value));
    EXPECT_EQ(4, value);
}

// ---------------------------------------------------------------------------------------------
// Setting items

struct SetCase {
    const char* path;
    const char* key;
    int value;
    const char* out;
};

class LogicalInfoSet : public ::testing::TestWithParam<SetCase> {};

TEST_P(LogicalInfoSet, WritesTheBlock) {
    const SetCase& c = GetParam();
    EXPECT_EQ(c.out, Set(c.path, c.key, c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LogicalInfoSet,
    ::testing::Values(
        SetCase{"C:\\Data\\Run01.lcd", "OldVer", 1, "[OldVer=1]\\C#\\Data\\Run01.lcd"},
        SetCase{"[OldVer=1]\\C#\\Data\\Run01.lcd", "OldVer", 2, "[OldVer=2]\\C#\\Data\\Run01.lcd"},
        SetCase{"[OldVer=1]\\C#\\Data\\Run01.lcd", "K", 5, "[K=5#OldVer=1]\\C#\\Data\\Run01.lcd"},
        SetCase{"[]\\C#\\Data\\Run01.lcd", "K", 5, "[K=5]\\C#\\Data\\Run01.lcd"},
        SetCase{"[A=1#K=2#B=3]\\C#\\x", "K", -40, "[A=1#K=-40#B=3]\\C#\\x"},
        SetCase{"[A=1#K=2]\\C#\\x", "K", 0, "[A=1#K=0]\\C#\\x"},
        SetCase{"[OldVer=1]\\C#\\x", "Ver", 3, "[Ver=3#OldVer=1]\\C#\\x"},
        SetCase{"[Ver=3#OldVer=1]\\C#\\x", "Ver", 4, "[Ver=4#OldVer=1]\\C#\\x"},
        SetCase{"[A=1]\\C#\\K=2", "K", 9, "[K=9#A=1]\\C#\\K=2"},
        SetCase{"\\\\server\\share\\a:b", "N", 1, "[N=1]\\\\\\server\\share\\a#b"},
        SetCase{"", "K", 1, "[K=1]\\"}));

TEST(LogicalInfoSetBuffer, ExactSizeFitsAndOneLessIsRefused) {
    const std::string expected = "[OldVer=1]\\C#\\Data\\Run01.lcd";
    GuardedBuffer exact(expected.size() + 1);
    EXPECT_EQ(S_OK,
              Tool_SetInfoToLogicalPathInt("C:\\Data\\Run01.lcd", "OldVer", 1, exact.data(), exact.size()));
    EXPECT_EQ(expected, exact.text());
    EXPECT_TRUE(exact.guardsIntact());

    GuardedBuffer small(expected.size());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
              Tool_SetInfoToLogicalPathInt("C:\\Data\\Run01.lcd", "OldVer", 1, small.data(), small.size()));
    EXPECT_EQ("", small.text());
    EXPECT_TRUE(small.guardsIntact());

    GuardedBuffer none(0);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
              Tool_SetInfoToLogicalPathInt("C:\\x", "K", 1, none.data(), none.size()));
    EXPECT_TRUE(none.guardsIntact());
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt(nullptr, "K", 1, exact.data(), exact.size()));
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt("C:\\x", nullptr, 1, exact.data(), exact.size()));
    EXPECT_EQ(E_INVALIDARG, Tool_SetInfoToLogicalPathInt("C:\\x", "K", 1, nullptr, 10));
}

TEST(LogicalInfoSetBuffer, SetThenReadEveryItem) {
    std::string path = "C:\\Data\\Run01.lcd";
    for (int i = 0; i < 6; ++i) {
        path = Set(path.c_str(), ("K" + std::to_string(i)).c_str(), i * 11);
    }
    EXPECT_EQ("[K5=55#K4=44#K3=33#K2=22#K1=11#K0=0]\\C#\\Data\\Run01.lcd", path);
    for (int i = 0; i < 6; ++i) {
        int value = -1;
        EXPECT_EQ(S_OK,
                  Tool_GetInfoFromLogicalPathInt(path.c_str(), ("K" + std::to_string(i)).c_str(), &value));
        EXPECT_EQ(i * 11, value);
    }
}

// ---------------------------------------------------------------------------------------------
// Removing and clearing the block

struct BlockCase {
    const char* path;
    HRESULT hr;
    const char* out;
};

class LogicalInfoRemove : public ::testing::TestWithParam<BlockCase> {};
class LogicalInfoClear : public ::testing::TestWithParam<BlockCase> {};

TEST_P(LogicalInfoRemove, LeavesThePath) {
    const BlockCase& c = GetParam();
    GuardedBuffer out(300, 'x');
    EXPECT_EQ(c.hr, Tool_RemoveInfoOfLogicalPath(c.path, out.data(), out.size())) << c.path;
    EXPECT_EQ(SUCCEEDED(c.hr) ? c.out : std::string(300, 'x'), SUCCEEDED(c.hr) ? out.text() : out.bytes());
    EXPECT_TRUE(out.guardsIntact());
}

TEST_P(LogicalInfoClear, EmptiesTheBlock) {
    const BlockCase& c = GetParam();
    GuardedBuffer out(300, 'x');
    EXPECT_EQ(c.hr, Tool_ClearInfoOfLogicalPath(c.path, out.data(), out.size())) << c.path;
    EXPECT_EQ(SUCCEEDED(c.hr) ? c.out : std::string(300, 'x'), SUCCEEDED(c.hr) ? out.text() : out.bytes());
    EXPECT_TRUE(out.guardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Table, LogicalInfoRemove,
    ::testing::Values(BlockCase{"[OldVer=1]\\C#\\Data\\Run01.lcd", S_OK, "C:\\Data\\Run01.lcd"},
                      BlockCase{"[]\\C#\\Data\\a#b.lcd", S_OK, "C:\\Data\\a#b.lcd"},
                      BlockCase{"[A=1#B=2]\\rel\\x", S_OK, "\\rel\\x"},
                      BlockCase{"C:\\plain", S_OK, "C:\\plain"}, BlockCase{"\\x#y", S_OK, "x:y"},
                      BlockCase{"]x[", E_FAIL, ""}, BlockCase{"x]", E_FAIL, ""}));

INSTANTIATE_TEST_SUITE_P(Table, LogicalInfoClear,
                         ::testing::Values(BlockCase{"[A=1#B=2]\\C#\\x", S_OK, "[]\\C#\\x"},
                                           BlockCase{"[]\\C#\\x", S_OK, "[]\\C#\\x"},
                                           BlockCase{"C:\\plain", S_OK, "[]C:\\plain"},
                                           BlockCase{"]x[", E_FAIL, ""}));

TEST(LogicalInfoBlockBuffer, CopyPadsAndFillsWithoutTerminator) {
    const char path[] = "[OldVer=1]\\C#\\Data\\Run01.lcd";
    const std::string removed = "C:\\Data\\Run01.lcd";
    GuardedBuffer exact(removed.size());
    EXPECT_EQ(S_OK, Tool_RemoveInfoOfLogicalPath(path, exact.data(), exact.size()));
    EXPECT_EQ(removed, exact.bytes()) << "the result fills the buffer: no terminator";
    EXPECT_TRUE(exact.guardsIntact());

    GuardedBuffer larger(removed.size() + 5);
    EXPECT_EQ(S_OK, Tool_RemoveInfoOfLogicalPath(path, larger.data(), larger.size()));
    EXPECT_EQ(removed + std::string(5, '\0'), larger.bytes()) << "padded with zeros";

    GuardedBuffer shorter(4);
    EXPECT_EQ(S_OK, Tool_ClearInfoOfLogicalPath(path, shorter.data(), shorter.size()));
    EXPECT_EQ("[]\\C", shorter.bytes());
    EXPECT_TRUE(shorter.guardsIntact());

    EXPECT_EQ(S_OK, Tool_ClearInfoOfLogicalPath(path, nullptr, 0));
    EXPECT_EQ(E_INVALIDARG, Tool_ClearInfoOfLogicalPath(nullptr, shorter.data(), shorter.size()));
    EXPECT_EQ(E_INVALIDARG, Tool_RemoveInfoOfLogicalPath(path, nullptr, 4));
}

TEST(LogicalInfoRoundTrip, SetThenRemoveGivesThePathBack) {
    const char* paths[] = {"C:\\Data\\Run01.lcd", "D:\\a\\b\\c.lcm", "E:\\x"};
    for (const char* path : paths) {
        const std::string logical = Set(path, "OldVer", 3);
        ASSERT_TRUE(Tool_IsLogicalPath(logical.c_str())) << logical;
        GuardedBuffer out(300);
        ASSERT_EQ(S_OK, Tool_RemoveInfoOfLogicalPath(logical.c_str(), out.data(), out.size()));
        EXPECT_EQ(path, out.text());
    }
}

// ---------------------------------------------------------------------------------------------
// Comparison

TEST(LogicalCompare, BlocksDoNotCountAndVersionFieldsOnlyForOldVersions) {
    EXPECT_EQ(0, Tool_CompareFileName("[A=1]\\C#\\Data\\Run01.lcd", "[B=2#C=3]\\C#\\Data\\Run01.lcd"));
    EXPECT_EQ(0, Tool_CompareFileName("[]\\C#\\DATA\\run01.LCD", "[]\\c#\\Data\\Run01.lcd"));
    // Field 3 is the third field after the block: here "v1" and "v2".
    EXPECT_EQ(0, Tool_CompareFileName("[A=1]\\C#\\Data\\v1\\Run01.lcd", "[]\\C#\\Data\\v2\\Run01.lcd"));
    EXPECT_GT(0, Tool_CompareFileName("[OldVer=1]\\C#\\Data\\v1\\Run01.lcd", "[]\\C#\\Data\\v2\\Run01.lcd"));
    EXPECT_EQ(0, Tool_CompareFileName("[]\\C#\\Data\\v1\\Run01.lcd", "[OldVer=1]\\C#\\Data\\v2\\Run01.lcd"))
        << "only the first text's item counts";
    EXPECT_NE(0, Tool_CompareFileName("[]\\C#\\Data\\Run01.lcd", "[]\\C#\\Daten\\Run01.lcd"));
    EXPECT_NE(0, Tool_CompareFileName("[]\\C#\\Data\\Run01.lcd", "[]\\C#\\Data\\Run01.lcd\\x"));
}

TEST(LogicalCompare, OtherwiseWholeTextsCaseInsensitively) {
    EXPECT_EQ(0, Tool_CompareFileName("C:\\Data\\Run01.lcd", "c:\\data\\RUN01.lcd"));
    EXPECT_GT(0, Tool_CompareFileName("C:\\a", "C:\\b"));
    EXPECT_NE(0, Tool_CompareFileName("[A=1]\\C#\\x", "C:\\x")) << "one logical path only";
    EXPECT_EQ(0, Tool_CompareFileName(nullptr, nullptr));
    EXPECT_NE(0, Tool_CompareFileName(nullptr, "a"));
}

// ---------------------------------------------------------------------------------------------
// Double-byte paths (second process in code page 932)

TEST(DbcsLogicalPath, TrailBytesAreNoBracketsOrSeparators) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::string zo = "\x83\x5D"; // ゾ, trail byte "]"
    const std::string so = "\x83\x5C"; // ソ, trail byte "\"
    const std::string path = "C:\\" + zo + "\\" + so + ".lcd";
    EXPECT_EQ("[K=1]\\C#\\" + zo + "\\" + so + ".lcd", Set(path.c_str(), "K", 1));
    int value = 0;
    EXPECT_EQ(E_FAIL, Tool_GetInfoFromLogicalPathInt(("[" + zo + "K=1]\\x").c_str(), "K", &value));
    EXPECT_EQ(0, Tool_CompareFileName(("[A=1]\\C#\\" + so + "\\v1\\f").c_str(),
                                      ("[]\\C#\\" + so + "\\v2\\f").c_str()));
    EXPECT_NE(0,
              Tool_CompareFileName(("[]\\C#\\" + so + "a\\f").c_str(), ("[]\\C#\\" + so + "b\\f").c_str()));
}

TEST(DbcsShortPath, CountsCharacters) {
    OVS_REQUIRE_CODE_PAGE_932();
    const std::string kan = "\x8A\xBF"; // 漢
    std::string name;
    for (int i = 0; i < 100; ++i) {
        name += kan;
    }
    const std::string path = "C:\\Data\\" + name; // 108 characters, 208 bytes
    std::string expectedTail;
    for (int i = 0; i < 52; ++i) {
        expectedTail += kan;
    }
    EXPECT_EQ("C:\\Data\\..." + expectedTail, Tool_GetShortPath(CString(path.c_str()), 300).GetString());
}

// ---------------------------------------------------------------------------------------------
// Shortening ordinary paths

TEST(ShortPath, KeepsPathsThatFit) {
    EXPECT_STREQ("C:\\a\\b.lcd", Tool_GetShortPath(CString("C:\\a\\b.lcd"), 255));
    EXPECT_STREQ("C:\\a\\b.lcd", Tool_GetShortPath(CString("C:\\a\\b.lcd"), 0));
    EXPECT_STREQ("", Tool_GetShortPath(CString(), 400));
}

TEST(ShortPath, CutsFoldersThenTheNameFront) {
    const CString alphabet(
        "C:\\A\\B\\C\\D\\E\\F\\G\\H\\I\\J\\K\\L\\M\\N\\O\\P\\Q\\R\\S\\T\\U\\V\\W\\X\\Y\\Z\\file.lcd");
    ASSERT_EQ(63, alphabet.GetLength());
    EXPECT_STREQ("C:\\...\\file.lcd", Tool_GetShortPath(alphabet, 300));
    std::string name;
    for (int i = 0; i < 100; ++i) {
        name += static_cast<char>('a' + i % 26);
    }
    const CString longName(("C:\\Data\\" + name).c_str());
    const CString shortened = Tool_GetShortPath(longName, 300);
    EXPECT_EQ("C:\\Data\\..." + name.substr(48), shortened.GetString());
    EXPECT_EQ(63, shortened.GetLength()) << "exactly 45 characters saved";
}

TEST(ShortPath, NetworkRootStaysAndBareNameIsCutFromItsFront) {
    EXPECT_STREQ("\\\\server\\...\\file.lcd",
                 Tool_GetShortPath(CString("\\\\server\\share\\folder1\\folder2\\folder3\\file.lcd"), 256));
    EXPECT_STREQ("...789", Tool_GetShortPath(CString("0123456789"), 259)) << "4 to save: 7 cut, ... added";
}

// ---------------------------------------------------------------------------------------------
// The component

std::string StandInPath() {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self, length < sizeof self ? length : 0);
    return path.substr(0, path.find_last_of("\\/") + 1) + "OVSPathInfo.dll";
}

constexpr char kFailVariable[] = "OVS_PATHINFO_FAIL";
constexpr char kPath[] = "[DataSet=3#OldVer=1]\\C#\\Proj\\Data\\Run01.lcd";

class PathInfoComponent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryA(StandInPath().c_str());
        if (s_module != nullptr) {
            s_counters = reinterpret_cast<PathInfoCountersFn>(
                reinterpret_cast<void*>(GetProcAddress(s_module, "PathInfoCounters")));
        }
    }

    void SetUp() override {
        ASSERT_NE(nullptr, s_module) << StandInPath();
        ASSERT_NE(nullptr, s_counters);
        ASSERT_EQ(S_OK, ovs::test::CallServerFunction(s_module, "DllRegisterServer"));
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        SetEnvironmentVariableA(kFailVariable, nullptr);
    }
    void TearDown() override {
        SetEnvironmentVariableA(kFailVariable, nullptr);
        Tool_ReleaseInterface();
        CoUninitialize();
    }

    static void Fail(const char* entries) { SetEnvironmentVariableA(kFailVariable, entries); }

    static PathInfoCounts Counts() {
        PathInfoCounts counts = {};
        s_counters(&counts);
        return counts;
    }

    static DWORD Items(DWORD mask, CString& out, const char* path = kPath, BOOL flag = FALSE) {
        return Tool_GetPathInfoFromLogicalPath(CString(path), out, mask, '\\', flag);
    }

    static inline HMODULE s_module = nullptr;
    static inline PathInfoCountersFn s_counters = nullptr;
};

TEST_F(PathInfoComponent, CreatedOnceReusedAndCreatedAgainAfterRelease) {
    const PathInfoCounts before = Counts();
    CString out;
    EXPECT_EQ(OVS_PATHINFO_PROJECT_NAME, Items(OVS_PATHINFO_PROJECT_NAME, out));
    EXPECT_STREQ("Proj", out);
    int kind = -1;
    EXPECT_EQ(S_OK, Tool_GetFileKindFromLogicalPath(CString(kPath), &kind));
    EXPECT_EQ(1, kind);
    EXPECT_EQ(OVS_PATHINFO_DATA_SET_NUMBER, Items(OVS_PATHINFO_DATA_SET_NUMBER, out));
    EXPECT_STREQ("3", out);
    PathInfoCounts now = Counts();
    EXPECT_EQ(before.created + 1, now.created) << "one object for all three calls";
    EXPECT_EQ(before.liveObjects + 1, now.liveObjects);
    EXPECT_EQ(before.calls + 3, now.calls);

    EXPECT_EQ(0u, Tool_ReleaseInterface()) << "the component's count after its last reference";
    EXPECT_EQ(before.liveObjects, Counts().liveObjects);
    EXPECT_EQ(0u, Tool_ReleaseInterface()); // nothing held: no effect
    EXPECT_EQ(OVS_PATHINFO_PROJECT_NAME, Items(OVS_PATHINFO_PROJECT_NAME, out));
    now = Counts();
    EXPECT_EQ(before.created + 2, now.created);
    EXPECT_EQ(before.liveObjects + 1, now.liveObjects);
}

TEST_F(PathInfoComponent, ItemsInBitOrderWithTheSeparator) {
    CString out;
    const DWORD all = OVS_PATHINFO_IDENTIFIER | OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_40 |
                      OVS_PATHINFO_NUMBER | OVS_PATHINFO_ITEM_20000 | OVS_PATHINFO_DATA_SET_NUMBER |
                      OVS_PATHINFO_SHORT_FORM | OVS_PATHINFO_ITEM_100000 | 0x1u | 0x2u | 0x40000000u;
    const DWORD placed = Tool_GetPathInfoFromLogicalPath(CString(kPath), out, all, '|', TRUE);
    EXPECT_EQ(all & ~(0x1u | 0x2u | 0x40000000u), placed);
    std::vector<std::string> parts;
    CStringArray split;
    Tool_SplitString(split, out, '|');
    for (INT_PTR i = 0; i < split.GetSize(); ++i) {
        parts.emplace_back(split[i].GetString());
    }
    ASSERT_EQ(8u, parts.size()) << out.GetString();
    EXPECT_EQ(36u, parts[0].size()) << "GUID text without braces";
    EXPECT_EQ(std::string::npos, parts[0].find_first_of("{}ABCDEF"));
    EXPECT_EQ("Proj", parts[1]);
    EXPECT_EQ("C:\\Proj\\Data\\Run01.lcd", parts[2]);
    EXPECT_EQ("2", parts[3]) << "two items in the block";
    EXPECT_EQ("Run01", parts[4]) << "the flag reached item 0x20000";
    EXPECT_EQ("3", parts[5]);
    EXPECT_EQ("Proj\\Run01.lcd", parts[6]);
    EXPECT_EQ("old version 1", parts[7]);
    CString again;
    Tool_GetPathInfoFromLogicalPath(CString(kPath), again, OVS_PATHINFO_IDENTIFIER, '|', FALSE);
    EXPECT_EQ(parts[0], again.GetString()) << "the same path gives the same identifier";
}

TEST_F(PathInfoComponent, FailingItemKeepsItsPlaceOnlyWithTheTopBit) {
    CString out("untouched");
    Fail("20=hr:80004005");
    EXPECT_EQ(OVS_PATHINFO_PROJECT_NAME, Items(OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_KEEP_PLACES, out));
    EXPECT_STREQ("", out);
    out = "untouched";
    EXPECT_EQ(0u, Items(OVS_PATHINFO_PROJECT_NAME, out));
    EXPECT_STREQ("", out);

    const DWORD three = OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_20000 | OVS_PATHINFO_DATA_SET_NUMBER;
    Fail("40000=status:-2");
    EXPECT_EQ(three, Items(three | OVS_PATHINFO_KEEP_PLACES, out));
    EXPECT_STREQ("Proj\\Run01.lcd\\", out);
    EXPECT_EQ(OVS_PATHINFO_PROJECT_NAME | OVS_PATHINFO_ITEM_20000, Items(three, out));
    EXPECT_STREQ("Proj\\Run01.lcd", out);

    Fail("20=status:-1;20000=hr:80070057");
    EXPECT_EQ(three, Items(three | OVS_PATHINFO_KEEP_PLACES, out));
    EXPECT_STREQ("\\\\3", out);
    EXPECT_EQ(OVS_PATHINFO_DATA_SET_NUMBER, Items(three, out));
    EXPECT_STREQ("3", out);

    Fail(nullptr);
    EXPECT_EQ(0u, Items(OVS_PATHINFO_DATA_SET_NUMBER, out, "[]\\C#\\Proj\\Run01.lcd")) << "an empty item";
    EXPECT_EQ(OVS_PATHINFO_DATA_SET_NUMBER,
              Items(OVS_PATHINFO_DATA_SET_NUMBER | OVS_PATHINFO_KEEP_PLACES, out, "[]\\C#\\Proj\\Run01.lcd"));
    EXPECT_EQ(0u, Items(0, out));
    EXPECT_EQ(0u, Items(OVS_PATHINFO_KEEP_PLACES, out));
}

TEST_F(PathInfoComponent, CreationFailureLeavesOutUntouched) {
    Tool_ReleaseInterface();
    Fail("create=80040154");
    CString out("untouched");
    EXPECT_EQ(0u, Items(OVS_PATHINFO_PROJECT_NAME, out));
    EXPECT_STREQ("untouched", out);
    int kind = 7;
    EXPECT_EQ(static_cast<HRESULT>(0x80040154), Tool_GetFileKindFromLogicalPath(CString(kPath), &kind));
    EXPECT_EQ(7, kind);
    EXPECT_STREQ("", Tool_MakeDisplayDataFilePathFromLogicalPath(CString(kPath), FALSE));
    Fail(nullptr);
    EXPECT_EQ(OVS_PATHINFO_PROJECT_NAME, Items(OVS_PATHINFO_PROJECT_NAME, out));
}

TEST_F(PathInfoComponent, FileKind) {
    int kind = -1;
    EXPECT_EQ(S_OK, Tool_GetFileKindFromLogicalPath(CString("[]\\C#\\x.LCM"), &kind));
    EXPECT_EQ(2, kind);
    EXPECT_EQ(S_OK, Tool_GetFileKindFromLogicalPath(CString("[]\\C#\\x.txt"), &kind));
    EXPECT_EQ(0, kind);
    EXPECT_EQ(E_FAIL, Tool_GetFileKindFromLogicalPath(CString(kPath), nullptr));
    Fail("kind=hr:80004005");
    EXPECT_EQ(E_FAIL, Tool_GetFileKindFromLogicalPath(CString(kPath), &kind));
    Fail("kind=status:3");
    EXPECT_EQ(3, Tool_GetFileKindFromLogicalPath(CString(kPath), &kind)) << "the status is the result";
}

TEST_F(PathInfoComponent, DisplayTexts) {
    EXPECT_STREQ("Proj - 3/Run01.lcd - old version 1",
                 Tool_MakeDisplayDataFilePathFromLogicalPath(CString(kPath), FALSE));
    EXPECT_STREQ("Proj - 3/Run01 - old version 1",
                 Tool_MakeDisplayDataFilePathFromLogicalPath(CString(kPath), TRUE));
    EXPECT_STREQ("Proj - Run01.lcd",
                 Tool_MakeDisplayDataFilePathFromLogicalPath(CString("[]\\C#\\Proj\\Run01.lcd"), FALSE));
    EXPECT_STREQ("Run01.lcd",
                 Tool_MakeDisplayDataFilePathFromLogicalPath(CString("[]\\C#\\Run01.lcd"), FALSE));
    EXPECT_STREQ("C:\\Data\\x.lcd",
                 Tool_MakeDisplayDataFilePathFromLogicalPath(CString("C:\\Data\\x.lcd"), FALSE));
    Fail("20000=hr:80004005");
    EXPECT_STREQ("Proj - 3 - old version 1",
                 Tool_MakeDisplayDataFilePathFromLogicalPath(CString(kPath), FALSE));
    Fail("20=hr:80004005;20000=hr:80004005;40000=hr:80004005;100000=hr:80004005");
    EXPECT_STREQ("", Tool_MakeDisplayDataFilePathFromLogicalPath(CString(kPath), FALSE)) << "nothing placed";
}

TEST_F(PathInfoComponent, DisplayWithChosenProjectAndDataSet) {
    const CString path(kPath);
    EXPECT_STREQ("Proj - 3/Run01.lcd - old version 1",
                 Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(path, TRUE, TRUE));
    EXPECT_STREQ("3/Run01.lcd - old version 1",
                 Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(path, FALSE, TRUE));
    EXPECT_STREQ("Proj - Run01.lcd - old version 1",
                 Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(path, TRUE, FALSE));
    EXPECT_STREQ("Run01.lcd - old version 1",
                 Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(path, FALSE, FALSE));
    Fail("20000=hr:80004005;100000=hr:80004005");
    EXPECT_STREQ("", Tool_MakeDisplayDataFilePathFromLogicalPath_ProjectName_DataSetNum(path, FALSE, FALSE));
}

TEST_F(PathInfoComponent, ShortPathOfLogicalPaths) {
    // The display text is 34 characters, the path 43: with 9 saved, a text of up to 264 takes it.
    EXPECT_STREQ("Proj - 3/Run01.lcd - old version 1", Tool_GetShortPathFromLogicalPath(CString(kPath), 264));
    EXPECT_STREQ("Proj\\Run01.lcd", Tool_GetShortPathFromLogicalPath(CString(kPath), 265))
        << "the short form";
    EXPECT_STREQ("Proj\\Run01.lcd", Tool_GetShortPath(CString(kPath), 300));
    EXPECT_STREQ("", Tool_GetShortPathFromLogicalPath(CString(), 300));
    Fail("80000=hr:80004005");
    EXPECT_STREQ("", Tool_GetShortPathFromLogicalPath(CString(kPath), 300));
    Fail("20=hr:80004005;20000=hr:80004005;40000=hr:80004005;100000=hr:80004005");
    EXPECT_STREQ("", Tool_GetShortPathFromLogicalPath(CString(kPath), 10));
}

// ---------------------------------------------------------------------------------------------
// Random texts into every logical-path operation

std::string RandomPath(std::mt19937& random) {
    static const char* const pieces[] = {"[",      "]",    "#",       "=",    "\\", ":", "K",
                                         "OldVer", "Ver",  "DataSet", "1",    "-7", "C", "x.lcd",
                                         " ",      "\x83", "\x5C",    "\xFF", "a"};
    std::uniform_int_distribution<size_t> pick(0, sizeof pieces / sizeof pieces[0] - 1);
    std::uniform_int_distribution<int> count(0, 24);
    std::string text;
    for (int i = count(random); i > 0; --i) {
        text += pieces[pick(random)];
    }
    return text;
}

TEST_F(PathInfoComponent, RandomTextsGiveOrderlyResults) {
    std::mt19937 random(16);
    std::uniform_int_distribution<DWORD> size(0, 80);
    const char* keys[] = {"K", "OldVer", "Ver", ""};
    for (int i = 0; i < 3000; ++i) {
        const std::string path = RandomPath(random);
        const char* key = keys[i % 4];
        int value = 0;
        const HRESULT read = Tool_GetInfoFromLogicalPathInt(path.c_str(), key, &value);
        ASSERT_TRUE(read == S_OK || read == E_FAIL);

        GuardedBuffer set(size(random));
        const HRESULT written = Tool_SetInfoToLogicalPathInt(path.c_str(), key, i, set.data(), set.size());
        ASSERT_TRUE(set.guardsIntact()) << path;
        ASSERT_TRUE(written == S_OK || written == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
        if (written == S_OK && *key != '\0') {
            // Read back through a terminated copy.
            int back = -1;
            const std::string result = set.text();
            if (Tool_GetInfoFromLogicalPathInt(result.c_str(), key, &back) == S_OK &&
                path.find('[') == std::string::npos) {
                ASSERT_EQ(i, back) << path << " -> " << result;
            }
        }
        GuardedBuffer removed(size(random));
        const HRESULT r = Tool_RemoveInfoOfLogicalPath(path.c_str(), removed.data(), removed.size());
        ASSERT_TRUE(r == S_OK || r == E_FAIL);
        ASSERT_TRUE(removed.guardsIntact()) << path;
        GuardedBuffer cleared(size(random));
        const HRESULT c = Tool_ClearInfoOfLogicalPath(path.c_str(), cleared.data(), cleared.size());
        ASSERT_EQ(r, c);
        ASSERT_TRUE(cleared.guardsIntact()) << path;

        const std::string other = RandomPath(random);
        const int order = Tool_CompareFileName(path.c_str(), other.c_str());
        (void)order;
        ASSERT_EQ(0, Tool_CompareFileName(path.c_str(), path.c_str()));
        if (i % 10 == 0) {
            CString out;
            Tool_GetPathInfoFromLogicalPath(CString(path.c_str()), out, 0xFFFFFFFF, '\\', i % 20 == 0);
            Tool_MakeDisplayDataFilePathFromLogicalPath(CString(path.c_str()), FALSE);
            Tool_GetShortPath(CString(path.c_str()), 200 + static_cast<UINT>(i % 200));
        }
    }
}

} // namespace
