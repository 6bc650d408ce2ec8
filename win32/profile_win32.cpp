// The settings file through the wide profile functions. The file stays in
// the system's ANSI code page, byte for byte as earlier versions and scripts
// know it, while every text fits that code page exactly; the first text that
// does not turns it into UTF-16 LE with a byte order mark, which the profile
// functions then keep.
#include <windows.h>

#include <string>

#include "platform/ports.h"
#include "win32/handles_win32.h"
#include "win32/text_win32.h"

namespace zb {

namespace {

constexpr char kBom[] = "\xFF\xFE";
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool fits(const std::wstring& s) { return toAnsi(s).has_value(); }

// The whole file, or nothing when it cannot be read (a missing file is empty).
std::optional<std::string> readAll(const std::wstring& file) {
    unique_hfile f(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    std::string bytes;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &n, nullptr) && n > 0) bytes.append(buf, n);
    return bytes;
}

bool writeAll(const std::wstring& file, const std::string& bytes) {
    unique_hfile f(
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD written = 0;
    return WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(f.get());
}

std::wstring decode(const std::string& bytes, UINT codePage, std::size_t skip) {
    const int len = static_cast<int>(bytes.size() - skip);
    if (len <= 0) return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes.data() + skip, len, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data() + skip, len, w.data(), n);
    return w;
}

// Rewrites the file, with the same content in the same order, as UTF-16 LE
// with a byte order mark. Written beside it and then put in its place, so
// that a failure leaves the old file whole.
bool makeUnicode(const std::wstring& file) {
    const auto bytes = readAll(file);
    if (!bytes) return false;
    if (bytes->rfind(kBom, 0) == 0 || bytes->rfind("\xFE\xFF", 0) == 0) return true;
    const bool utf8 = bytes->rfind(kUtf8Bom, 0) == 0;
    const std::wstring text = decode(*bytes, utf8 ? CP_UTF8 : CP_ACP, utf8 ? 3 : 0);
    std::string out = kBom;
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    const std::wstring temp = file + L".neu";
    if (!writeAll(temp, out) || !MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

class Win32Profile final : public IProfile {
public:
    std::string getString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& def) override {
        wchar_t buf[2048];
        DWORD n = GetPrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(), toWide(def).c_str(), buf,
                                           2048, toWide(file).c_str());
        if (n > 0 && IS_HIGH_SURROGATE(buf[n - 1])) --n;  // the cut went through a pair
        return fromWide(std::wstring_view(buf, n));
    }
    bool writeString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value) override {
        const std::wstring f = toWide(file), s = toWide(section), k = toWide(key), v = toWide(value);
        // Written into an ANSI file, a text that does not fit would reach it
        // by best fit: another path than the user's.
        if (!(fits(s) && fits(k) && fits(v)) && !makeUnicode(f)) return false;
        return WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), f.c_str()) != FALSE;
    }
    bool removeKey(const std::string& file, const std::string& section, const std::string& key) override {
        // A null value removes the key's line.
        return WritePrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(), nullptr,
                                          toWide(file).c_str()) != FALSE;
    }
};

}  // namespace

std::unique_ptr<IProfile> makeProfile() { return std::make_unique<Win32Profile>(); }

}  // namespace zb
