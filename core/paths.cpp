#include "core/paths.h"

#include <cctype>

namespace zb {

bool isAbsolutePath(std::string_view p) {
    const auto sep = [](char c) { return c == '\\' || c == '/'; };
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':')
        return p.size() == 2 || sep(p[2]);
    return p.size() > 2 && sep(p[0]) && sep(p[1]) && !sep(p[2]);
}

std::string withTrailingDelimiter(std::string path) {
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

std::string parentOf(std::string p) {
    while (p.size() > 1 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
    const auto cut = p.find_last_of("\\/");
    if (cut == std::string::npos || cut == 0) return {};
    std::string parent = p.substr(0, cut);
    if (parent.back() == '?') return {};  // the "\\?" of a long path
    if (parent.back() == ':') parent += '\\';
    return parent;
}

bool isWeekdayFolder(const std::string& name) { return name.size() == 1 && name[0] >= '1' && name[0] <= '7'; }

}  // namespace zb
