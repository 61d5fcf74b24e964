#pragma once
// The readable form of a project file: one "key value" line per field, one
// "var" line per initial variable and one "disk" line per folder-disk entry.
// Dumping a project file and building the text again gives the same bytes.
#include <string>
#include <string_view>

#include "scenario/project_file.hpp"

namespace mivo {

std::string DumpProjectSource(const TProjectSetting& p);
// Raises FormatError naming the source and line when the text is malformed.
TProjectSetting ParseProjectSource(std::string_view text, const std::string& source);

}  // namespace mivo
