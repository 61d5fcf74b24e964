#pragma once
// The expression compiler: rewrites source text step by step, replacing each
// recognised piece by a temporary after emitting the operations that compute
// it, and writes the result in the stored form the interpreter loads.
#include <string>
#include <string_view>
#include <vector>

#include "script/opcodes.hpp"

namespace mivo {
class TStream;
}

namespace mivo::script {

struct TBuildOpeData {
    uint8_t Code = ocNone;
    std::string Dest;
    uint8_t Function = 0;
    std::vector<std::string> Operands;  // source text of each operand
};

class TBuildMivoParser {
public:
    // Compiles one expression (replacing what was built before). Fails with
    // the compiler's message ("構文エラー", ...).
    void Build(std::string_view text);
    void SaveToStream(TStream& s) const;
    const std::vector<TBuildOpeData>& Operations() const { return ops_; }

    // Source text longer than this is refused: compiling rescans the text
    // once per piece it replaces.
    static constexpr size_t kMaxSourceLength = 1 << 14;

private:
    void Compile(std::string text);
    std::string CompileArgument(std::string_view arg);
    void Strings(std::string& text);
    void Calls(std::string& text);
    void Elements(std::string& text);
    void Groups(std::string& text);
    void Reduce(const std::string& text);
    void RemoveCopies();
    std::string NewTemp();
    std::string NewElementTemp();
    void Emit(uint8_t code, std::string dest, std::vector<std::string> operands, uint8_t function = 0);

    std::vector<TBuildOpeData> ops_;
    int counter_ = 0;
};

}  // namespace mivo::script
