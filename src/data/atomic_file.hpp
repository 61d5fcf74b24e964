#pragma once
// Writes user data (saves, settings) so that a crash or a full disk never
// leaves a half-written file: a temporary file in the same folder, flushed,
// then renamed over the old one.
#include <string>
#include <string_view>

namespace mivo {

// Raises an Error naming the file when it cannot be written.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace mivo
