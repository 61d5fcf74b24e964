#pragma once
// Pieces shared by the readable source forms (project descriptions, scenario
// pages): game strings as quoted UTF-8 literals that give back the very same
// CP932 bytes, and a small line tokenizer.
#include <string>
#include <string_view>
#include <vector>

namespace mivo {

// "..." with \\ \" \n \r \t escapes; bytes that do not survive the trip to
// UTF-8 and back are written as \xHH.
std::string QuoteGameString(std::string_view sjis);
// Inverse of QuoteGameString; raises FormatError (naming where) when malformed.
std::string UnquoteGameString(std::string_view literal, const std::string& where);

// A word of a source line as a game string: a quoted literal, or a bare
// word taken as it is (UTF-8 converted to CP932).
std::string GameStringOf(std::string_view word, const std::string& where);

// Extended floats as text that reads back to the same value.
std::string FormatExtended(long double v);
bool ParseExtended(std::string_view text, long double& out);

// Splits a source line into words: bare words and quoted literals (kept with
// their quotes); "#" outside a literal starts a comment.
std::vector<std::string> SplitSourceLine(std::string_view line, const std::string& where);

}  // namespace mivo
