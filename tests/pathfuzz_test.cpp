// Random byte strings (lead bytes at the end, embedded "[", "]", "\", ":") given to every
// splitting and composing export: each must return in order, keep its results consistent, and
// write nothing outside its buffers, which sit between guard bytes. Run in the single-byte code
// page of the test process and in code page 932.
#include "cp932_child.h"
#include "ovstoolpaths.h"
#include "ovstooltemppath.h"
#include "ovstooluniquenames.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kGuard = 16;
constexpr unsigned char kGuardByte = 0xA5;
constexpr int kStrings = 3000;

// Bytes between guard bytes; text() is terminated inside the buffer.
class Guarded {
public:
    explicit Guarded(size_t size) : m_bytes(size + 2 * kGuard, 0x5A), m_size(size) {
        for (size_t i = 0; i < kGuard; ++i) {
            m_bytes[i] = kGuardByte;
            m_bytes[kGuard + size + i] = kGuardByte;
        }
    }
    Guarded(const std::string& text) : Guarded(text.size() + 1) {
        std::memcpy(data(), text.c_str(), text.size() + 1);
    }
    char* data() { return reinterpret_cast<char*>(m_bytes.data() + kGuard); }
    size_t size() const { return m_size; }
    bool intact() const {
        for (size_t i = 0; i < kGuard; ++i) {
            if (m_bytes[i] != kGuardByte || m_bytes[kGuard + m_size + i] != kGuardByte) {
                return false;
            }
        }
        return true;
    }

private:
    std::vector<unsigned char> m_bytes;
    size_t m_size;
};

class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    std::string text(size_t maxLength) {
        const size_t length = pick(maxLength + 1);
        std::string text;
        while (text.size() < length) {
            text += piece();
        }
        if (pick(6) == 0) {
            text += static_cast<char>(0x81 + pick(0x1F)); // a lead byte at the end
        }
        return text;
    }
    size_t pick(size_t bound) {
        return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(m_random);
    }

private:
    std::string piece() {
        static const char* const kPieces[] = {"\\",           "/", ":",  "[", "]", ".", "\\\\", "C:\\", "]\\",
                                              "[OldVer=1]\\", "#", "..", " ", "*", "?", "\"",   "<",    "|"};
        switch (pick(5)) {
            case 0:
                return kPieces[pick(std::size(kPieces))];
            case 1: {
                // A double-byte character whose trail byte may be a separator or a bracket.
                static const char kTrails[] = {'\\', '[', ']', '|', 'A', '\x80', '\xFC', '.', ':'};
                const char lead = pick(2) == 0 ? static_cast<char>(0x81 + pick(0x1F))
                                               : static_cast<char>(0xE0 + pick(0x1D));
                return std::string{lead, kTrails[pick(sizeof kTrails)]};
            }
            case 2:
                return std::string(1, static_cast<char>(1 + pick(255)));
            default:
                return std::string(1 + pick(8), static_cast<char>('a' + pick(26)));
        }
    }
    std::mt19937 m_random;
};

bool HasSingleByteSeparator(const CString& text) {
    const std::string_view view(text.GetString(), static_cast<size_t>(text.GetLength()));
    for (size_t i = 0; i < view.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(view[i])) && i + 1 < view.size()) {
            ++i;
        } else if (view[i] == '\\' || view[i] == '/') {
            return true;
        }
    }
    return false;
}

// Byte for byte: the string class compares by characters, which reads on past a lead byte at the
// very end.
std::string B(const CString& text) {
    return std::string(text.GetString(), static_cast<size_t>(text.GetLength()));
}

bool Whole(const CString& text) {
    return static_cast<size_t>(text.GetLength()) == std::strlen(text.GetString());
}

void FuzzOne(Generator& generate, int round) {
    const std::string input = generate.text(300);
    Guarded path(input);
    const std::string other = generate.text(80);
    Guarded second(other);
    SCOPED_TRACE("round " + std::to_string(round) + " length " + std::to_string(input.size()));
    const bool logical = Tool_IsLogicalPath(path.data()) != FALSE;

    CString dir;
    CString name;
    CString ext;
    Tool_SplitFullPath(path.data(), dir, name, ext);
    EXPECT_TRUE(Whole(dir) && Whole(name) && Whole(ext));
    EXPECT_TRUE(ext.IsEmpty() || ext.GetString()[0] == '.');
    if (logical) {
        EXPECT_EQ(input, B(dir) + B(name) + B(ext));
    } else {
        EXPECT_FALSE(HasSingleByteSeparator(name) || HasSingleByteSeparator(ext));
        EXPECT_EQ(std::string::npos, std::string(dir).find('/'));
        if (input.size() >= MAX_PATH) {
            EXPECT_TRUE(dir.IsEmpty() && name.IsEmpty() && ext.IsEmpty());
        }
    }
    CString folder;
    CString fileName;
    Tool_SplitPath(path.data(), folder, fileName);
    EXPECT_EQ(B(dir), B(folder));
    EXPECT_EQ(B(name) + B(ext), B(fileName));
    CString single;
    Tool_GetPathNameFromFullPath(path.data(), single);
    EXPECT_EQ(B(dir), B(single));
    Tool_GetFileNameFromFullPath(path.data(), single);
    EXPECT_EQ(B(fileName), B(single));
    Tool_GetFileNameWithoutExtensionFromFullPath(path.data(), single);
    EXPECT_EQ(B(name), B(single));
    Tool_GetExtensionFromFullPath(path.data(), single);
    EXPECT_EQ(B(ext), B(single));

    CString root("untouched");
    Tool_GetRootName(path.data(), root);
    EXPECT_TRUE(Whole(root));
    EXPECT_LE(root.GetLength(), static_cast<int>(input.size()) + 8);

    CString replaced(path.data());
    Tool_ReplaceExtension(replaced, generate.pick(4) == 0 ? nullptr : second.data());
    EXPECT_TRUE(Whole(replaced));
    if (!logical) {
        EXPECT_LT(replaced.GetLength(), std::max(MAX_PATH, static_cast<int>(input.size()) + 1));
    }

    CString renamed("junk");
    Tool_ReplaceFileName(path.data(), second.data(), renamed);
    EXPECT_TRUE(Whole(renamed));
    EXPECT_LT(renamed.GetLength(), MAX_PATH);

    CString composed("junk");
    Tool_MakePath(composed, path.data(), second.data());
    EXPECT_TRUE(Whole(composed));
    EXPECT_LE(composed.GetLength(), 2 * (MAX_PATH - 1));

    CString abbreviated;
    const int maxLength = static_cast<int>(generate.pick(320)) - 10;
    const short length = Tool_GetAbbreviatePathName(path.data(), abbreviated, maxLength);
    EXPECT_EQ(length, abbreviated.GetLength());
    EXPECT_TRUE(B(abbreviated) == input || std::strncmp(abbreviated.GetString(), "...", 3) == 0);

    Tool_IsValidFilename(path.data());
    Tool_CheckFilePathName(path.data());
    Tool_IsNetDrive(CString(path.data()));
    Tool_CheckFullFilePathLengthFL(CString(path.data()));
    Tool_CheckFileNameIncludingExtensionLengthFL(CString(path.data()));
    const char replacement = generate.pick(5) == 0 ? '\0' : '_';
    const CString cleaned = Tool_ConvertInvalidCharInLocalPath(CString(path.data()), replacement);
    EXPECT_TRUE(Whole(cleaned));
    if (replacement != '\0') {
        EXPECT_EQ(static_cast<int>(input.size()), cleaned.GetLength());
    }

    CString numbered(path.data());
    Tool_IncreaseStringNumber(numbered, TRUE, static_cast<int>(generate.pick(12)) - 2, generate.pick(2) != 0);
    EXPECT_TRUE(Whole(numbered));
    CString incremented(path.data());
    Tool_IncreaseFilenameNumber(incremented, TRUE, 3, FALSE);
    EXPECT_TRUE(Whole(incremented));
    CString series(path.data());
    Tool_FileNameInc(series, second.data(), static_cast<short>(generate.pick(65536)));
    EXPECT_TRUE(Whole(series));

    const size_t room = generate.pick(40);
    Guarded autoName(room);
    const int placed = Tool_MakeAutoFileName(second.data(), generate.pick(2) != 0 ? nullptr : second.data(),
                                             room == 0 ? nullptr : autoName.data(), static_cast<DWORD>(room));
    EXPECT_TRUE(autoName.intact());
    if (room > 0) {
        EXPECT_EQ(static_cast<size_t>(placed), std::strlen(autoName.data()));
    }

    Guarded tempPath(generate.pick(MAX_PATH));
    Tool_GetProcessTempPath(tempPath.size() == 0 ? nullptr : tempPath.data(),
                            static_cast<DWORD>(tempPath.size()));
    EXPECT_TRUE(tempPath.intact());

    // The inputs are read, never written.
    EXPECT_TRUE(path.intact() && second.intact());
    EXPECT_EQ(input, path.data());
    EXPECT_EQ(other, second.data());
}

void Fuzz(unsigned seed) {
    Generator generate(seed);
    for (int round = 0; round < kStrings && !::testing::Test::HasFailure(); ++round) {
        FuzzOne(generate, round);
    }
}

TEST(Fuzz, RandomBytesInTheProcessCodePage) {
    Fuzz(20261206);
}

TEST(DbcsFuzz, RandomBytesInCodePage932) {
    OVS_REQUIRE_CODE_PAGE_932();
    Fuzz(932);
}

} // namespace
