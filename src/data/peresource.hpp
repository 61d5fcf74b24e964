#pragma once
// Finds a resource inside a Windows executable (PE) by name and type, so that
// a game stored as a resource of its original program can be read in place.
#include <cstdint>
#include <optional>
#include <string>

namespace mivo {

struct FileWindow {
    int64_t offset = 0;
    int64_t size = 0;
};

// Names are matched without regard to case; "#123" names a numeric id.
// Returns nothing when the file is not a PE image or has no such resource;
// a malformed image never reads outside the file.
std::optional<FileWindow> FindPeResource(const std::string& module, const std::string& name,
                                         const std::string& type);

}  // namespace mivo
