// One owner for "a value plus the call that releases it", so that every handle, key, view, BSTR and
// block is released on every road out of the scope that holds it.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <utility>

namespace ovs {

// Traits name the type, the release call and the "none" value (null for most, INVALID_HANDLE_VALUE
// for files and find handles).
template <typename Traits>
class unique_any {
    using T = typename Traits::type;

public:
    unique_any() noexcept = default;
    explicit unique_any(T value) noexcept : m_value(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : m_value(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Traits::none(); }
    // Address for an out-parameter; whatever was held is released first.
    T* put() noexcept {
        reset();
        return &m_value;
    }
    T release() noexcept { return std::exchange(m_value, Traits::none()); }
    void reset(T value = Traits::none()) noexcept {
        const T old = std::exchange(m_value, value);
        if (old != Traits::none()) {
            Traits::close(old);
        }
    }

private:
    T m_value = Traits::none();
};

namespace detail {

template <typename T, auto Close>
struct NullNone {
    using type = T;
    static T none() noexcept { return nullptr; }
    static void close(T value) noexcept { Close(value); }
};

template <auto Close>
struct InvalidHandleNone {
    using type = HANDLE;
    static HANDLE none() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE value) noexcept { Close(value); }
};

inline void CloseKey(HKEY key) noexcept { RegCloseKey(key); }
inline void CloseKernelHandle(HANDLE handle) noexcept { CloseHandle(handle); }
inline void UnmapView(void* view) noexcept { UnmapViewOfFile(view); }
inline void ReleaseModule(HMODULE module) noexcept { FreeLibrary(module); }
inline void FreeTaskMemory(void* block) noexcept { CoTaskMemFree(block); }
inline void FreeBstr(BSTR text) noexcept { SysFreeString(text); }
inline void FreeLocalMemory(HLOCAL block) noexcept { LocalFree(block); }
inline void CloseFind(HANDLE find) noexcept { FindClose(find); }

} // namespace detail

using unique_hkey = unique_any<detail::NullNone<HKEY, detail::CloseKey>>;
// Handles whose "none" is null (events, mutexes, sections, processes).
using unique_handle = unique_any<detail::NullNone<HANDLE, detail::CloseKernelHandle>>;
using unique_hfile = unique_any<detail::InvalidHandleNone<detail::CloseKernelHandle>>;
using unique_find = unique_any<detail::InvalidHandleNone<detail::CloseFind>>;
using unique_view = unique_any<detail::NullNone<void*, detail::UnmapView>>;
using unique_hmodule = unique_any<detail::NullNone<HMODULE, detail::ReleaseModule>>;
using unique_cotaskmem = unique_any<detail::NullNone<void*, detail::FreeTaskMemory>>;
using unique_bstr = unique_any<detail::NullNone<BSTR, detail::FreeBstr>>;
using unique_hlocal = unique_any<detail::NullNone<HLOCAL, detail::FreeLocalMemory>>;

// A COM interface pointer that is released with its owner.
template <typename I>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        reset();
        m_p = std::exchange(other.m_p, nullptr);
        return *this;
    }
    ~com_ptr() { reset(); }

    I* get() const noexcept { return m_p; }
    I* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    I** put() noexcept {
        reset();
        return &m_p;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    void reset() noexcept {
        if (I* old = std::exchange(m_p, nullptr)) {
            old->Release();
        }
    }

private:
    I* m_p = nullptr;
};

} // namespace ovs
