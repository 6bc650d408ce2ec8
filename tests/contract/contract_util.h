#pragma once
// Helpers shared by the contract suites, which run natively against the
// stand-ins and under Wine against the real API.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "win32/text_win32.h"
#else
#include "standin/codepage.h"
#include "standin/posix_paths.h"
#endif

#ifdef _WIN32
namespace zb {
// Texts in the system's ANSI code page, as the tests' own ANSI calls and
// files of earlier versions hold them.
inline std::string toAnsi(const std::string& utf8) {
    const std::wstring w = toWide(utf8);
    std::string out(w.size() * 2, '\0');
    out.resize(std::size_t(WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), out.data(), int(out.size()),
                                               nullptr, nullptr)));
    return out;
}
inline std::string fromAnsi(const std::string& ansi) {
    std::wstring w(ansi.size(), L'\0');
    w.resize(std::size_t(MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), w.data(), int(w.size()))));
    return fromWide(w);
}
}  // namespace zb
#endif

namespace zb::test {

// A fresh folder for one test, removed at the end. path() is the folder as the
// program would name it (backslashes; on Linux the stand-ins turn them back).
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("zbtest-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return dir_.string(); }
    std::string file(const std::string& name) const { return path() + "\\" + name; }

private:
    std::filesystem::path dir_;
};

// The file system's name for a path that the program formed.
inline std::filesystem::path host(std::string p) {
#ifndef _WIN32
    if (const auto mapped = posix::hostPath(p)) return std::filesystem::path(*mapped);
    for (char& c : p)
        if (c == '\\') c = '/';
#endif
    return std::filesystem::path(p);
}

inline std::string readBytes(const std::string& p) {
    std::ifstream in(host(p), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& p, const std::string& bytes) {
    std::ofstream out(host(p), std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A case under the system's ANSI code page `cp`, where this side can have
// it: the stand-in takes any; Windows has the one of its language.
class AnsiCodePage {
public:
#ifdef _WIN32
    explicit AnsiCodePage(unsigned cp) : active_(GetACP() == cp) {}
#else
    explicit AnsiCodePage(unsigned cp) : scoped_(cp) {}
    ScopedAnsiCodePage scoped_;
#endif
    bool active() const { return active_; }

private:
    bool active_ = true;
};

// A text as a file of UTF-16 LE with byte order mark holds it.
inline std::string utf16File(const std::string& utf8) {
#ifdef _WIN32
    const std::wstring units = toWide(utf8);
#else
    const std::u16string units = utf8ToUtf16(utf8);
#endif
    std::string bytes = "\xFF\xFE";
    for (auto c : units) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

}  // namespace zb::test
