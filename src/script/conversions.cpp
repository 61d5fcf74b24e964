#include "script/conversions.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mivo::script {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<int32_t> TryStrToInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        int d = hex ? HexValue(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
        if (d < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        uint32_t bits = static_cast<uint32_t>(value);
        if (negative) bits = 0u - bits;
        return static_cast<int32_t>(bits);
    }
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<int32_t>(-static_cast<int64_t>(value));
    }
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<long double> TryStrToFloat(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    std::string_view t = s.substr(b, e - b);
    // Check the shape first: sign, digits with at most one ".", optional
    // exponent. from_chars would also take "inf" or hexadecimal floats.
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t exp_digits = 0;
        while (i < t.size() && IsDigit(t[i])) ++i, ++exp_digits;
        if (exp_digits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    std::string_view body = t;
    if (!body.empty() && body[0] == '+') body.remove_prefix(1);
    long double value = 0;
    auto r = std::from_chars(body.data(), body.data() + body.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow reads as infinity, underflow as zero, like the parsers of
        // the runtime libraries do.
        bool neg = body[0] == '-';
        size_t epos = body.find_first_of("eE");
        bool huge = epos != std::string_view::npos && body[epos + 1] != '-';
        value = huge ? std::numeric_limits<long double>::infinity() : 0.0L;
        if (neg) value = -value;
    } else if (r.ec != std::errc() || r.ptr != body.data() + body.size()) {
        return std::nullopt;
    }
    return value;
}

int32_t FloatToInt(long double x) {
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0L) return std::numeric_limits<int32_t>::max();
    if (x <= -2147483648.0L) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(x);
}

std::string IntToStr(int32_t n) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, n);
    return std::string(buf, r.ptr);
}

std::string FloatToStr(long double x) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
    if (x == 0) return "0";
    // 15 significant digits: d.dddddddddddddde+X
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", x);
    std::string text = buf;
    bool negative = text[0] == '-';
    if (negative) text.erase(0, 1);
    size_t epos = text.find('e');
    int exponent = std::atoi(text.c_str() + epos + 1);
    std::string digits = text.substr(0, 1) + text.substr(2, epos - 2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
        size_t int_digits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= int_digits) {
            out += digits + std::string(int_digits - digits.size(), '0');
        } else {
            out += digits.substr(0, int_digits) + "." + digits.substr(int_digits);
        }
    }
    return out;
}

bool ToBool(const std::string& v) {
    if (v == "TRUE") return true;
    if (v == "FALSE") return false;
    return ToInt(v) != 0;
}

}  // namespace mivo::script
