#pragma once
// Owners of Win32 and COM resources: one owner each, released on every path.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>

namespace zb {

// A kernel handle whose "none" value is given by the API that made it
// (nullptr for most, INVALID_HANDLE_VALUE for files and volumes).
template <HANDLE (*Invalid)()>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Invalid());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != Invalid(); }
    void reset(HANDLE h = Invalid()) {
        if (h_ != Invalid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = Invalid();
};

inline HANDLE nullHandle() { return nullptr; }
inline HANDLE invalidHandle() { return INVALID_HANDLE_VALUE; }
using unique_handle = UniqueHandle<&nullHandle>;
using unique_hfile = UniqueHandle<&invalidHandle>;

class UniqueHkey {
public:
    UniqueHkey() = default;
    explicit UniqueHkey(HKEY k) : k_(k) {}
    ~UniqueHkey() {
        if (k_) RegCloseKey(k_);
    }
    UniqueHkey(UniqueHkey&& o) noexcept : k_(std::exchange(o.k_, nullptr)) {}
    UniqueHkey(const UniqueHkey&) = delete;
    UniqueHkey& operator=(const UniqueHkey&) = delete;
    HKEY get() const { return k_; }
    HKEY* put() { return &k_; }
    explicit operator bool() const { return k_ != nullptr; }

private:
    HKEY k_ = nullptr;
};

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() {
        reset();
        return &p_;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// A wide string that the shell allocated with CoTaskMemAlloc.
class CoTaskMemString {
public:
    CoTaskMemString() = default;
    ~CoTaskMemString() { CoTaskMemFree(s_); }
    CoTaskMemString(const CoTaskMemString&) = delete;
    CoTaskMemString& operator=(const CoTaskMemString&) = delete;
    PWSTR* put() { return &s_; }
    std::string utf8() const {
        if (!s_) return {};
        const int n = WideCharToMultiByte(CP_UTF8, 0, s_, -1, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
        if (n > 1) WideCharToMultiByte(CP_UTF8, 0, s_, -1, out.data(), n, nullptr, nullptr);
        return out;
    }

private:
    PWSTR s_ = nullptr;
};

// COM for this thread as a single-threaded apartment, for the life of the owner.
class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    // S_FALSE (already initialised) counts as success and needs its uninit too.
    ~ComApartment() {
        if (ok_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

}  // namespace zb
