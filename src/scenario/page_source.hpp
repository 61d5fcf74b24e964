#pragma once
// The readable form of a scenario page: one line per command, indented two
// spaces per nesting level, with its fields as name=value pairs and its
// expressions as source text. Dumping a page and building the text again
// gives the same bytes.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "scenario/page.hpp"

namespace mivo {

std::string DumpPageSource(const TPage& page);

// Finds a label in another page of the game while a page is built; nothing
// when the page or label is unknown.
using LabelResolver = std::function<std::optional<int>(const std::string& page, const std::string& label)>;

// Builds a page (named page_name) from its source text. Raises FormatError
// naming the source file and line for malformed text, and the compiler's
// message for an expression that does not compile.
void BuildPageFromSource(std::string_view text, const std::string& source, const std::string& page_name, TPage& out,
                         const LabelResolver& resolve = nullptr);

// The labels of a page's source, in order (for resolving jumps between pages
// before any of them is built).
std::vector<std::pair<std::string, int>> ScanSourceLabels(std::string_view text, const std::string& source);

}  // namespace mivo
