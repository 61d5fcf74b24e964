#pragma once
// Compiled expressions: a flat list of operations, each writing one
// destination from a few operands, loaded from the stored form of a page and
// executed against the variable collection.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/opcodes.hpp"
#include "script/params.hpp"

namespace mivo {
class TStream;
}

namespace mivo::script {

class TParamCollection;
class TParamCollectionItem;
class TSysFuncMan;
class TTempScope;

struct TOpeData {
    uint8_t Code = ocNone;
    std::string Dest;
    uint8_t Function = 0;
    // Constants (TParamInt, TParamFloat, TParamFlag, TParamStr) or
    // references (TParamVar) holding only a name.
    std::vector<std::unique_ptr<TCustomParam>> Operands;
    // Where Dest was last found (a reference used for its cache only).
    TParamVar DestRef;
};

// Nested evaluations ("Calc" inside an expression) beyond this depth fail.
inline constexpr int kMaxEvaluationDepth = 32;

class TMivoParser {
public:
    TMivoParser();
    ~TMivoParser();
    TMivoParser(TMivoParser&&) noexcept;
    TMivoParser& operator=(TMivoParser&&) noexcept;

    void Clear();
    void LoadFromStream(TStream& s);
    void SaveToStream(TStream& s) const;
    void Assign(const TMivoParser& other);
    void Add(TOpeData op) { ops_.push_back(std::move(op)); }

    // Runs the operations in order. The first failure ends the evaluation
    // quietly; what ran before it keeps its effects. `seed` holds
    // temporaries handed in before the run.
    void Execute(TSysFuncMan& env, TTempScope* seed = nullptr);

    // Copy of "____arg" when the last operation writes it and ran; else null.
    TCustomParam* Result() const { return result_.get(); }
    std::unique_ptr<TCustomParam> TakeResult() { return std::move(result_); }
    // Why the last evaluation stopped early ("" when it ran through).
    const std::string& LastError() const { return last_error_; }
    const std::vector<TOpeData>& Operations() const { return ops_; }

private:
    void Run(TOpeData& op, TSysFuncMan& env, TTempScope& temps);
    std::vector<TOpeData> ops_;
    // Storage for the temporaries, kept between runs.
    std::unique_ptr<TTempScope> temps_;
    bool running_ = false;
    std::unique_ptr<TCustomParam> result_;
    std::string last_error_;
};

// Compiles source text into an interpreter (through the stored form). False
// with the compiler's message in `error` when it does not compile.
bool CompileExpression(std::string_view text, TMivoParser& parser, std::string* error = nullptr);

// Compiles text at run time and runs it with a fresh interpreter. False when
// the text is empty or does not compile (the error is not shown). `error`
// receives the compile or evaluation failure when given.
bool CompileAndRun(std::string_view text, TSysFuncMan& env, std::string* error = nullptr);

// Hands a value to a target written as source text (a variable, an element
// "a[i]", ...). The value is passed as its text, converted on assignment,
// but never pasted into the source: quotes or backslashes in it stay data.
bool AssignToTarget(std::string_view target, const TCustomParam& value, TSysFuncMan& env,
                    std::string* error = nullptr);

}  // namespace mivo::script
