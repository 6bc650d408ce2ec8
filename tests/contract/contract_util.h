#pragma once
// Helpers shared by the contract suites, which run natively against the
// stand-ins and under Wine against the real API.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifndef _WIN32
#include "standin/posix_paths.h"
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

}  // namespace zb::test
