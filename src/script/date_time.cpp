#include "script/date_time.hpp"

#include <cmath>

namespace mivo::script {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateParts CivilFromDays(int64_t z) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp + (mp < 10 ? 3 : -9);
    return {static_cast<int32_t>(y + (m <= 2)), static_cast<int32_t>(m), static_cast<int32_t>(d)};
}

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);
constexpr long double kMaxDays = 2958466;  // 31 December 9999 plus a day
constexpr long double kMinDays = -693594;  // 1 January 0001
constexpr int64_t kMsPerDay = 86400000;

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// The day number and the milliseconds into that day: the day part truncates
// toward zero and the time of day is the magnitude of the fraction, the way
// date-time values have always been read.
std::optional<std::pair<int64_t, int64_t>> Split(long double t) {
    if (!std::isfinite(t) || t > kMaxDays || t < kMinDays) return std::nullopt;
    long double whole = std::trunc(t);
    auto ms = static_cast<int64_t>(std::llround(std::fabs(t - whole) * kMsPerDay));
    auto day = static_cast<int64_t>(whole);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        day += t < 0 ? -1 : 1;
    }
    return std::make_pair(day, ms);
}

}  // namespace

std::optional<long double> EncodeDate(int64_t year, int64_t month, int64_t day) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
    int64_t limit = kDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
    if (day > limit) return std::nullopt;
    return static_cast<long double>(DaysFromCivil(year, month, day) - kEpoch);
}

std::optional<long double> EncodeTime(int64_t hour, int64_t min, int64_t sec) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59) return std::nullopt;
    return static_cast<long double>(hour * 3600 + min * 60 + sec) / 86400.0L;
}

std::optional<DateParts> DecodeDate(long double t) {
    auto parts = Split(t);
    if (!parts) return std::nullopt;
    return CivilFromDays(parts->first + kEpoch);
}

std::optional<TimeParts> DecodeTime(long double t) {
    auto parts = Split(t);
    if (!parts) return std::nullopt;
    int64_t ms = parts->second;
    return TimeParts{static_cast<int32_t>(ms / 3600000), static_cast<int32_t>(ms / 60000 % 60),
                     static_cast<int32_t>(ms / 1000 % 60), static_cast<int32_t>(ms % 1000)};
}

std::optional<int32_t> DayOfWeek(long double t) {
    auto parts = Split(t);
    if (!parts) return std::nullopt;
    // Day 0 (30 December 1899) was a Saturday.
    int64_t w = ((parts->first % 7) + 7 + 6) % 7;
    return static_cast<int32_t>(w + 1);
}

}  // namespace mivo::script
