#pragma once
// Character-wise operations on Shift-JIS byte strings: a character is one
// byte, or a lead byte and whatever byte follows it. Positions are 1-based;
// nothing here ever takes the second byte of a character for ASCII.
#include <cstdint>
#include <string>
#include <string_view>

namespace mivo::script {

int64_t CharCount(std::string_view s);
// Byte position (1-based) of character n; n <= 1 gives 1; past the end, the
// position after the last character.
int64_t CharStart(std::string_view s, int64_t n);
// Whether byte i (1-based, inside the string) is the second byte of a
// double-byte character.
bool IsTrailByte(std::string_view s, int64_t i);
int32_t CharCodeAt(std::string_view s, int64_t n);
std::string CodeToChar(int32_t code);
// Byte i (1-based) when it is a character of its own (neither byte of a
// double-byte character), else -1; also -1 outside the string.
int SingleByteAt(std::string_view s, int64_t i);

std::string JCopy(std::string_view s, int64_t start, int64_t count);
void JDelete(std::string& s, int64_t start, int64_t count);
void JInsert(std::string_view t, std::string& s, int64_t i);
// Character position of the first occurrence of t (only character starts
// are tried), 0 when none. An empty t is never found.
int64_t JPos(std::string_view t, std::string_view s);
// Byte position (0-based) of the first occurrence of t at a character start
// at or after byte `from`, or npos.
size_t FindAtCharStart(std::string_view s, std::string_view t, size_t from = 0);
// Takes the text before the first delimiter byte (at a character start) off
// the front of s, together with that delimiter.
std::string CutToken(std::string& s, std::string_view delimiters);
// Without leading and trailing half-width (0x20) and full-width (0x81 0x40)
// spaces.
std::string TrimWide(std::string_view s);
std::string HanToZen(std::string_view s);
std::string ZenToHan(std::string_view s);

}  // namespace mivo::script
