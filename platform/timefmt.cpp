#include "platform/timefmt.h"

namespace zb {

std::string formatTimePicture(std::string_view pic, TimeOfDay t, std::string_view am, std::string_view pm) {
    std::string out;
    auto two = [&](int v, bool pad) {
        if (pad && v < 10) out += '0';
        out += std::to_string(v);
    };
    for (std::size_t i = 0; i < pic.size();) {
        const char c = pic[i];
        std::size_t n = 1;
        while (i + n < pic.size() && pic[i + n] == c) ++n;
        switch (c) {
            case 'H': two(t.hour, n > 1); break;
            case 'h': two(t.hour % 12 == 0 ? 12 : t.hour % 12, n > 1); break;
            case 'm': two(t.minute, n > 1); break;
            case 's': two(t.second, n > 1); break;
            case 't': {
                const std::string_view d = t.hour < 12 ? am : pm;
                out += n > 1 ? d : d.substr(0, 1);
                break;
            }
            case '\'': {
                const std::size_t close = pic.find('\'', i + 1);
                out += pic.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1);
                i = close == std::string_view::npos ? pic.size() : close + 1;
                continue;
            }
            default: out.append(n, c); break;
        }
        i += n;
    }
    return out;
}

std::string formatDatePicture(std::string_view pic, const LocalDateTime& d) {
    std::string out;
    for (std::size_t i = 0; i < pic.size();) {
        const char c = pic[i];
        std::size_t n = 1;
        while (i + n < pic.size() && pic[i + n] == c) ++n;
        auto num = [&](int v, std::size_t width) {
            std::string s = std::to_string(v);
            if (s.size() < width) s.insert(0, width - s.size(), '0');
            out += s;
        };
        switch (c) {
            case 'd': num(d.day, n > 1 ? 2 : 1); break;
            case 'M': num(d.month, n > 1 ? 2 : 1); break;
            case 'y': n <= 2 ? num(d.year % 100, n) : num(d.year, 4); break;
            case '\'': {
                const std::size_t close = pic.find('\'', i + 1);
                out += pic.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1);
                i = close == std::string_view::npos ? pic.size() : close + 1;
                continue;
            }
            default: out.append(n, c); break;
        }
        i += n;
    }
    return out;
}

}  // namespace zb
