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

}  // namespace zb
