#pragma once
// Registry values that a Windows test reads, or changes and puts back.
#include <windows.h>

#include <optional>
#include <string>

namespace zb::test {

// The bytes of a REG_SZ value without its NUL; nothing when missing or of another type.
inline std::optional<std::string> regString(HKEY root, const std::string& key, const std::string& name) {
    char buf[2048];
    DWORD size = sizeof buf, type = 0;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, buf, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0)
        return std::nullopt;
    return std::string(buf, size - 1);
}

// Sets a REG_SZ value (ANSI bytes), or removes it, for one test; afterwards
// the old value is back, type and all.
class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, std::string key, std::string name, const std::optional<std::string>& ansi)
        : root_(root), key_(std::move(key)), name_(std::move(name)) {
        had_ = RegGetValueA(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type_, old_, &size_) ==
               ERROR_SUCCESS;
        put(ansi.has_value(), REG_SZ, ansi ? ansi->c_str() : nullptr, ansi ? DWORD(ansi->size() + 1) : 0);
    }
    ~ScopedRegValue() { put(had_, type_, old_, size_); }
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

private:
    void put(bool present, DWORD type, const void* data, DWORD size) {
        if (present) RegSetKeyValueA(root_, key_.c_str(), name_.c_str(), type, data, size);
        else RegDeleteKeyValueA(root_, key_.c_str(), name_.c_str());
    }

    HKEY root_;
    std::string key_, name_;
    bool had_ = false;
    DWORD type_ = 0, size_ = 2048;
    char old_[2048] = {};
};

}  // namespace zb::test
