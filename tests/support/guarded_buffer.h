// A caller buffer with guard bytes on both sides, to see that an export writes nothing outside it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace ovs::test {

class GuardedBuffer {
public:
    // `size` bytes of `fill`.
    explicit GuardedBuffer(size_t size, char fill = 'x')
        : m_size(size), m_bytes(size + 2 * kGuard, kGuardByte) {
        std::fill(m_bytes.begin() + kGuard, m_bytes.end() - kGuard, static_cast<unsigned char>(fill));
    }
    // The text with its terminator.
    explicit GuardedBuffer(const std::string& text) : GuardedBuffer(text.size() + 1) {
        std::memcpy(data(), text.c_str(), text.size() + 1);
    }
    char* data() { return reinterpret_cast<char*>(m_bytes.data()) + kGuard; }
    DWORD size() const { return static_cast<DWORD>(m_size); }
    bool intact() const {
        return std::count(m_bytes.begin(), m_bytes.begin() + kGuard, kGuardByte) == kGuard &&
               std::count(m_bytes.end() - kGuard, m_bytes.end(), kGuardByte) == kGuard;
    }
    // All bytes of the buffer, and the text up to the first terminator (or all bytes).
    std::string bytes() const {
        return std::string(reinterpret_cast<const char*>(m_bytes.data()) + kGuard, m_size);
    }
    std::string text() const { return bytes().c_str(); }

private:
    static constexpr ptrdiff_t kGuard = 16;
    static constexpr unsigned char kGuardByte = 0xA5;
    size_t m_size;
    std::vector<unsigned char> m_bytes;
};

} // namespace ovs::test
