#include "script/jstrings.hpp"

#include <algorithm>
#include <array>

#include "core/sjis.hpp"

namespace mivo::script {

using sjis::IsLead;

int64_t CharCount(std::string_view s) {
    int64_t n = 0;
    for (size_t i = 0; i < s.size(); i += IsLead(s[i]) ? 2 : 1) ++n;
    return n;
}

int64_t CharStart(std::string_view s, int64_t n) {
    size_t p = 0;
    for (int64_t k = 1; k < n && p < s.size(); ++k) p += IsLead(s[p]) ? 2 : 1;
    return static_cast<int64_t>(std::min(p, s.size())) + 1;
}

bool IsTrailByte(std::string_view s, int64_t i) {
    if (i <= 1 || i > static_cast<int64_t>(s.size())) return false;
    int64_t run = 0;
    for (int64_t j = i - 2; j >= 0 && IsLead(s[static_cast<size_t>(j)]); --j) ++run;
    return run % 2 == 1;
}

int32_t CharCodeAt(std::string_view s, int64_t n) {
    size_t p = static_cast<size_t>(CharStart(s, n) - 1);
    if (p >= s.size()) return 0;
    auto b = [&](size_t k) { return static_cast<int32_t>(static_cast<uint8_t>(s[k])); };
    if (IsLead(s[p]) && p + 1 < s.size()) return b(p) * 256 + b(p + 1);
    return b(p);
}

int SingleByteAt(std::string_view s, int64_t i) {
    auto n = static_cast<int64_t>(s.size());
    if (i < 1 || i > n || IsTrailByte(s, i)) return -1;
    if (IsLead(s[static_cast<size_t>(i - 1)]) && i < n) return -1;
    return static_cast<uint8_t>(s[static_cast<size_t>(i - 1)]);
}

std::string CodeToChar(int32_t code) {
    if (code >= 256) return {static_cast<char>((code >> 8) & 0xFF), static_cast<char>(code & 0xFF)};
    return std::string(1, static_cast<char>(code & 0xFF));
}

std::string JCopy(std::string_view s, int64_t start, int64_t count) {
    std::string out;
    if (s.empty() || count <= 0) return out;
    int64_t end = start > INT64_MAX - count ? INT64_MAX : start + count;
    int64_t j = 1;
    for (size_t i = 0; i < s.size() && j < end; ++j) {
        size_t n = sjis::CharLen(s, i);
        if (j >= start) out.append(s.substr(i, n));
        i += n;
    }
    return out;
}

void JDelete(std::string& s, int64_t start, int64_t count) {
    if (start < 1) start = 1;
    if (count <= 0) return;
    size_t from = static_cast<size_t>(CharStart(s, start) - 1);
    if (from >= s.size()) return;
    size_t to = from;
    for (int64_t k = 0; k < count && to < s.size(); ++k) to += sjis::CharLen(s, to);
    s.erase(from, to - from);
}

void JInsert(std::string_view t, std::string& s, int64_t i) {
    if (i < 1) i = 1;
    size_t at = static_cast<size_t>(CharStart(s, i) - 1);
    s.insert(std::min(at, s.size()), t);
}

size_t FindAtCharStart(std::string_view s, std::string_view t, size_t from) {
    if (t.empty()) return std::string_view::npos;
    size_t i = 0;
    // Walk from the start: `from` may not be a character start itself.
    while (i < from && i < s.size()) i += IsLead(s[i]) ? 2 : 1;
    for (; i < s.size() && s.size() - i >= t.size(); i += IsLead(s[i]) ? 2 : 1) {
        if (s.compare(i, t.size(), t) == 0) return i;
    }
    return std::string_view::npos;
}

int64_t JPos(std::string_view t, std::string_view s) {
    if (t.empty()) return 0;
    int64_t n = 1;
    for (size_t i = 0; i < s.size() && s.size() - i >= t.size(); i += IsLead(s[i]) ? 2 : 1, ++n) {
        if (s.compare(i, t.size(), t) == 0) return n;
    }
    return 0;
}

std::string CutToken(std::string& s, std::string_view delimiters) {
    std::string token;
    if (delimiters.empty()) {
        token.swap(s);
        return token;
    }
    for (size_t i = 0; i < s.size(); i += sjis::CharLen(s, i)) {
        if (delimiters.find(s[i]) != std::string_view::npos) {
            token = s.substr(0, i);
            s.erase(0, i + 1);
            return token;
        }
    }
    token.swap(s);
    return token;
}

std::string TrimWide(std::string_view s) {
    size_t b = 0;
    for (;;) {
        if (b < s.size() && s[b] == ' ') ++b;
        else if (b + 1 < s.size() && s[b] == '\x81' && s[b + 1] == '\x40') b += 2;
        else break;
    }
    std::string_view rest = s.substr(b);
    size_t e = rest.size();
    for (;;) {
        auto at = static_cast<int64_t>(e);
        if (e > 0 && rest[e - 1] == ' ' && !IsTrailByte(rest, at)) --e;
        else if (e > 1 && rest[e - 1] == '\x40' && rest[e - 2] == '\x81' && IsTrailByte(rest, at)) e -= 2;
        else break;
    }
    return std::string(rest.substr(0, e));
}

// ---- half-width / full-width ---------------------------------------------

namespace {

// Full-width codes of the ASCII signs 0x20..0x2F, 0x3A..0x40, 0x5B..0x60,
// 0x7B..0x7E (letters and digits follow a rule).
uint16_t FullOfAscii(uint8_t c) {
    static constexpr uint16_t kSigns1[16] = {0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166,
                                             0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E};
    static constexpr uint16_t kSigns2[7] = {0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197};
    static constexpr uint16_t kSigns3[6] = {0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x8165};
    static constexpr uint16_t kSigns4[4] = {0x816F, 0x8162, 0x8170, 0x8160};
    if (c >= 0x20 && c <= 0x2F) return kSigns1[c - 0x20];
    if (c >= '0' && c <= '9') return static_cast<uint16_t>(0x824F + (c - '0'));
    if (c >= 0x3A && c <= 0x40) return kSigns2[c - 0x3A];
    if (c >= 'A' && c <= 'Z') return static_cast<uint16_t>(0x8260 + (c - 'A'));
    if (c >= 0x5B && c <= 0x60) return kSigns3[c - 0x5B];
    if (c >= 'a' && c <= 'z') return static_cast<uint16_t>(0x8281 + (c - 'a'));
    if (c >= 0x7B && c <= 0x7E) return kSigns4[c - 0x7B];
    return 0;
}

// Full-width codes of the half-width signs and katakana 0xA1..0xDF.
constexpr uint16_t kKana[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392,                          // ｡｢｣､･ｦ
    0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362,  // ｧ..ｯ
    0x815B,                                                                  // ｰ
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349,                                  // ｱ..ｵ
    0x834A, 0x834C, 0x834E, 0x8350, 0x8352,                                  // ｶ..ｺ
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C,                                  // ｻ..ｿ
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367,                                  // ﾀ..ﾄ
    0x8369, 0x836A, 0x836B, 0x836C, 0x836D,                                  // ﾅ..ﾉ
    0x836E, 0x8371, 0x8374, 0x8377, 0x837A,                                  // ﾊ..ﾎ
    0x837D, 0x837E, 0x8380, 0x8381, 0x8382,                                  // ﾏ..ﾓ
    0x8384, 0x8386, 0x8388,                                                  // ﾔﾕﾖ
    0x8389, 0x838A, 0x838B, 0x838C, 0x838D,                                  // ﾗ..ﾛ
    0x838F, 0x8393, 0x814A, 0x814B,                                          // ﾜﾝﾞﾟ
};

bool Voiceable(uint8_t c) { return (c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE); }
bool SemiVoiceable(uint8_t c) { return c >= 0xCA && c <= 0xCE; }

void AppendCode(std::string& out, uint16_t code) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

// Half-width text of every full-width character the conversion knows,
// built once from the tables above.
// Every such character lies in 0x8140..0x83FF.
struct ZenTable {
    static constexpr unsigned kFirst = 0x8100, kLast = 0x83FF;
    std::array<std::string, kLast - kFirst + 1> slots;
    std::string& at(unsigned code) { return slots[code - kFirst]; }
    const std::string* find(unsigned code) const {
        return (code >= kFirst && code <= kLast) ? &slots[code - kFirst] : nullptr;
    }
    ZenTable() {
        for (int c = 0x20; c <= 0x7E; ++c) at(FullOfAscii(static_cast<uint8_t>(c))) = std::string(1, static_cast<char>(c));
        at(0x8167) = "\"";  // the left double quotation mark as well
        for (int c = 0xA1; c <= 0xDF; ++c) {
            uint16_t full = kKana[c - 0xA1];
            at(full) = std::string(1, static_cast<char>(c));
            if (Voiceable(static_cast<uint8_t>(c))) at(full + 1u) = std::string{static_cast<char>(c), '\xDE'};
            if (SemiVoiceable(static_cast<uint8_t>(c))) at(full + 2u) = std::string{static_cast<char>(c), '\xDF'};
        }
    }
};

}  // namespace

std::string HanToZen(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        size_t n = sjis::CharLen(s, i);
        auto c = static_cast<uint8_t>(s[i]);
        if (IsLead(s[i])) {
            out.append(s.substr(i, n));
        } else if (c >= 0x20 && c <= 0x7E) {
            AppendCode(out, FullOfAscii(c));
        } else if (c >= 0xA1 && c <= 0xDF) {
            uint16_t full = kKana[c - 0xA1];
            uint8_t next = i + 1 < s.size() ? static_cast<uint8_t>(s[i + 1]) : 0;
            if (next == 0xDE && Voiceable(c)) {
                AppendCode(out, static_cast<uint16_t>(full + 1));
                ++n;
            } else if (next == 0xDF && SemiVoiceable(c)) {
                AppendCode(out, static_cast<uint16_t>(full + 2));
                ++n;
            } else {
                AppendCode(out, full);
            }
        }
        i += n;
    }
    return out;
}

std::string ZenToHan(std::string_view s) {
    static const ZenTable table;
    std::string out;
    for (size_t i = 0; i < s.size();) {
        size_t n = sjis::CharLen(s, i);
        if (n == 1) {
            // A lone lead byte at the end is a character of its own and has
            // no half-width form.
            if (!IsLead(s[i])) out += s[i];
        } else {
            unsigned code = static_cast<uint8_t>(s[i]) * 256u + static_cast<uint8_t>(s[i + 1]);
            if (const std::string* half = table.find(code)) out += *half;
        }
        i += n;
    }
    return out;
}

}  // namespace mivo::script
