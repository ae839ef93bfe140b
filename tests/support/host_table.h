// A table as the hosts hand it over: a header whose count field holds the entries counted, followed by
// the entries.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace ovs::test {

template <typename Header, typename Entry>
class HostTable {
public:
    // counted < 0: all entries are counted.
    explicit HostTable(const std::vector<Entry>& entries, int counted = -1)
        : m_bytes(sizeof(Header) + entries.size() * sizeof(Entry)) {
        std::copy_n(reinterpret_cast<const BYTE*>(entries.data()), entries.size() * sizeof(Entry),
                    m_bytes.data() + sizeof(Header));
        const int count = counted < 0 ? static_cast<int>(entries.size()) : counted;
        if constexpr (requires(Header header) { header.nCount; }) {
            get()->nCount = static_cast<SHORT>(count);
        } else {
            get()->lPeakCount = count;
        }
    }
    Header* get() { return reinterpret_cast<Header*>(m_bytes.data()); }
    const Header* get() const { return reinterpret_cast<const Header*>(m_bytes.data()); }
    Entry* entries() { return reinterpret_cast<Entry*>(m_bytes.data() + sizeof(Header)); }
    const void* bytes() const { return m_bytes.data(); }
    DWORD size() const { return static_cast<DWORD>(m_bytes.size()); }

private:
    std::vector<BYTE> m_bytes;
};

} // namespace ovs::test
