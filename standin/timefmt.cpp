#include "standin/timefmt.h"

namespace zb {

namespace {

// Walks a Windows picture string: each run of one letter goes to `field`
// (which appends it and returns true, or returns false for "not a field");
// quoted text and other characters are copied as they stand.
template <class Field>
std::string expandPicture(std::string_view pic, Field field) {
    std::string out;
    for (std::size_t i = 0; i < pic.size();) {
        const char c = pic[i];
        if (c == '\'') {
            const std::size_t close = pic.find('\'', i + 1);
            out += pic.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1);
            i = close == std::string_view::npos ? pic.size() : close + 1;
            continue;
        }
        std::size_t n = 1;
        while (i + n < pic.size() && pic[i + n] == c) ++n;
        if (!field(out, c, n)) out.append(n, c);
        i += n;
    }
    return out;
}

void number(std::string& out, int v, std::size_t width) {
    std::string s = std::to_string(v);
    if (s.size() < width) s.insert(0, width - s.size(), '0');
    out += s;
}

}  // namespace

std::string formatTimePicture(std::string_view pic, TimeOfDay t, std::string_view am, std::string_view pm) {
    return expandPicture(pic, [&](std::string& out, char c, std::size_t n) {
        const std::size_t width = n > 1 ? 2 : 1;
        switch (c) {
            case 'H': number(out, t.hour, width); return true;
            case 'h': number(out, t.hour % 12 == 0 ? 12 : t.hour % 12, width); return true;
            case 'm': number(out, t.minute, width); return true;
            case 's': number(out, t.second, width); return true;
            case 't': {
                const std::string_view d = t.hour < 12 ? am : pm;
                out += n > 1 ? d : d.substr(0, 1);
                return true;
            }
            default: return false;
        }
    });
}

std::string formatDatePicture(std::string_view pic, const LocalDateTime& d) {
    return expandPicture(pic, [&](std::string& out, char c, std::size_t n) {
        switch (c) {
            case 'd': number(out, d.day, n > 1 ? 2 : 1); return true;
            case 'M': number(out, d.month, n > 1 ? 2 : 1); return true;
            case 'y': n <= 2 ? number(out, d.year % 100, n) : number(out, d.year, 4); return true;
            default: return false;
        }
    });
}

}  // namespace zb
