// The message of a report line must read exactly as the runtime's _vsnprintf formats it, for the
// conversions the report formats itself as well as for those it hands on to the runtime.
#include "test_support.h"

#include "OVSTools2.h"

#include <climits>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace ovs::test;

constexpr size_t kMessageLimit = 1023;

// What _vsnprintf gives for the message, cut to the report's limit.
std::string Expected(const char* format, ...) {
    char text[kMessageLimit + 1];
    va_list args;
    va_start(args, format);
    const int length = _vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0 || static_cast<size_t>(length) > kMessageLimit) {
        text[kMessageLimit] = '\0';
    }
    return text;
}

struct MessageCase {
    std::string name;
    std::function<void()> write;
    std::string expected;
};

#define MESSAGE_CASE(...)                                                                                    \
    MessageCase {                                                                                            \
#__VA_ARGS__, [] { Tool_DbgReport(nullptr, 1, OVS_DBG_ERR, __VA_ARGS__); }, Expected(__VA_ARGS__)    \
    }

const std::string kLongText(1500, 'L');
const char* const kNullText = nullptr;
// "Hyou" (a double-byte character in code page 932 whose trail byte is '\') and half-width kana.
const char kDoubleByteText[] = "\x95\x5C\x8E\xA6 \xB1\xB2";

std::vector<MessageCase> MessageCases() {
    return {
        MESSAGE_CASE("plain text without conversions"),
        MESSAGE_CASE(""),
        MESSAGE_CASE("%d|%d|%d|%d", 0, -1, INT_MIN, INT_MAX),
        MESSAGE_CASE("%i|%u|%u", -7, 0u, UINT_MAX),
        MESSAGE_CASE("[%5d][%-5d][%05d][%05d]", 42, 42, 42, -42),
        MESSAGE_CASE("[%+d][% d][%+ d][% +d][%+u][% u]", 5, 5, 5, -5, 5u, 5u),
        MESSAGE_CASE("[%.0d][%.0u][%.0x][%5.0d]", 0, 0u, 0u, 0),
        MESSAGE_CASE("[%.3d][%.3d][%08.3d][%-8.3d][%+.3d]", 7, -7, 5, 5, 5),
        MESSAGE_CASE("[%-05d][%0-5d][%2d][%1d]", 3, 3, 12345, -12345),
        MESSAGE_CASE("[%05.0d][%+.0d][% .0d][%-+5d][%+05d]", 0, 0, 0, 3, -3),
        MESSAGE_CASE("%x|%X|%08x|%-8x|%.4x|%x", 0xBEEFu, 0xBEEFu, 0xBEEFu, 0xBEEFu, 0xAu, UINT_MAX),
        MESSAGE_CASE("%hd|%hu|%hx|%hd", 70000, -1, 0x12345, -32768),
        MESSAGE_CASE("%ld|%lu|%lx", -123456L, 4000000000UL, 0xCAFEUL),
        MESSAGE_CASE("%lld|%lld|%llu|%llx", LLONG_MIN, LLONG_MAX, ULLONG_MAX, 0x123456789ABCDEFULL),
        MESSAGE_CASE("%I64d|%I64u|%I64X|%I32d|%I32u", -9876543210LL, 18446744073709551615ULL,
                     0xFEDCBA9876543210ULL, -5, 4294967295u),
        MESSAGE_CASE("%Id|%Iu|%Ix", static_cast<intptr_t>(-1), SIZE_MAX, static_cast<uintptr_t>(0x1234)),
        MESSAGE_CASE("%I64d %d", 1LL << 40, 9), // a 64-bit argument must not shift the ones after it
        MESSAGE_CASE("[%c][%3c][%-3c][%c]", 'A', 'b', 'c', 0x141),
        MESSAGE_CASE("[%s][%10s][%-10s][%.2s][%5.1s][%.0s][%.10s]", "abc", "abc", "abc", "abc", "abc", "abc",
                     "abc"),
        MESSAGE_CASE("[%05s][%-05s][%03c]", "ab", "ab", 'z'),
        MESSAGE_CASE("[%s][%10s][%.3s]", kNullText, kNullText, kNullText),
        MESSAGE_CASE("[%s] and [%s]", kDoubleByteText, "x"),
        MESSAGE_CASE("100%% done, %d%% left, %%d stays", 1),
        MESSAGE_CASE("%%%d%%", 50),
        // Conversions that the runtime formats.
        MESSAGE_CASE("%f|%.2f|%e|%g|%E|%G", 3.14159, 2.675, 12345.678, 0.0001, 1e300, 1e-300),
        MESSAGE_CASE("%d then %f then %s", 1, 2.5, "three"),
        MESSAGE_CASE("[%#x][%#o][%o]", 255u, 8u, 8u),
        MESSAGE_CASE("[%*d][%-*d][%.*s]", 6, 42, 6, 42, 2, "abcdef"),
        MESSAGE_CASE("[%p]", reinterpret_cast<void*>(0x1234)),
        MESSAGE_CASE("[%ls][%S][%lc]", L"wide", L"also", L'w'),
        MESSAGE_CASE("[%hs][%hc]", "narrow", 'n'),
        MESSAGE_CASE("unknown [%y] conversion"),
        MESSAGE_CASE("ends with a single %"),
        // Lengths at the cut.
        MESSAGE_CASE("%s", std::string(kMessageLimit, 'e').c_str()),
        MESSAGE_CASE("%s!", std::string(kMessageLimit, 'f').c_str()),
        MESSAGE_CASE("%s|%d", kLongText.c_str(), 12),
        MESSAGE_CASE("%1100d|", 7),
        MESSAGE_CASE("%-1030s|", "pad"),
        MESSAGE_CASE("%s %f", kLongText.c_str(), 1.5),
    };
}

// Random integer and text conversions with every flag, width, precision and size, each with a
// random value of its size.
std::vector<MessageCase> RandomConversionCases(unsigned count) {
    static const char* const kFlags[] = {"", "-", "+", " ", "0", "-0", "+0", " 0", "+ ", "-+"};
    static const char* const kWidths[] = {"", "1", "3", "8", "21"};
    static const char* const kPrecisions[] = {"", ".", ".0", ".1", ".4", ".12", ".25"};
    static const char* const kSizes[] = {"", "h", "l", "ll", "I64", "I32", "I"};
    static const char kIntegerTypes[] = "diuxX";
    std::vector<MessageCase> cases;
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (unsigned i = 0; i < count; ++i) {
        const std::string size = kSizes[next() % 7];
        const bool wide = size == "ll" || size == "I64" || size == "I";
        const bool text = !wide && next() % 4 == 0;
        const std::string format = std::string("<%") + kFlags[next() % 10] + kWidths[next() % 5] +
                                   kPrecisions[next() % 7] + (text ? "" : size) +
                                   (text ? 's' : kIntegerTypes[next() % 5]) + ">";
        uint64_t value = next();
        value >>= next() % 64; // all magnitudes
        static const char* const kTexts[] = {"", "a", "abcdefghij", "\x95\x5C\x95\x5C"};
        const char* textValue = kTexts[value % 4];
        MessageCase c;
        c.name = format;
        if (text) {
            c.write = [format, textValue] {
                Tool_DbgReport(nullptr, 1, OVS_DBG_ERR, format.c_str(), textValue);
            };
            c.expected = Expected(format.c_str(), textValue);
        } else if (wide) {
            c.write = [format, value] { Tool_DbgReport(nullptr, 1, OVS_DBG_ERR, format.c_str(), value); };
            c.expected = Expected(format.c_str(), value);
        } else {
            const auto narrow = static_cast<unsigned>(value);
            c.write = [format, narrow] { Tool_DbgReport(nullptr, 1, OVS_DBG_ERR, format.c_str(), narrow); };
            c.expected = Expected(format.c_str(), narrow);
        }
        c.name += " with " + std::to_string(value);
        cases.push_back(std::move(c));
    }
    return cases;
}

// The message of a report line of the form "time\t[pid:tid]\t[ERR]\t(    1)\tmessage".
std::string MessageOf(const std::string& line) {
    size_t position = 0;
    for (int field = 0; field < 4 && position != std::string::npos; ++field) {
        position = line.find('\t', position);
        if (position != std::string::npos) {
            ++position;
        }
    }
    return position == std::string::npos ? std::string("<no message field>") : line.substr(position);
}

class ReportMessageTest : public RegistryTest {};

// One test: the report opens once per process.
TEST_F(ReportMessageTest, ReadsAsTheRuntimeFormatsIt) {
    ReportFolder folder;
    ASSERT_TRUE(Tool_InitDbgReportEx(1, OVS_DBGMASK_ERR, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "B", "A"));
    std::vector<MessageCase> cases = MessageCases();
    for (MessageCase& c : RandomConversionCases(3000)) {
        cases.push_back(std::move(c));
    }
    for (const MessageCase& c : cases) {
        c.write();
    }
    Tool_DbgReport("source.cpp", 12, OVS_DBG_ERR, nullptr);

    const std::vector<std::string> lines = SplitLines(ReadFileText(folder.reportFile()));
    ASSERT_EQ(lines.size(), cases.size() + 2); // with the start banner first
    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string& line = lines[i + 1];
        EXPECT_NE(line.find("]\t[ERR]\t(    1)\t"), std::string::npos) << cases[i].name;
        EXPECT_EQ(MessageOf(line), cases[i].expected) << cases[i].name;
    }
    const std::string& nullFormat = lines.back();
    EXPECT_NE(nullFormat.find("]\t[ERR]\tsource.cpp(   12)\t"), std::string::npos) << nullFormat;
    EXPECT_EQ(MessageOf(nullFormat), "") << nullFormat;
}

} // namespace
