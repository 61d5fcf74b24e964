#include "script/build_parser.hpp"

#include <algorithm>
#include <unordered_map>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "data/streams.hpp"
#include "platform/text_encoding.hpp"
#include "script/conversions.hpp"
#include "script/expr_stream.hpp"
#include "script/param_kinds.hpp"
#include "script/sysfuncs.hpp"

namespace mivo::script {

namespace {

[[noreturn]] void SyntaxError() { throw Error("構文エラー"); }

bool IsOpChar(char c) {
    switch (c) {
        case '+': case '-': case '*': case '/': case '%': case '|': case '&': case '^':
        case '=': case '[': case ']': case '(': case ')': case ',': case '<': case '>':
            return true;
        default:
            return false;
    }
}
bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool BeginsWithOp(const std::string& token) { return !token.empty() && IsOpChar(token[0]); }

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<uint8_t>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<uint8_t>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

// The characters of a text: where each starts and how long it is, so that
// scans never stop on the second byte of a double-byte character.
struct Chars {
    std::vector<size_t> start;  // byte offset of each character
    std::vector<int> at;        // character number of a byte offset, -1 for a second byte
    const std::string& text;

    explicit Chars(const std::string& t) : at(t.size(), -1), text(t) {
        for (size_t i = 0; i < t.size(); i += sjis::CharLen(t, i)) {
            at[i] = static_cast<int>(start.size());
            start.push_back(i);
        }
    }
    size_t Len(int k) const { return sjis::CharLen(text, start[static_cast<size_t>(k)]); }
    // A single-byte character equal to c.
    bool Is(int k, char c) const { return Len(k) == 1 && text[start[static_cast<size_t>(k)]] == c; }
    bool IsOp(int k) const { return Len(k) == 1 && IsOpChar(text[start[static_cast<size_t>(k)]]); }
    bool IsWord(int k) const { return Len(k) == 1 && IsWordChar(text[start[static_cast<size_t>(k)]]); }
    int Count() const { return static_cast<int>(start.size()); }
    // The nearest character before k that is not a space, or -1.
    int PrevNonSpace(int k) const {
        for (--k; k >= 0 && Is(k, ' '); --k) {
        }
        return k;
    }
};

// Pairs of open/close characters (by character number); an unbalanced text
// is a syntax error.
std::vector<std::pair<int, int>> Pairs(const Chars& c, char open, char close) {
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> stack;
    for (int k = 0; k < c.Count(); ++k) {
        if (c.Is(k, open)) {
            stack.push_back(k);
        } else if (c.Is(k, close)) {
            if (stack.empty()) SyntaxError();
            pairs.emplace_back(stack.back(), k);
            stack.pop_back();
        }
    }
    if (!stack.empty()) SyntaxError();
    // Ordered by the position of the opening character.
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// Splits at ',' outside brackets.
std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> parts;
    Chars c(text);
    int depth = 0;
    size_t from = 0;
    for (int k = 0; k < c.Count(); ++k) {
        if (c.Is(k, '[')) {
            ++depth;
        } else if (c.Is(k, ']')) {
            if (--depth < 0) SyntaxError();
        } else if (c.Is(k, ',') && depth == 0) {
            parts.push_back(text.substr(from, c.start[static_cast<size_t>(k)] - from));
            from = c.start[static_cast<size_t>(k)] + 1;
        }
    }
    if (depth != 0) SyntaxError();
    parts.push_back(text.substr(from));
    return parts;
}

bool ContainsOp(const std::string& text) {
    Chars c(text);
    for (int k = 0; k < c.Count(); ++k)
        if (c.IsOp(k)) return true;
    return false;
}

bool IsPlainTemp(const std::string& name) {
    return name.size() > 4 && name.compare(0, 4, "____") == 0 && name.compare(0, 6, "____d_") != 0 &&
           name != "____arg";
}

uint8_t OperatorCode(const std::string& op) {
    static const std::unordered_map<std::string, uint8_t> codes = {
        {"*", ocMul},     {"/", ocDiv},       {"%", ocMod},      {"+", ocPlus},    {"-", ocMinus},
        {"<<", ocShiftL}, {">>", ocShiftR},   {"==", ocEqual},   {">=", ocEBig},   {"<=", ocESmall},
        {">", ocBig},     {"<", ocSmall},     {"<>", ocNEqual},  {"++", ocComboStr}, {"&", ocAnd},
        {"^", ocXor},     {"|", ocOr},
    };
    auto it = codes.find(op);
    return it == codes.end() ? uint8_t{ocNone} : it->second;
}

// The precedence groups, tightest first; "=" binds weakest.
const std::vector<std::vector<std::string>>& Precedence() {
    static const std::vector<std::vector<std::string>> groups = {
        {"*", "/", "%"}, {"+", "-"}, {"<<", ">>"}, {"==", ">=", "<=", ">", "<", "<>"},
        {"++"},          {"&"},      {"^"},        {"|"},                          {"="},
    };
    return groups;
}

bool IsDecimalOrDollarHex(const std::string& s) {
    if (s.empty()) return false;
    size_t i = s[0] == '$' ? 1 : 0;
    if (i == s.size()) return false;
    for (; i < s.size(); ++i) {
        char ch = s[i];
        bool ok = (ch >= '0' && ch <= '9') || (s[0] == '$' && ((ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F')));
        if (!ok) return false;
    }
    return true;
}

void WriteOperandText(TStream& s, const std::string& text) {
    if (IsDecimalOrDollarHex(text)) {
        if (auto n = TryStrToInt(text)) {
            WriteByte(s, PT_INT);
            WriteInt32(s, *n);
            return;
        }
    }
    if (auto x = TryStrToFloat(text)) {
        WriteByte(s, PT_FLOAT);
        WriteExtendedValue(s, *x);
        return;
    }
    if (text == "TRUE" || text == "FALSE") {
        WriteByte(s, PT_BOOL);
        WriteByte(s, text == "TRUE" ? 1 : 0);
        return;
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        WriteByte(s, PT_STR);
        WriteStr(s, std::string_view(text).substr(1, text.size() - 2));
        return;
    }
    WriteByte(s, PT_NONE);
    WriteStr(s, text);
}

}  // namespace

std::string TBuildMivoParser::NewTemp() { return "____" + std::to_string(counter_++); }
std::string TBuildMivoParser::NewElementTemp() { return "____d_" + std::to_string(counter_++); }

void TBuildMivoParser::Emit(uint8_t code, std::string dest, std::vector<std::string> operands, uint8_t function) {
    ops_.push_back({code, std::move(dest), function, std::move(operands)});
}

void TBuildMivoParser::Build(std::string_view text) {
    ops_.clear();
    counter_ = 0;
    if (text.size() > kMaxSourceLength) throw Error("式が長すぎます");
    try {
        Compile(std::string(text));
    } catch (...) {
        ops_.clear();
        throw;
    }
    RemoveCopies();
}

void TBuildMivoParser::Compile(std::string text) {
    Strings(text);
    Calls(text);
    Elements(text);
    Groups(text);
    Reduce(text);
}

// A literal in double quotes: \" is a quote, \\ a backslash, \n CR LF;
// any other backslash stays.
void TBuildMivoParser::Strings(std::string& text) {
    // One pass: each literal, in order, becomes a temporary's name (which
    // holds no quote), exactly as replacing them one at a time would.
    Chars c(text);
    std::string rewritten;
    size_t copied = 0;
    for (int k0 = 0; k0 < c.Count(); ++k0) {
        if (!c.Is(k0, '"')) continue;
        int open = k0;
        std::string value;
        int close = -1;
        for (int k = open + 1; k < c.Count(); ++k) {
            size_t at = c.start[static_cast<size_t>(k)];
            if (c.Is(k, '\\') && k + 1 < c.Count()) {
                if (c.Is(k + 1, '"') || c.Is(k + 1, '\\')) {
                    value += text[c.start[static_cast<size_t>(k + 1)]];
                    ++k;
                    continue;
                }
                if (c.Is(k + 1, 'n')) {
                    value += "\r\n";
                    ++k;
                    continue;
                }
            }
            if (c.Is(k, '"')) {
                close = k;
                break;
            }
            value.append(text, at, c.Len(k));
        }
        if (close < 0) SyntaxError();
        std::string temp = NewTemp();
        Emit(ocTo, temp, {"\"" + value + "\""});
        size_t from = c.start[static_cast<size_t>(open)];
        rewritten.append(text, copied, from - copied);
        rewritten += temp;
        copied = c.start[static_cast<size_t>(close)] + 1;
        k0 = close;
    }
    if (copied == 0) return;
    rewritten.append(text, copied, std::string::npos);
    text = std::move(rewritten);
}

std::string TBuildMivoParser::CompileArgument(std::string_view arg) {
    std::string a = Trim(arg);
    while (a.size() >= 2 && a.front() == '(' && a.back() == ')') {
        Chars c(a);
        auto pairs = Pairs(c, '(', ')');
        if (pairs.front() != std::make_pair(0, c.Count() - 1)) break;
        a = Trim(a.substr(1, a.size() - 2));
    }
    if (a.empty() || !ContainsOp(a)) return a;
    std::string temp = NewTemp();
    Compile(temp + " = " + a);
    return temp;
}

// Function calls, innermost and rightmost first.
void TBuildMivoParser::Calls(std::string& text) {
    for (;;) {
        Chars c(text);
        auto pairs = Pairs(c, '(', ')');
        const std::pair<int, int>* call = nullptr;
        int name_begin = 0;
        for (auto it = pairs.rbegin(); it != pairs.rend() && !call; ++it) {
            int prev = c.PrevNonSpace(it->first);
            if (prev < 0 || !c.IsWord(prev)) continue;
            call = &*it;
            for (name_begin = prev; name_begin > 0 && c.IsWord(name_begin - 1); --name_begin) {
            }
            std::string name = text.substr(c.start[static_cast<size_t>(name_begin)],
                                           c.start[static_cast<size_t>(prev)] + 1 - c.start[static_cast<size_t>(name_begin)]);
            int index = FindSysFunction(name);
            if (index < 0) throw Error("\"" + SjisToUtf8(name) + "\" 関数名がありません");
            size_t open = c.start[static_cast<size_t>(it->first)], close = c.start[static_cast<size_t>(it->second)];
            std::string inner = text.substr(open + 1, close - open - 1);
            std::vector<std::string> args;
            if (!Trim(inner).empty()) {
                for (const std::string& a : SplitList(inner)) args.push_back(CompileArgument(a));
            }
            const SysFuncInfo& info = SysFunction(index);
            auto n = static_cast<int>(args.size());
            if (n < info.min_args || (info.max_args >= 0 && n > info.max_args))
                throw Error(std::string(info.name) + " 引数の数が不正です");
            std::string temp = NewTemp();
            Emit(ocFunc, temp, std::move(args), static_cast<uint8_t>(index));
            size_t from = c.start[static_cast<size_t>(name_begin)];
            text.replace(from, close + 1 - from, temp);
        }
        if (!call) return;
    }
}

// Element references a[i, j], innermost and rightmost first.
void TBuildMivoParser::Elements(std::string& text) {
    for (;;) {
        Chars c(text);
        auto pairs = Pairs(c, '[', ']');
        if (pairs.empty()) return;
        auto [open, close] = pairs.back();
        int prev = c.PrevNonSpace(open);
        if (prev < 0 || c.IsOp(prev)) SyntaxError();
        int begin = prev;
        while (begin > 0 && !c.Is(begin - 1, ' ') && !c.IsOp(begin - 1)) --begin;
        size_t from = c.start[static_cast<size_t>(begin)];
        std::string name = text.substr(from, c.start[static_cast<size_t>(prev)] + c.Len(prev) - from);
        size_t o = c.start[static_cast<size_t>(open)], e = c.start[static_cast<size_t>(close)];
        std::string inner = text.substr(o + 1, e - o - 1);
        if (Trim(inner).empty()) throw Error("配列の添え字が不正です");
        std::vector<std::string> operands{name};
        for (const std::string& index : SplitList(inner)) operands.push_back(CompileArgument(index));
        std::string temp = NewElementTemp();
        Emit(ocDimTo, temp, std::move(operands));
        text.replace(from, e + 1 - from, temp);
    }
}

// Parentheses that group (not calls).
void TBuildMivoParser::Groups(std::string& text) {
    for (;;) {
        Chars c(text);
        auto pairs = Pairs(c, '(', ')');
        const std::pair<int, int>* group = nullptr;
        for (auto it = pairs.rbegin(); it != pairs.rend() && !group; ++it) {
            int prev = c.PrevNonSpace(it->first);
            if (prev < 0 || !c.IsWord(prev)) group = &*it;
        }
        if (!group) return;
        size_t o = c.start[static_cast<size_t>(group->first)], e = c.start[static_cast<size_t>(group->second)];
        std::string temp = NewTemp();
        Compile(temp + " = " + text.substr(o + 1, e - o - 1));
        text.replace(o, e + 1 - o, temp);
    }
}

void TBuildMivoParser::Reduce(const std::string& text) {
    static const char* const kPairs[] = {"==", ">=", "<=", "++", "<>", "<<", ">>"};
    std::vector<std::string> tokens;
    Chars c(text);
    size_t last = 0;
    for (int k = 0; k < c.Count(); ++k) {
        if (!c.IsOp(k)) continue;
        size_t at = c.start[static_cast<size_t>(k)];
        std::string operand = Trim(std::string_view(text).substr(last, at - last));
        if (!operand.empty()) tokens.push_back(operand);
        std::string op(1, text[at]);
        if (k + 1 < c.Count() && c.IsOp(k + 1)) {
            std::string two = text.substr(at, 2);
            for (const char* p : kPairs)
                if (two == p) op = two;
        }
        if (op.size() == 2) ++k;
        tokens.push_back(op);
        last = at + op.size();
    }
    std::string rest = Trim(std::string_view(text).substr(last));
    if (!rest.empty()) tokens.push_back(rest);
    if (tokens.empty()) {
        Emit(ocTo, "____arg", {text});
        return;
    }

    // Signs: a "+" or "-" after an operator.
    for (int i = static_cast<int>(tokens.size()) - 2; i >= 1; --i) {
        const std::string& t = tokens[static_cast<size_t>(i)];
        if ((t != "+" && t != "-") || !BeginsWithOp(tokens[static_cast<size_t>(i - 1)])) continue;
        auto at = tokens.begin() + i;
        if (t == "+") {
            tokens.erase(at);
            continue;
        }
        if (BeginsWithOp(*(at + 1))) SyntaxError();
        std::string temp = NewTemp();
        Emit(ocMinus, temp, {"0", *(at + 1)});
        *at = temp;
        tokens.erase(at + 1);
    }

    // Operators are applied group by group, tightest first, and within a
    // group from left to right: one pass over the tokens per group.
    bool assigned = false;
    for (const auto& group : Precedence()) {
        std::vector<std::string> out;
        out.reserve(tokens.size());
        for (size_t i = 0; i < tokens.size(); ++i) {
            const std::string& op = tokens[i];
            if (std::find(group.begin(), group.end(), op) == group.end()) {
                out.push_back(op);
                continue;
            }
            bool has_right = i + 1 < tokens.size() && !BeginsWithOp(tokens[i + 1]);
            if (!has_right) SyntaxError();
            const std::string& right = tokens[++i];
            if (op == "=") {
                if (out.empty() || BeginsWithOp(out.back())) SyntaxError();
                Emit(ocTo, out.back(), {right});
                out.pop_back();
                assigned = true;
            } else if (!out.empty()) {
                if (BeginsWithOp(out.back())) SyntaxError();
                std::string temp = NewTemp();
                Emit(OperatorCode(op), temp, {out.back(), right});
                out.back() = temp;
            } else {
                // An operator at the very start: only a sign.
                if (op != "+" && op != "-") SyntaxError();
                std::string temp = NewTemp();
                Emit(OperatorCode(op), temp, {"0", right});
                out.push_back(temp);
            }
        }
        tokens = std::move(out);
    }
    if (tokens.empty()) return;
    // What is left is one operand (the value of the expression) or an error.
    if (assigned || tokens.size() != 1) SyntaxError();
    Emit(ocTo, "____arg", {tokens[0]});
}

// A copy from one plain temporary to another is dropped; later uses of the
// copy name the original instead.
void TBuildMivoParser::RemoveCopies() {
    std::unordered_map<std::string, std::string> alias;
    std::vector<TBuildOpeData> kept;
    for (TBuildOpeData& op : ops_) {
        auto resolve = [&](std::string& name) {
            if (auto it = alias.find(name); it != alias.end()) name = it->second;
        };
        resolve(op.Dest);
        for (std::string& o : op.Operands) resolve(o);
        if (op.Code == ocTo && op.Operands.size() == 1 && IsPlainTemp(op.Dest) && IsPlainTemp(op.Operands[0])) {
            alias[op.Dest] = op.Operands[0];
            continue;
        }
        kept.push_back(std::move(op));
    }
    ops_ = std::move(kept);
}

void TBuildMivoParser::SaveToStream(TStream& s) const { WriteOperations(s, ops_, WriteOperandText); }

}  // namespace mivo::script
