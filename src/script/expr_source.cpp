#include "script/expr_source.hpp"

#include <cstdio>
#include <map>

#include "data/streams.hpp"
#include "script/build_parser.hpp"
#include "script/mivo_parser.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"

namespace mivo::script {

namespace {

struct Piece {
    std::string text;
    bool composite = false;  // needs parentheses as an operand
};

// One rendering of an operand; false when it cannot be written as source.
bool Operand(const TCustomParam& p, const std::map<std::string, Piece>& temps, bool parens, std::string& out) {
    if (auto* v = dynamic_cast<const TParamVar*>(&p)) {
        auto it = temps.find(v->Name);
        if (it == temps.end()) {
            if (IsTempName(v->Name)) return false;
            out = v->Name;
        } else {
            out = parens && it->second.composite ? "(" + it->second.text + ")" : it->second.text;
        }
        return true;
    }
    switch (p.GetKind()) {
        case PT_INT: out = std::to_string(p.AsInt()); return true;
        case PT_FLOAT: {
            char b[64];
            std::snprintf(b, sizeof b, "%.21Lg", p.AsFloat());
            out = b;
            if (out.find_first_of("eEn") != std::string::npos) return false;
            if (out.find('.') == std::string::npos) out += ".0";
            return true;
        }
        case PT_BOOL: out = p.AsBool() ? "TRUE" : "FALSE"; return true;
        case PT_STR: {
            std::string s = p.AsStr();
            if (s.find_first_of("\"\r\n") != std::string::npos) return false;
            out = "\"" + s + "\"";
            return true;
        }
        default: return false;
    }
}

std::optional<std::string> Render(const TMivoParser& parser, bool parens) {
    std::map<std::string, Piece> temps;
    std::string statement;
    const auto& ops = parser.Operations();
    for (size_t i = 0; i < ops.size(); ++i) {
        const TOpeData& op = ops[i];
        std::vector<std::string> args;
        for (const auto& operand : op.Operands) {
            std::string t;
            if (!Operand(*operand, temps, parens, t)) return std::nullopt;
            args.push_back(std::move(t));
        }
        Piece piece;
        switch (op.Code) {
            case ocTo:
                if (args.size() != 1) return std::nullopt;
                piece.text = args[0];
                break;
            case ocFunc: {
                if (op.Function >= kSysFuncCount) return std::nullopt;
                std::string call = std::string(SysFunction(op.Function).name) + "(";
                for (size_t k = 0; k < args.size(); ++k) call += (k ? ", " : "") + args[k];
                piece.text = call + ")";
                break;
            }
            case ocDimTo: {
                if (args.size() < 2) return std::nullopt;
                std::string el = args[0] + "[";
                for (size_t k = 1; k < args.size(); ++k) el += (k > 1 ? ", " : "") + args[k];
                piece.text = el + "]";
                break;
            }
            default: {
                const char* sym = OpCodeSymbol(op.Code);
                if (!sym || !*sym || args.size() != 2) return std::nullopt;
                piece.text = args[0] + " " + sym + " " + args[1];
                piece.composite = true;
            }
        }
        bool last = i + 1 == ops.size();
        if (IsTempName(op.Dest) && op.Dest != "____arg") {
            temps[op.Dest] = piece;
            if (last) return std::nullopt;
        } else if (!last) {
            return std::nullopt;  // several statements: not written as one text
        } else if (op.Dest == "____arg") {
            statement = piece.text;
        } else {
            statement = op.Dest + " = " + piece.text;
        }
    }
    return statement;
}

}  // namespace

std::string StoredForm(const TMivoParser& parser) {
    TMemoryStream s;
    parser.SaveToStream(s);
    return s.Bytes();
}

void CompileInto(const std::string& source, TMivoParser& out) {
    TBuildMivoParser build;
    build.Build(source);
    TMemoryStream s;
    build.SaveToStream(s);
    s.SetPosition(0);
    out.Clear();
    out.LoadFromStream(s);
}

std::optional<std::string> DecompileExpression(const TMivoParser& parser) {
    std::string want = StoredForm(parser);
    if (parser.Operations().empty()) return std::string();
    for (bool parens : {true, false}) {
        auto text = Render(parser, parens);
        if (!text) continue;
        try {
            TMivoParser again;
            CompileInto(*text, again);
            if (StoredForm(again) == want) return text;
        } catch (const std::exception&) {
        }
    }
    return std::nullopt;
}

}  // namespace mivo::script
