#pragma once
// Compiled expressions back to source text, for people reading pages. A text
// is only offered when compiling it gives exactly the same stored form, so a
// page written back from its readable form is byte for byte the original.
#include <optional>
#include <string>

namespace mivo::script {

class TMivoParser;

// Source text (CP932) that compiles to the same operations, or nothing.
std::optional<std::string> DecompileExpression(const TMivoParser& parser);
// The stored form of an expression, as bytes.
std::string StoredForm(const TMivoParser& parser);
// Compiles source text (CP932) into a loaded interpreter; raises the
// compiler's error.
void CompileInto(const std::string& source, TMivoParser& out);

}  // namespace mivo::script
