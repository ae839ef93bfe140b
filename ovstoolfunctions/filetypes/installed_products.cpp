#include "installed_products.h"

#include "ovsreg.h"
#include "unique_resource.h"

#include <mbstring.h>

#include <cstdio>
#include <vector>

namespace {

constexpr char kInstalledProductKey[] = "InstalledProduct";

} // namespace

void CInstalledProductArray::RemoveAllProducts() {
    for (INT_PTR i = 0; i < GetSize(); ++i) {
        delete GetAt(i);
    }
    RemoveAll();
}

void CInstalledProductArray::Fill() {
    char keyPath[512];
    std::snprintf(keyPath, sizeof(keyPath), "%s\\%s\\%s", OVS_REG_PRODUCT_ROOT, OVS_REG_CURRENT_VERSION,
                  kInstalledProductKey);
    ovs::unique_hkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return;
    }
    DWORD longestName = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    std::vector<char> name(longestName + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD value = 0;
        DWORD valueSize = sizeof(value);
        const LONG status = RegEnumValueA(key.get(), index, name.data(), &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(&value), &valueSize);
        if (status == ERROR_MORE_DATA) {
            continue; // a value larger than a number: not a product entry
        }
        if (status != ERROR_SUCCESS) {
            break; // ERROR_NO_MORE_ITEMS, or the key went away
        }
        if (type == REG_DWORD) {
            Add(new CInstalledProduct(name.data(), value));
        }
    }
}

DWORD CInstalledProductArray::Find(LPCSTR szName, DWORD dwDefault) const {
    for (INT_PTR i = 0; i < GetSize(); ++i) {
        const auto* product = static_cast<const CInstalledProduct*>(GetAt(i));
        if (_mbsicmp(reinterpret_cast<const unsigned char*>(product->m_strName.GetString()),
                     reinterpret_cast<const unsigned char*>(szName)) == 0) {
            return product->m_dwValue;
        }
    }
    return dwDefault;
}

namespace ovs::products {

const CInstalledProductArray& InstalledProducts() {
    static CInstalledProductArray products;
    if (products.IsEmpty()) {
        products.Fill();
    }
    return products;
}

} // namespace ovs::products
