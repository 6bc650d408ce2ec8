#pragma once
// Formats a time of day with a Windows time picture ("HH:mm:ss", "h:mm:ss tt").
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace zb {

std::string formatTimePicture(std::string_view picture, TimeOfDay t, std::string_view am, std::string_view pm);

}  // namespace zb
