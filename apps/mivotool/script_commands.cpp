// Script commands: evaluate expressions against a set of declared variables,
// show what an expression compiles to, and read a compiled expression back.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "core/error.hpp"
#include "data/streams.hpp"
#include "platform/text_encoding.hpp"
#include "script/build_parser.hpp"
#include "script/mivo_parser.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"
#include "script/var_listing.hpp"
#include "tool.hpp"

namespace mivotool {

namespace {

using namespace mivo;
using namespace mivo::script;

void PrintLine(const std::string& sjis) { std::printf("%s\n", SjisToUtf8(sjis).c_str()); }

uint8_t KindOfWord(const std::string& word) {
    if (word == "int") return PT_INT;
    if (word == "float") return PT_FLOAT;
    if (word == "bool") return PT_BOOL;
    if (word == "str") return PT_STR;
    throw UsageError("unknown kind '" + word + "' (int, float, bool or str)");
}

struct Declared {
    std::string name;  // CP932
    uint8_t kind;
    std::vector<int32_t> dims;
    std::optional<std::string> value;
};

// NAME[:KIND][=VALUE] with NAME possibly NAME[3,4].
Declared ParseVar(const std::string& decl) {
    Declared d;
    size_t colon = decl.find(':', decl.find(']') == std::string::npos ? 0 : decl.find(']'));
    if (colon == std::string::npos) throw UsageError("--var needs NAME:KIND[=VALUE]");
    std::string name = decl.substr(0, colon), rest = decl.substr(colon + 1);
    size_t eq = rest.find('=');
    d.kind = KindOfWord(rest.substr(0, eq));
    if (eq != std::string::npos) d.value = Utf8ToSjis(rest.substr(eq + 1));
    size_t open = name.find('[');
    if (open != std::string::npos) {
        if (name.back() != ']') throw UsageError("bad array declaration '" + name + "'");
        std::string sizes = name.substr(open + 1, name.size() - open - 2);
        name.resize(open);
        size_t from = 0;
        for (;;) {
            size_t comma = sizes.find(',', from);
            std::string part = sizes.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
            auto n = TryStrToInt(part);
            if (!n) throw UsageError("bad array size '" + part + "'");
            d.dims.push_back(*n);
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
    }
    d.name = Utf8ToSjis(name);
    return d;
}

void Create(TParamCollection& vars, const Declared& d) {
    TParamCollectionItem& item = vars.VarNew(d.name, d.kind, VarScope::Global, nullptr);
    TCustomParam& p = item.P();
    if (!d.dims.empty()) p.SetDims(d.dims);
    if (d.value) {
        TParamStr text;
        text.SetStr(*d.value);
        for (int64_t i = 0; i < p.GetCount(); ++i) CopyElement(p, i, text, 0);
    }
}

void PrintVars(TParamCollection& vars, const std::vector<Declared>& declared) {
    std::map<std::string, const TParamCollectionItem*> sorted;
    for (const Declared& d : declared)
        if (const TParamCollectionItem* item = vars.Find(d.name)) sorted[item->Name()] = item;
    std::vector<std::string> lines;
    for (const auto& [name, item] : sorted) AppendVariableLines(name, item->P(), lines);
    for (const std::string& line : lines) PrintLine(line);
}

int RunEval(const Args& args) {
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    std::vector<Declared> declared;
    std::vector<std::string> exprs;
    bool print_vars = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--var") {
            if (i + 1 >= args.size()) throw UsageError("--var needs NAME:KIND[=VALUE]");
            declared.push_back(ParseVar(args[++i]));
        } else if (args[i].rfind("--var=", 0) == 0) {
            declared.push_back(ParseVar(args[i].substr(6)));
        } else if (args[i] == "--vars") {
            print_vars = true;
        } else {
            exprs.push_back(Utf8ToSjis(args[i]));
        }
    }
    if (exprs.empty() && !print_vars) throw UsageError("no expression given");
    for (const Declared& d : declared) Create(vars, d);
    for (const std::string& text : exprs) {
        TMivoParser parser;
        std::string error;
        if (!CompileExpression(text, parser, &error)) {
            std::printf("error: %s\n", error.c_str());
            continue;
        }
        parser.Execute(funcs);
        if (!parser.LastError().empty())
            std::fprintf(stderr, "mivotool eval: evaluation stopped: %s\n", parser.LastError().c_str());
        if (TCustomParam* result = parser.Result()) PrintLine(result->AsStr());
        else std::printf("(none)\n");
    }
    if (print_vars) PrintVars(vars, declared);
    return kOk;
}

std::string ToHex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string FromHex(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    if (digits.size() % 2) throw UsageError("odd number of hex digits");
    std::string out;
    for (size_t i = 0; i < digits.size(); i += 2) {
        auto v = TryStrToInt("$" + digits.substr(i, 2));
        if (!v || digits[i] == '-' || digits[i] == '+') throw UsageError("not hex: '" + digits.substr(i, 2) + "'");
        out += static_cast<char>(*v);
    }
    return out;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string OperandText(const TCustomParam& p) {
    if (auto* ref = dynamic_cast<const TParamVar*>(&p)) return ref->Name;
    return p.GetKind() == PT_STR ? Quote(p.AsStr()) : p.AsStr();
}

int RunExpr(const Args& args) {
    if (args.size() != 2) throw UsageError("expected 'compile EXPR' or 'dump HEX'");
    if (args[0] == "compile") {
        TBuildMivoParser build;
        build.Build(Utf8ToSjis(args[1]));
        TMemoryStream stream;
        build.SaveToStream(stream);
        std::printf("%s\n", ToHex(stream.Bytes()).c_str());
        return kOk;
    }
    if (args[0] == "dump") {
        TMemoryStream stream(FromHex(args[1]));
        TMivoParser parser;
        parser.LoadFromStream(stream);
        if (stream.Position() != stream.Size())
            std::fprintf(stderr, "mivotool expr: %lld bytes after the expression\n",
                         static_cast<long long>(stream.Size() - stream.Position()));
        for (const TOpeData& op : parser.Operations()) {
            std::string line = OpCodeName(op.Code) + " " + op.Dest;
            if (op.Code == ocFunc)
                line += std::string(" ") + (op.Function < kSysFuncCount ? SysFunction(op.Function).name : "?" + std::to_string(op.Function));
            for (const auto& p : op.Operands) line += " " + OperandText(*p);
            PrintLine(line);
        }
        return kOk;
    }
    throw UsageError("unknown expr command '" + args[0] + "'");
}

}  // namespace

const std::vector<Command>& ScriptCommands() {
    static const std::vector<Command> commands = {
        {"eval", "compile and run expressions against declared variables",
         "usage: mivotool eval [--var NAME:KIND[=VALUE]]... [--vars] EXPR...\n"
         "  Declares the variables (KIND int, float, bool or str; NAME[3,4]:int declares an\n"
         "  array, VALUE fills every element), then compiles and runs each EXPR in order.\n"
         "  Prints for each EXPR its result as text, (none) when it has none, or\n"
         "  'error: MESSAGE' when it does not compile. --vars then prints every declared\n"
         "  variable as NAME<TAB>VALUE (array elements as NAME[i,j]), sorted by name.\n",
         RunEval},
        {"expr", "show the compiled form of an expression, or read one back",
         "usage: mivotool expr compile EXPR\n"
         "       mivotool expr dump HEX\n"
         "  compile prints the stored form of EXPR as hex; dump prints the operations of a\n"
         "  stored form, one per line: code, destination, function name, operands.\n",
         RunExpr},
    };
    return commands;
}

}  // namespace mivotool
