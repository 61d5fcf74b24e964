#pragma once
// Conversions between the four value kinds of the script language. Numbers
// are written with "." as the decimal separator whatever the host locale;
// Boolean text is "TRUE"/"FALSE". No conversion ever fails: text that is not
// a number reads as 0.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mivo::script {

// Boolean element storage: one byte, 0 or 1.
enum class Flag : uint8_t { False = 0, True = 1 };
inline Flag ToFlag(bool b) { return b ? Flag::True : Flag::False; }

// Integer text: leading blanks, optional sign, decimal digits, or hexadecimal
// digits after "$", "x" or "0x". A decimal value must fit in 32 bits; a
// hexadecimal one may use all 32 bits (so $FFFFFFFF is -1).
std::optional<int32_t> TryStrToInt(std::string_view s);
// Decimal floating text with optional exponent; blanks around it allowed.
std::optional<long double> TryStrToFloat(std::string_view s);

// A float made an integer: truncated toward zero. NaN gives 0, values beyond
// the 32-bit range saturate, so a stray float never yields an undefined value.
int32_t FloatToInt(long double x);
// The general format with 15 significant digits.
std::string FloatToStr(long double x);
std::string IntToStr(int32_t n);

// Conversions from each stored element kind.
inline int32_t ToInt(int32_t v) { return v; }
inline int32_t ToInt(long double v) { return FloatToInt(v); }
inline int32_t ToInt(Flag v) { return v == Flag::True ? 1 : 0; }
inline int32_t ToInt(const std::string& v) { return TryStrToInt(v).value_or(0); }

inline long double ToFloat(int32_t v) { return v; }
inline long double ToFloat(long double v) { return v; }
inline long double ToFloat(Flag v) { return v == Flag::True ? 1.0L : 0.0L; }
inline long double ToFloat(const std::string& v) { return TryStrToFloat(v).value_or(0.0L); }

inline bool ToBool(int32_t v) { return v != 0; }
inline bool ToBool(long double v) { return v != 0; }
inline bool ToBool(Flag v) { return v == Flag::True; }
bool ToBool(const std::string& v);

inline std::string ToStr(int32_t v) { return IntToStr(v); }
inline std::string ToStr(long double v) { return FloatToStr(v); }
inline std::string ToStr(Flag v) { return v == Flag::True ? "TRUE" : "FALSE"; }
inline std::string ToStr(const std::string& v) { return v; }

// Stores a value of any kind into an element of a given kind.
template <class S>
void Convert(int32_t& dst, const S& v) { dst = ToInt(v); }
template <class S>
void Convert(long double& dst, const S& v) { dst = ToFloat(v); }
template <class S>
void Convert(Flag& dst, const S& v) { dst = ToFlag(ToBool(v)); }
template <class S>
void Convert(std::string& dst, const S& v) { dst = ToStr(v); }
inline void Convert(int32_t& dst, bool v) { dst = v ? 1 : 0; }
inline void Convert(long double& dst, bool v) { dst = v ? 1.0L : 0.0L; }
inline void Convert(Flag& dst, bool v) { dst = ToFlag(v); }
inline void Convert(std::string& dst, bool v) { dst = v ? "TRUE" : "FALSE"; }

}  // namespace mivo::script
