#pragma once
// The stand-in's regional settings; tests change them to play another system.
#include <string>

namespace zb::posix {

struct LocaleSettings {
    std::string longTimeFormat = "HH:mm:ss";
    std::string timeSeparator = ":";
    std::string am;
    std::string pm;
    std::string shortDateFormat = "dd.MM.yyyy";
};

LocaleSettings& localeSettings();

}  // namespace zb::posix
