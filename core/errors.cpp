#include "core/errors.h"

namespace zb {

std::string formatText(std::string_view tmpl, std::string_view arg) {
    std::string out;
    for (std::size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] == 's') {
            out += arg;
            ++i;
        } else {
            out += tmpl[i];
        }
    }
    return out;
}

}  // namespace zb
