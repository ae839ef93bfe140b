// The framework's object base with run-time class information: every class that declares itself
// dynamic names its class and its base, so that IsKindOf answers for derived classes too.
#pragma once

#include "afxver_.h"
#include <windows.h>

#ifndef PASCAL
#define PASCAL __stdcall
#endif

class CObject;

// The base is reached through a function so that a class in one module may derive from a class
// exported by another (the address of imported data is no constant).
struct AFX_API CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject*(PASCAL* m_pfnCreateObject)();
    CRuntimeClass*(PASCAL* m_pfnGetBaseClass)();

    // TRUE when this class is pBaseClass or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    // A new object of the class, or null when the class cannot make objects.
    CObject* CreateObject() const;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                                                          \
public:                                                                                                      \
    static const CRuntimeClass class##class_name;                                                            \
    static CRuntimeClass* PASCAL _GetBaseClass();                                                            \
    static CRuntimeClass* PASCAL GetThisClass();                                                             \
    CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                                       \
    CRuntimeClass* PASCAL class_name::_GetBaseClass() {                                                      \
        return RUNTIME_CLASS(base_class_name);                                                               \
    }                                                                                                        \
    const CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class class_name), 0xFFFF,      \
                                                         nullptr, &class_name::_GetBaseClass};               \
    CRuntimeClass* PASCAL class_name::GetThisClass() {                                                       \
        return const_cast<CRuntimeClass*>(&class_name::class##class_name);                                   \
    }                                                                                                        \
    CRuntimeClass* class_name::GetRuntimeClass() const {                                                     \
        return class_name::GetThisClass();                                                                   \
    }

class AFX_API CObject {
public:
    virtual ~CObject() = default;

    static const CRuntimeClass classCObject;
    static CRuntimeClass* PASCAL GetThisClass();
    virtual CRuntimeClass* GetRuntimeClass() const;
    // TRUE when the object's class is pClass or derives from it; FALSE for a null class.
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

protected:
    CObject() = default;
};
