#pragma once
// Conversion between the game's CP932 byte strings and UTF-8, used only where
// text crosses to the system: file names, the window, dialogs, the terminal.
#include <string>
#include <string_view>

namespace mivo {

// Bytes that do not convert become '?' (CP932 -> UTF-8) or '?' (UTF-8 -> CP932).
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);
// True when the text converts both ways without loss.
bool IsValidSjis(std::string_view sjis);

}  // namespace mivo
