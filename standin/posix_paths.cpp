#include "standin/posix_paths.h"

#include <cctype>
#include <map>

namespace zb::posix {

namespace {
std::map<char, std::string>& drives() {
    static std::map<char, std::string> d;
    return d;
}
}  // namespace

void mapDrive(char letter, const std::string& hostDir) {
    drives()[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = hostDir;
}
void unmapDrive(char letter) { drives().erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))); }
void clearDrives() { drives().clear(); }

std::optional<std::string> hostPath(const std::string& p) {
    std::string rest;
    std::string base;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        auto it = drives().find(static_cast<char>(std::toupper(static_cast<unsigned char>(p[0]))));
        if (it == drives().end()) return std::nullopt;
        base = it->second;
        rest = "/" + p.substr(2);  // "E:" and "E:\x" alike
    } else if (p.size() >= 2 && (p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/') && p[0] == '\\') {
        return std::nullopt;  // network share
    } else if (!p.empty() && p[0] == '\\') {
        auto it = drives().find('C');
        if (it == drives().end()) return std::nullopt;
        base = it->second;
        rest = p;
    } else {
        rest = p;
    }
    std::string out;
    for (char c : base + rest) {
        if (c == '\\') c = '/';
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    return out;
}

}  // namespace zb::posix
