#pragma once
// Formats a time of day with a Windows time picture ("HH:mm:ss", "h:mm:ss tt").
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace zb {

std::string formatTimePicture(std::string_view picture, TimeOfDay t, std::string_view am, std::string_view pm);
// Formats a date with a Windows date picture ("dd.MM.yyyy", "d.M.yyyy", "yyyy-MM-dd").
std::string formatDatePicture(std::string_view picture, const LocalDateTime& d);

}  // namespace zb
