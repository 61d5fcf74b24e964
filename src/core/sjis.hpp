#pragma once
// The smallest Shift-JIS facts every layer needs: which bytes open a
// double-byte character, and ASCII-only case folding that never touches a
// trail byte (0x5C, 0x5B-0x5D, 0x7C and the letters occur as trail bytes).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mivo::sjis {

inline bool IsLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool IsLead(char c) { return IsLead(static_cast<uint8_t>(c)); }

// Length in bytes of the character starting at s[i] (1 or 2; 1 for a lead
// byte at the very end).
inline size_t CharLen(std::string_view s, size_t i) {
    return (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
}

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string LowerCase(std::string_view s);
std::string UpperCase(std::string_view s);
// Equal without regard to the case of single-byte letters.
bool SameText(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp on the case-folded strings.
int CompareText(std::string_view a, std::string_view b);

}  // namespace mivo::sjis
