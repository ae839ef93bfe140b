// Run-time class test across module boundaries: classes compare by name, since each module that
// uses a class may hold its own copy of the class information.
#include "ovstoolfiletypes.h"

#include <cstring>

BOOL Tool_ClassIsKindOf(const CObject* pObject, const CRuntimeClass* pClass) {
    if (pObject == nullptr || pClass == nullptr || pClass->m_lpszClassName == nullptr) {
        return FALSE;
    }
    for (const CRuntimeClass* c = pObject->GetRuntimeClass(); c != nullptr;
         c = c->m_pfnGetBaseClass != nullptr ? c->m_pfnGetBaseClass() : nullptr) {
        if (c->m_lpszClassName != nullptr && std::strcmp(c->m_lpszClassName, pClass->m_lpszClassName) == 0) {
            return TRUE;
        }
    }
    return FALSE;
}
