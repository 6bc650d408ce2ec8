#pragma once
// Calendar arithmetic on the proleptic Gregorian calendar.
#include <cstdint>

namespace zb {

std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day);
void civilFromDays(std::int64_t days, int& year, int& month, int& day);
// ISO weekday: 1 Monday .. 7 Sunday, whatever the system's first day of the week.
int isoWeekday(int year, int month, int day);

}  // namespace zb
