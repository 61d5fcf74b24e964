#pragma once
// Finding game files on disk. Game names are CP932 with '\' between folders;
// on disk they may be stored in CP932 or UTF-8 and in any letter case. A name
// never reaches outside its root: absolute names, drive letters and ".." are
// refused.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivo {

// Whether a path is a regular file / a folder (following links).
bool IsRegularFile(const std::string& path);
bool IsDirectory(const std::string& path);

// Splits a game name into its folder parts (double-byte aware: a 0x5C trail
// byte is not a separator; '/' also separates). Returns nothing when the name
// is absolute or steps upwards.
std::optional<std::vector<std::string>> SplitGameName(std::string_view name);

// The path of `name` below `root` (a directory path), matched part by part
// without regard to case, by CP932 or UTF-8 file name; nothing when absent.
std::optional<std::string> FindFileUnder(const std::string& root, std::string_view name);

// Every regular file below root/folder, as game names relative to root
// (CP932, '\' separated), in a stable order.
std::vector<std::string> ListFilesUnder(const std::string& root, std::string_view folder);

// The folder part of a game name: everything before its last '\' (empty for
// a root name).
std::string GameFolderOf(std::string_view name);
// The extension of a game name including its dot ("" when none).
std::string GameExtensionOf(std::string_view name);

}  // namespace mivo
