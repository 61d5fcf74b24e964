#include "scenario/source_text.hpp"

#include <cstdio>
#include <cstdlib>

#include "core/error.hpp"
#include "platform/text_encoding.hpp"

namespace mivo {

std::string QuoteGameString(std::string_view sjis) {
    std::string out = "\"";
    bool faithful = IsValidSjis(sjis) && Utf8ToSjis(SjisToUtf8(sjis)) == sjis;
    std::string text = faithful ? SjisToUtf8(sjis) : std::string(sjis);
    for (unsigned char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F || (!faithful && c >= 0x80)) {
                    char b[8];
                    std::snprintf(b, sizeof b, "\\x%02X", c);
                    out += b;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    return out + "\"";
}

std::string UnquoteGameString(std::string_view lit, const std::string& where) {
    if (lit.size() < 2 || lit.front() != '"' || lit.back() != '"')
        throw FormatError(where + ": expected a quoted string");
    lit = lit.substr(1, lit.size() - 2);
    // Plain UTF-8 runs are converted to CP932; \xHH bytes go in as they are.
    std::string out, run;
    auto flush = [&] {
        out += Utf8ToSjis(run);
        run.clear();
    };
    for (size_t i = 0; i < lit.size(); ++i) {
        char c = lit[i];
        if (c != '\\') {
            run.push_back(c);
            continue;
        }
        if (++i >= lit.size()) throw FormatError(where + ": string ends in a backslash");
        switch (lit[i]) {
            case '\\': run.push_back('\\'); break;
            case '"': run.push_back('"'); break;
            case 'n': run.push_back('\n'); break;
            case 'r': run.push_back('\r'); break;
            case 't': run.push_back('\t'); break;
            case 'x': {
                if (i + 2 >= lit.size()) throw FormatError(where + ": short \\x escape");
                std::string hex(lit.substr(i + 1, 2));
                char* end = nullptr;
                long v = std::strtol(hex.c_str(), &end, 16);
                if (hex.size() != 2 || *end) throw FormatError(where + ": bad \\x escape");
                flush();
                out.push_back(static_cast<char>(v));
                i += 2;
                break;
            }
            default: throw FormatError(where + ": unknown escape \\" + std::string(1, lit[i]));
        }
    }
    flush();
    return out;
}

std::string GameStringOf(std::string_view word, const std::string& where) {
    if (!word.empty() && word.front() == '"') return UnquoteGameString(word, where);
    return Utf8ToSjis(word);
}

std::string FormatExtended(long double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.21Lg", v);
    return b;
}

bool ParseExtended(std::string_view text, long double& out) {
    std::string s(text);
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtold(s.c_str(), &end);
    return *end == '\0';
}

std::vector<std::string> SplitSourceLine(std::string_view line, const std::string& where) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            size_t j = i + 1;
            while (j < line.size() && line[j] != '"') j += line[j] == '\\' ? 2 : 1;
            if (j >= line.size()) throw FormatError(where + ": unterminated string");
            words.emplace_back(line.substr(i, j + 1 - i));
            i = j + 1;
        } else {
            size_t j = i;
            while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' && line[j] != '"')
                ++j;
            words.emplace_back(line.substr(i, j - i));
            i = j;
        }
    }
    return words;
}

}  // namespace mivo
