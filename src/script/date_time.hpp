#pragma once
// Date-time values: days since 30 December 1899 as a float, the fraction
// being the time of day.
#include <cstdint>
#include <optional>

namespace mivo::script {

struct DateParts {
    int32_t year, month, day;
};
struct TimeParts {
    int32_t hour, min, sec, msec;
};

std::optional<long double> EncodeDate(int64_t year, int64_t month, int64_t day);
std::optional<long double> EncodeTime(int64_t hour, int64_t min, int64_t sec);
// Fail (nullopt) for NaN and values beyond year 9999 either way.
std::optional<DateParts> DecodeDate(long double t);
std::optional<TimeParts> DecodeTime(long double t);
// 1 = Sunday .. 7 = Saturday.
std::optional<int32_t> DayOfWeek(long double t);

}  // namespace mivo::script
