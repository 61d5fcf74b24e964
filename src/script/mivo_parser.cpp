#include "script/mivo_parser.hpp"

#include <cmath>
#include <limits>

#include "core/error.hpp"
#include "data/streams.hpp"
#include "platform/text_encoding.hpp"
#include "script/build_parser.hpp"
#include "script/expr_stream.hpp"
#include "script/param_collection.hpp"
#include "script/script_host.hpp"
#include "script/sysfuncs.hpp"

namespace mivo::script {

namespace {

int64_t Remaining(TStream& s) { return s.Size() - s.Position(); }

std::unique_ptr<TCustomParam> ReadOperand(TStream& s) {
    uint8_t kind = ReadByte(s);
    switch (kind) {
        case PT_NONE: {
            auto ref = std::make_unique<TParamVar>();
            ref->Name = ReadStr(s, kMaxStrLen);
            return ref;
        }
        case PT_INT: {
            auto p = std::make_unique<TParamInt>();
            p->SetInt(ReadInt32(s));
            return p;
        }
        case PT_FLOAT: {
            auto p = std::make_unique<TParamFloat>();
            p->SetFloat(ReadExtendedValue(s));
            return p;
        }
        case PT_BOOL: {
            auto p = std::make_unique<TParamFlag>();
            p->SetBool(ReadByte(s) != 0);
            return p;
        }
        case PT_STR: {
            auto p = std::make_unique<TParamStr>();
            p->SetStr(ReadStr(s, kMaxStrLen));
            return p;
        }
        default: throw FormatError("expression: bad operand kind " + std::to_string(kind));
    }
}

void WriteOperand(TStream& s, const TCustomParam& p) {
    if (auto* ref = p.AsRef()) {
        WriteByte(s, PT_NONE);
        WriteStr(s, ref->Name);
        return;
    }
    uint8_t kind = p.GetKind();
    WriteByte(s, kind);
    switch (kind) {
        case PT_INT: WriteInt32(s, p.AsInt()); break;
        case PT_FLOAT: WriteExtendedValue(s, p.AsFloat()); break;
        case PT_BOOL: WriteByte(s, p.AsBool() ? 1 : 0); break;
        default: WriteStr(s, p.AsStr()); break;
    }
}

std::unique_ptr<TCustomParam> CopyOperand(const TCustomParam& p) {
    if (auto* ref = p.AsRef()) {
        auto copy = std::make_unique<TParamVar>();
        copy->Name = ref->Name;
        return copy;
    }
    return CloneValue(p);
}

[[noreturn]] void Fail(const std::string& message) { throw Error(message); }

[[noreturn]] void FailMissing(std::string_view name) { Fail("\"" + SjisToUtf8(name) + "\" 変数がありません"); }

[[noreturn]] void FailBadOperation(const TOpeData& op) {
    std::string m = "不正な式\r\n\r\n代入先:" + SjisToUtf8(op.Dest) + "演算タイプ:" + OpCodeName(op.Code);
    for (const auto& p : op.Operands) {
        auto* ref = p->AsRef();
        m += "\r\n" + SjisToUtf8(ref ? ref->Name : p->AsStr());
    }
    Fail(m);
}

[[noreturn]] void FailDivision() { Fail("0で除算しました"); }

// Unbinds the reference operands of an operation however it ends.
struct UnbindGuard {
    TOpeData& op;
    ~UnbindGuard() {
        for (auto& p : op.Operands)
            if (auto* ref = p->AsRef()) ref->Unbind();
    }
};

struct EvaluationGuard {
    TParamCollection& vars;
    EvaluationGuard(TParamCollection& v, TTempScope& t) : vars(v) { vars.EnterEvaluation(t); }
    ~EvaluationGuard() { vars.LeaveEvaluation(); }
};

const TCustomParam& Operand(const TOpeData& op, size_t i) {
    if (i >= op.Operands.size()) FailBadOperation(op);
    return *op.Operands[i];
}

uint8_t NumericKind(const TOpeData& op) {
    uint8_t l = Operand(op, 0).GetKind(), r = Operand(op, 1).GetKind();
    return (l == PT_FLOAT || r == PT_FLOAT) ? PT_FLOAT : PT_INT;
}

// Kind of a new temporary written by an operation.
uint8_t ResultKind(const TOpeData& op, TSysFuncMan& env) {
    switch (op.Code) {
        case ocTo: return Operand(op, 0).GetKind();
        case ocPlus:
            if (Operand(op, 0).GetKind() == PT_STR) return PT_STR;
            return NumericKind(op);
        case ocMinus:
        case ocMul:
        case ocDiv: return NumericKind(op);
        case ocMod:
        case ocOr:
        case ocAnd:
        case ocXor:
        case ocShiftL:
        case ocShiftR: return PT_INT;
        case ocDimTo: return PT_NONE;
        case ocFunc: {
            if (op.Function >= kSysFuncCount) return PT_STR;
            if (std::string_view(SysFunction(op.Function).name) == "GetProp") {
                int32_t id = op.Operands.size() > 1 ? op.Operands[1]->AsInt() : -1;
                if (id < 0 || id > 165) Fail("GetPropの引数が違います");
                TScriptHost* host = env.Host();
                return host ? host->PropertyKind(id) : uint8_t{PT_STR};
            }
            return SysFunction(op.Function).result;
        }
        case ocComboStr: return PT_STR;
        default: return PT_BOOL;  // the comparisons
    }
}

int32_t IntOp(uint8_t code, int32_t a, int32_t b) {
    auto ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
    switch (code) {
        case ocPlus: return static_cast<int32_t>(ua + ub);
        case ocMinus: return static_cast<int32_t>(ua - ub);
        case ocMul: return static_cast<int32_t>(ua * ub);
        case ocDiv:
        case ocMod:
            // The quotient of INT_MIN by -1 does not fit: a division
            // failure like the one by zero.
            if (b == 0 || (a == std::numeric_limits<int32_t>::min() && b == -1)) FailDivision();
            return code == ocDiv ? a / b : a % b;
        case ocOr: return a | b;
        case ocAnd: return a & b;
        case ocXor: return a ^ b;
        case ocShiftL: return static_cast<int32_t>(ua << (ub & 31));
        default: return static_cast<int32_t>(ua >> (ub & 31));  // ocShiftR
    }
}

long double FloatOp(uint8_t code, long double a, long double b) {
    switch (code) {
        case ocPlus: return a + b;
        case ocMinus: return a - b;
        case ocMul: return a * b;
        default:
            if (b == 0) FailDivision();
            return a / b;
    }
}

template <class T>
bool Compare(uint8_t code, const T& a, const T& b) {
    switch (code) {
        case ocEqual: return a == b;
        case ocNEqual: return a != b;
        case ocBig: return a > b;
        case ocSmall: return a < b;
        case ocEBig: return a >= b;
        default: return a <= b;  // ocESmall
    }
}

bool Comparison(uint8_t code, const TCustomParam& l, const TCustomParam& r) {
    switch (l.GetKind()) {
        case PT_STR: {
            // Byte-wise ordinal order (std::string compares as unsigned char).
            int c = l.AsStr().compare(r.AsStr());
            return Compare(code, c, 0);
        }
        case PT_FLOAT: return Compare(code, l.AsFloat(), r.AsFloat());
        case PT_BOOL: return Compare(code, uint8_t{l.AsBool()}, uint8_t{r.AsBool()});
        default: return Compare(code, l.AsInt(), r.AsInt());
    }
}

void ElementReference(const TOpeData& op, TParamCollectionItem& dest, TParamCollection& vars) {
    auto* ref = dest.Param->AsRef();
    if (!ref) FailBadOperation(op);
    auto* name_ref = Operand(op, 0).AsRef();
    if (!name_ref) FailBadOperation(op);
    TParamCollectionItem* array = vars.Find(name_ref->Name);
    if (!array) FailMissing(name_ref->Name);
    const TCustomParam& a = array->P();
    // "name[i,j]" and the reason, made only when the reference fails.
    auto fail = [&](const char* reason) {
        std::string m = SjisToUtf8(name_ref->Name) + "[";
        for (size_t k = 1; k < op.Operands.size(); ++k) m += (k > 1 ? "," : "") + std::to_string(op.Operands[k]->AsInt());
        Fail(m + "]\r\n" + reason);
    };
    auto indexes = static_cast<int32_t>(op.Operands.size() - 1);
    if (indexes != a.GetDimCount()) fail("添え字が不正です");
    int64_t linear = 0;
    for (int32_t k = 0; k < indexes; ++k) {
        linear = linear * a.GetDim(k) + op.Operands[static_cast<size_t>(k) + 1]->AsInt();
        // Far outside either way: no element can match any more.
        if (linear > kMaxElements * int64_t{1024} || linear < -kMaxElements * int64_t{1024}) break;
    }
    if (linear >= a.GetCount()) fail("要素数を超えています");
    ref->Name = name_ref->Name;
    ref->Target = array;
    ref->IsElement = true;
    // A negative index is caught when the element is used.
    ref->ElementIndex = static_cast<int32_t>(std::max<int64_t>(linear, std::numeric_limits<int32_t>::min()));
}

}  // namespace

TMivoParser::TMivoParser() = default;
TMivoParser::~TMivoParser() = default;
TMivoParser::TMivoParser(TMivoParser&&) noexcept = default;
TMivoParser& TMivoParser::operator=(TMivoParser&&) noexcept = default;

void TMivoParser::Clear() {
    ops_.clear();
    result_.reset();
}

void TMivoParser::LoadFromStream(TStream& s) {
    Clear();
    int32_t count = ReadInt32(s);
    // An operation record takes at least 9 bytes, an operand 2.
    if (count < 0 || int64_t{count} * 9 > Remaining(s))
        throw FormatError("expression: bad operation count " + std::to_string(count));
    std::vector<TOpeData> ops;
    ops.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        TOpeData op;
        op.Code = ReadByte(s);
        op.Dest = ReadStr(s, kMaxStrLen);
        int32_t operands = ReadInt32(s);
        if (op.Code == ocFunc) op.Function = ReadByte(s);
        if (operands < 0 || int64_t{operands} * 2 > Remaining(s))
            throw FormatError("expression: bad operand count " + std::to_string(operands));
        for (int32_t k = 0; k < operands; ++k) op.Operands.push_back(ReadOperand(s));
        ops.push_back(std::move(op));
    }
    ops_ = std::move(ops);
}

void TMivoParser::SaveToStream(TStream& s) const {
    WriteOperations(s, ops_, [](TStream& out, const auto& p) { WriteOperand(out, *p); });
}

void TMivoParser::Assign(const TMivoParser& other) {
    if (&other == this) return;
    std::vector<TOpeData> ops;
    for (const TOpeData& op : other.ops_) {
        TOpeData copy{op.Code, op.Dest, op.Function, {}, {}};
        for (const auto& p : op.Operands) copy.Operands.push_back(CopyOperand(*p));
        ops.push_back(std::move(copy));
    }
    ops_ = std::move(ops);
    result_.reset();
}

void TMivoParser::Run(TOpeData& op, TSysFuncMan& env, TTempScope& temps) {
    TParamCollection& vars = env.Vars();
    UnbindGuard unbind{op};
    for (auto& p : op.Operands) {
        if (auto* ref = p->AsRef()) {
            TParamCollectionItem* item = vars.FindCached(*ref);
            if (!item) FailMissing(ref->Name);
            ref->ElementIndex = 0;
            ref->IsElement = false;
            ref->Bind(item);
        }
    }
    if (op.Code == ocNone || op.Code > ocLast) FailBadOperation(op);
    if (op.DestRef.Name != op.Dest) op.DestRef.Name = op.Dest;
    TParamCollectionItem* dest = vars.FindCached(op.DestRef);
    if (!dest && IsTempName(op.Dest)) dest = &temps.Add(op.Dest, ResultKind(op, env));
    if (!dest) FailMissing(op.Dest);
    TCustomParam& d = dest->P();

    switch (op.Code) {
        case ocTo: {
            const TCustomParam& src = Operand(op, 0);
            switch (d.GetKind()) {
                case PT_INT: d.SetInt(src.AsInt()); break;
                case PT_FLOAT: d.SetFloat(src.AsFloat()); break;
                case PT_BOOL: d.SetBool(src.AsBool()); break;
                case PT_STR: d.SetStr(src.AsStr()); break;
                default: break;
            }
            break;
        }
        case ocPlus:
        case ocMinus:
        case ocMul:
        case ocDiv: {
            const TCustomParam &l = Operand(op, 0), &r = Operand(op, 1);
            if (d.GetKind() == PT_FLOAT) d.SetFloat(FloatOp(op.Code, l.AsFloat(), r.AsFloat()));
            else d.SetInt(IntOp(op.Code, l.AsInt(), r.AsInt()));
            break;
        }
        case ocMod:
        case ocOr:
        case ocAnd:
        case ocXor:
        case ocShiftL:
        case ocShiftR: d.SetInt(IntOp(op.Code, Operand(op, 0).AsInt(), Operand(op, 1).AsInt())); break;
        case ocComboStr: {
            std::string l = Operand(op, 0).AsStr(), r = Operand(op, 1).AsStr();
            CheckStrLen(static_cast<int64_t>(l.size() + r.size()));
            d.SetStr(l + r);
            break;
        }
        case ocDimTo: ElementReference(op, *dest, vars); break;
        case ocFunc: {
            std::vector<TCustomParam*> args;
            args.reserve(op.Operands.size());
            for (auto& p : op.Operands) args.push_back(p.get());
            env.CallFunction(*dest, op.Function, args);
            break;
        }
        default: d.SetBool(Comparison(op.Code, Operand(op, 0), Operand(op, 1))); break;
    }
}

void TMivoParser::Execute(TSysFuncMan& env, TTempScope* seed) {
    result_.reset();
    last_error_.clear();
    TParamCollection& vars = env.Vars();
    if (vars.EvaluationDepth() >= kMaxEvaluationDepth) {
        last_error_ = "式の入れ子が深すぎます";
        return;
    }
    // Temporaries start afresh each run; their storage is kept unless this
    // parser is already running (re-entered through the host).
    TTempScope own;
    if (!temps_) temps_ = std::make_unique<TTempScope>();
    TTempScope& temps = seed ? *seed : running_ ? own : *temps_;
    if (&temps == temps_.get()) temps.Reset();
    bool was_running = running_;
    running_ = true;
    struct RunningGuard {
        bool& flag;
        bool value;
        ~RunningGuard() { flag = value; }
    } running_guard{running_, was_running};
    EvaluationGuard guard(vars, temps);
    try {
        for (TOpeData& op : ops_) Run(op, env, temps);
    } catch (const std::exception& e) {
        // The evaluation ends here, quietly; what ran before keeps its effect.
        last_error_ = e.what();
    }
    if (!ops_.empty() && ops_.back().Code == ocTo && ops_.back().Dest == "____arg") {
        if (TParamCollectionItem* arg = temps.Find("____arg")) result_ = CloneValue(arg->P());
    }
}

bool CompileExpression(std::string_view text, TMivoParser& parser, std::string* error) {
    // Through the stored form, so that what runs is exactly what a page
    // holding this expression would run.
    try {
        TBuildMivoParser build;
        build.Build(text);
        TMemoryStream stream;
        build.SaveToStream(stream);
        stream.SetPosition(0);
        parser.LoadFromStream(stream);
    } catch (const Error& e) {
        if (error) *error = e.what();
        return false;
    }
    return true;
}

bool CompileAndRun(std::string_view text, TSysFuncMan& env, std::string* error) {
    std::string_view trimmed = text;
    while (!trimmed.empty() && static_cast<uint8_t>(trimmed.front()) <= ' ') trimmed.remove_prefix(1);
    while (!trimmed.empty() && static_cast<uint8_t>(trimmed.back()) <= ' ') trimmed.remove_suffix(1);
    if (trimmed.empty()) return false;
    TMivoParser parser;
    if (!CompileExpression(trimmed, parser, error)) return false;
    parser.Execute(env);
    if (error) *error = parser.LastError();
    return true;
}

bool AssignToTarget(std::string_view target, const TCustomParam& value, TSysFuncMan& env, std::string* error) {
    static constexpr const char* kValueName = "____value";
    TMivoParser parser;
    if (!CompileExpression(std::string(target) + " = " + kValueName, parser, error)) return false;
    TTempScope seed;
    auto text = std::make_unique<TParamStr>();
    text->SetStr(value.AsStr());
    seed.Seed(kValueName, std::move(text));
    parser.Execute(env, &seed);
    if (error) *error = parser.LastError();
    return parser.LastError().empty();
}

}  // namespace mivo::script
