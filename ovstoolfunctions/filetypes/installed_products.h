// The installer's product entries of the machine: one CInstalledProduct per REG_DWORD value of the
// installed-product key, held in one process-wide list that is filled on first use.
#pragma once

#include <afx.h>

class CInstalledProduct : public CObject {
public:
    CInstalledProduct(LPCSTR szName, DWORD dwValue) : m_strName(szName), m_dwValue(dwValue) {}

    CString m_strName;
    DWORD m_dwValue;
};

// Owns its entries and deletes them with itself.
class CInstalledProductArray : public CObArray {
public:
    CInstalledProductArray() = default;
    ~CInstalledProductArray() override { RemoveAllProducts(); }

    void RemoveAllProducts();
    // Reads the entries of the installed-product key; a value that is not a 32-bit number is skipped.
    void Fill();
    // The value of the first entry named szName (without case), or dwDefault.
    DWORD Find(LPCSTR szName, DWORD dwDefault) const;
};

namespace ovs::products {

// The process's list, filled while it is empty; never refreshed once it holds entries.
const CInstalledProductArray& InstalledProducts();

} // namespace ovs::products
