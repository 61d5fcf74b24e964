#include "scenario/page_source.hpp"

#include <cstdio>
#include <map>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "data/streams.hpp"
#include "platform/text_encoding.hpp"
#include "scenario/command.hpp"
#include "scenario/source_text.hpp"
#include "script/expr_source.hpp"
#include "script/mivo_parser.hpp"
#include "script/property_table.hpp"

namespace mivo {

namespace {

const char* const kKinds[] = {"none", "int", "float", "bool", "str"};
const char* const kScopes[] = {"global", "autodelete", "local", "status"};

std::string Hex(std::string_view bytes) {
    static const char* d = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(d[c >> 4]);
        out.push_back(d[c & 15]);
    }
    return out;
}

bool Unhex(std::string_view hex, std::string& out) {
    if (hex.size() % 2) return false;
    auto v = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    out.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        int a = v(hex[i]), b = v(hex[i + 1]);
        if (a < 0 || b < 0) return false;
        out.push_back(static_cast<char>(a * 16 + b));
    }
    return true;
}

// --- loop structure shared by the dumper and the builder -----------------------------

struct LoopTargets {
    std::map<int, int> value;  // command index -> structural value of its target field
};

// The loop layout: While ... WhileLoop pairs by nesting; a Break leaves the
// innermost loop (to the command after its WhileLoop) and a Continue goes to
// its WhileLoop. A While's exit is the command after its WhileLoop, or -1
// when that WhileLoop ends the page.
LoopTargets StructuralTargets(const std::vector<uint8_t>& codes) {
    LoopTargets t;
    std::vector<int> open;
    std::map<int, std::vector<int>> inside;  // While index -> Breaks/Continues directly in it
    const int n = static_cast<int>(codes.size());
    for (int i = 0; i < n; ++i) {
        switch (codes[static_cast<size_t>(i)]) {
            case cmWhile: open.push_back(i); break;
            case cmBreak:
            case cmContinue:
                if (!open.empty()) inside[open.back()].push_back(i);
                break;
            case cmWhileLoop:
                if (!open.empty()) {
                    int w = open.back();
                    open.pop_back();
                    int after = i + 1 < n ? i + 1 : -1;
                    t.value[w] = after;
                    t.value[i] = w;
                    for (int k : inside[w]) t.value[k] = codes[static_cast<size_t>(k)] == cmBreak ? after : i;
                }
                break;
            default: break;
        }
    }
    return t;
}

// --- dumping -----------------------------------------------------------------------------

std::string ExprText(const script::TMivoParser& e) {
    if (auto text = script::DecompileExpression(e)) return QuoteGameString(*text);
    return "hex:" + Hex(script::StoredForm(e));
}

}  // namespace

std::string DumpPageSource(const TPage& page) {
    std::string o = "# scenario page " + SjisToUtf8(page.name) + "\n";
    if (page.version > TPage::kMaxVersion) return o + "page version=" + std::to_string(page.version) + "\n";
    std::string result = page.result_type <= 4 && page.result_type > 0 ? kKinds[page.result_type]
                                                                        : std::to_string(page.result_type);
    o += "page version=" + std::to_string(page.version) + " result=" + result + "\n";
    // Masks: by property names, and the stored bytes only when they carry more.
    TPage probe;
    probe.masks = page.masks;
    probe.StoreMasks();
    if (page.stored_mask_count != probe.stored_mask_count || page.stored_mask_size != probe.stored_mask_size ||
        page.stored_masks != probe.stored_masks)
        o += "masks count=" + std::to_string(page.stored_mask_count) + " size=" + std::to_string(page.stored_mask_size) +
             " hex:" + Hex(page.stored_masks) + "\n";
    for (int code = 0; code < kCommandCodes; ++code) {
        std::string props;
        for (int b = 0; b < kPropertyCount; ++b)
            if (page.HasProperty(code, b)) props += std::string(" ") + (PropertyInfoOf(b).name + 3);
        if (!props.empty()) o += std::string("mask ") + CommandSpecOf(code).name + props + "\n";
    }
    std::vector<uint8_t> codes;
    for (const auto& c : page.commands) codes.push_back(c->Code());
    LoopTargets loops = StructuralTargets(codes);

    for (int i = 0; i < page.CommandCount(); ++i) {
        const TCommand& c = page.At(i);
        const CommandSpec& spec = c.Spec();
        // Nesting shows as leading spaces; a depth no editor writes (a damaged
        // or odd page) is spelled out instead, so the text stays small.
        constexpr int kDeepestShown = 200;
        const bool shown = c.Indent >= 0 && c.Indent <= kDeepestShown;
        std::string line(shown ? static_cast<size_t>(c.Indent) * 2 : 0, ' ');
        line += spec.name;
        if (!shown) line += " indent=" + std::to_string(c.Indent);
        if (c.RawCode() != c.Code()) {
            char b[16];
            std::snprintf(b, sizeof b, " code=0x%02X", c.RawCode());
            line += b;
        }
        for (size_t f = 0; f < spec.fields.size(); ++f) {
            const FieldSpec& fs = spec.fields[f];
            const CommandField& v = c.fields[f];
            if (!v.present) continue;
            std::string key = std::string(" ") + fs.name + "=";
            switch (fs.kind) {
                case FieldKind::Str: line += key + QuoteGameString(v.str); break;
                case FieldKind::U8: {
                    bool is_type = c.Code() == cmVarNew && f == 1, is_scope = c.Code() == cmVarNew && f == 3;
                    if (is_type && v.num >= 1 && v.num <= 4)
                        line += key + kKinds[v.num];
                    else if (is_scope && v.num >= 0 && v.num <= 3)
                        line += key + kScopes[v.num];
                    else
                        line += key + std::to_string(v.num);
                    break;
                }
                case FieldKind::I32: {
                    if (fs.target && (c.Code() == cmJump || c.Code() == cmCall)) {
                        // A jump within the page to one of its labels is written by label.
                        const std::string& to = c.StrAt(0);
                        if (sjis::SameText(to, page.name) && v.num >= 0 && v.num < page.CommandCount() &&
                            page.At(v.num).Code() == cmLabel && page.FindLabel(page.At(v.num).StrAt(0)) == v.num) {
                            line += " label=" + QuoteGameString(page.At(v.num).StrAt(0));
                            break;
                        }
                    } else if (fs.target) {
                        auto it = loops.value.find(i);
                        if (it != loops.value.end() && it->second == v.num) break;  // follows from the layout
                    }
                    line += key + std::to_string(v.num);
                    break;
                }
                case FieldKind::Expr:
                    if (!v.expr->Operations().empty()) line += key + ExprText(*v.expr);
                    break;
                case FieldKind::ExprList: {
                    line += key + "[";
                    for (size_t k = 0; k < v.list.size(); ++k) line += (k ? ", " : "") + ExprText(*v.list[k]);
                    line += "]";
                    break;
                }
                case FieldKind::Bytes:
                    if (!v.str.empty()) line += key + "hex:" + Hex(v.str);
                    break;
                case FieldKind::Props:
                    for (const auto& [b, e] : v.props)
                        if (!e->Operations().empty()) line += std::string(" ") + (PropertyInfoOf(b).name + 3) + "=" + ExprText(*e);
                    break;
            }
        }
        if (c.RunOn) line += c.RunOn == 1 ? " runon" : " runon=" + std::to_string(c.RunOn);
        if (c.Disabled) line += c.Disabled == 1 ? " disabled" : " disabled=" + std::to_string(c.Disabled);
        if (c.LineNo != i + 1) line += " line=" + std::to_string(c.LineNo);
        o += line + "\n";
    }
    return o;
}

// --- building ------------------------------------------------------------------------------

namespace {

struct Value {
    std::string text;                 // quoted literal, hex:..., or a bare word
    std::vector<std::string> items;   // list values
    bool is_list = false;
};

struct SourceLine {
    int number = 0;
    int indent = 0;
    std::string word;
    std::vector<std::pair<std::string, Value>> pairs;
    std::vector<std::string> flags;
};

// Splits "  Name key=value key="text" list=[a, "b"] flag" into its parts.
SourceLine ParseLine(std::string_view raw, int number, const std::string& where) {
    SourceLine L;
    L.number = number;
    size_t i = 0;
    while (i < raw.size() && raw[i] == ' ') ++i;
    if (i % 2) throw FormatError(where + ": indent with an even number of spaces");
    L.indent = static_cast<int>(i / 2);
    auto skip = [&] {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t' || raw[i] == '\r')) ++i;
    };
    auto word = [&] {
        size_t j = i;
        while (j < raw.size() && raw[j] != ' ' && raw[j] != '\t' && raw[j] != '\r' && raw[j] != '=' && raw[j] != ',' &&
               raw[j] != ']')
            ++j;
        std::string w(raw.substr(i, j - i));
        i = j;
        return w;
    };
    auto quoted = [&] {
        size_t j = i + 1;
        while (j < raw.size() && raw[j] != '"') j += raw[j] == '\\' ? 2 : 1;
        if (j >= raw.size()) throw FormatError(where + ": unterminated string");
        std::string q(raw.substr(i, j + 1 - i));
        i = j + 1;
        return q;
    };
    auto scalar = [&] { return i < raw.size() && raw[i] == '"' ? quoted() : word(); };
    L.word = word();
    while (true) {
        skip();
        if (i >= raw.size() || raw[i] == '#') break;
        std::string key = word();
        if (key.empty()) throw FormatError(where + ": unexpected '" + std::string(1, raw[i]) + "'");
        if (i < raw.size() && raw[i] == '=') {
            ++i;
            Value v;
            if (i < raw.size() && raw[i] == '[') {
                v.is_list = true;
                ++i;
                skip();
                while (i < raw.size() && raw[i] != ']') {
                    v.items.push_back(scalar());
                    skip();
                    if (i < raw.size() && raw[i] == ',') ++i;
                    skip();
                }
                if (i >= raw.size()) throw FormatError(where + ": list without ']'");
                ++i;
            } else {
                v.text = scalar();
            }
            L.pairs.emplace_back(key, std::move(v));
        } else {
            L.flags.push_back(key);
        }
    }
    return L;
}

std::vector<SourceLine> ParseLines(std::string_view text, const std::string& source) {
    std::vector<SourceLine> lines;
    int number = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        std::string_view raw = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        start = nl == std::string_view::npos ? text.size() : nl + 1;
        ++number;
        size_t k = raw.find_first_not_of(" \t\r");
        if (k == std::string_view::npos || raw[k] == '#') continue;
        lines.push_back(ParseLine(raw, number, source + ":" + std::to_string(number)));
    }
    return lines;
}

int ParseNumber(const std::string& s, const std::string& where) {
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 0);
    if (s.empty() || *end || v < INT32_MIN || v > UINT32_MAX) throw FormatError(where + ": expected a number, not '" + s + "'");
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

std::unique_ptr<script::TMivoParser> ParseExpr(const std::string& v, const std::string& where) {
    auto p = std::make_unique<script::TMivoParser>();
    if (v.rfind("hex:", 0) == 0) {
        std::string bytes;
        if (!Unhex(v.substr(4), bytes)) throw FormatError(where + ": bad hex");
        TMemoryStream s(bytes);
        try {
            p->LoadFromStream(s);
        } catch (const Error& e) {
            throw FormatError(where + ": " + e.what());
        }
        return p;
    }
    std::string src = v.size() >= 2 && v.front() == '"' ? UnquoteGameString(v, where) : Utf8ToSjis(v);
    try {
        script::CompileInto(src, *p);
    } catch (const Error& e) {
        throw FormatError(where + ": " + e.what() + " in " + SjisToUtf8(src));
    }
    return p;
}

std::string ParseStr(const std::string& v, const std::string& where) { return GameStringOf(v, where); }

int WordIndex(const std::string& v, const char* const* words, int n) {
    for (int i = 0; i < n; ++i)
        if (v == words[i]) return i;
    return -1;
}

}  // namespace

std::vector<std::pair<std::string, int>> ScanSourceLabels(std::string_view text, const std::string& source) {
    std::vector<std::pair<std::string, int>> out;
    int index = 0;
    for (const SourceLine& L : ParseLines(text, source)) {
        if (L.word == "page" || L.word == "mask" || L.word == "masks") continue;
        if (L.word == "Label")
            for (const auto& [k, v] : L.pairs)
                if (k == "name") out.emplace_back(ParseStr(v.text, source), index);
        ++index;
    }
    return out;
}

void BuildPageFromSource(std::string_view text, const std::string& source, const std::string& page_name, TPage& out,
                         const LabelResolver& resolve) {
    out.commands.clear();
    out.masks = {};
    out.name = page_name;
    out.version = TPage::kMaxVersion;
    out.result_type = 1;
    std::string raw_masks;
    int32_t mask_count = kCommandCodes, mask_size = kMaskBytes;
    bool have_raw = false;

    struct Pending {
        int index;
        size_t field;
        std::string page, label;
        std::string where;
    };
    std::vector<Pending> labels;
    std::vector<std::pair<int, size_t>> structural;  // target fields to take from the layout
    std::vector<const SourceLine*> command_lines;
    std::vector<SourceLine> lines = ParseLines(text, source);

    // Header lines first: the version decides which fields exist.
    for (const SourceLine& L : lines) {
        std::string where = source + ":" + std::to_string(L.number);
        if (L.word == "page") {
            for (const auto& [k, v] : L.pairs) {
                if (k == "version") {
                    out.version = ParseNumber(v.text, where);
                } else if (k == "result") {
                    int r = WordIndex(v.text, kKinds, 5);
                    out.result_type = static_cast<uint8_t>(r > 0 ? r : ParseNumber(v.text, where));
                } else {
                    throw FormatError(where + ": unknown page field " + k);
                }
            }
        } else if (L.word == "masks") {
            for (const auto& [k, v] : L.pairs) {
                if (k == "count") mask_count = ParseNumber(v.text, where);
                else if (k == "size") mask_size = ParseNumber(v.text, where);
                else throw FormatError(where + ": unknown masks field " + k);
            }
            for (const auto& f : L.flags) {
                if (f.rfind("hex:", 0) != 0 || !Unhex(f.substr(4), raw_masks)) throw FormatError(where + ": bad mask bytes");
                have_raw = true;
            }
        } else if (L.word == "mask") {
            int code = L.flags.empty() ? -1 : CommandCodeOf(L.flags[0].c_str());
            if (code < 0) throw FormatError(where + ": mask needs a command name");
            for (size_t k = 1; k < L.flags.size(); ++k) {
                int id = PropertyIdOf(L.flags[k]);
                if (id < 0) throw FormatError(where + ": unknown property " + L.flags[k]);
                out.masks[static_cast<size_t>(code)][static_cast<size_t>(id / 8)] |= static_cast<uint8_t>(1 << (id % 8));
            }
        } else {
            command_lines.push_back(&L);
        }
    }
    if (out.version > TPage::kMaxVersion) return;
    if (out.version < TPage::kMinVersion) throw FormatError(source + ": page version below 103");

    // Property blocks carry every property their commands use.
    for (const SourceLine* L : command_lines) {
        int code = CommandCodeOf(L->word.c_str());
        if (code < 0) continue;
        for (const FieldSpec& fs : CommandSpecOf(code).fields)
            if (fs.kind == FieldKind::Props)
                for (const auto& [k, v] : L->pairs) {
                    int id = PropertyIdOf(k);
                    if (id >= 0) out.masks[static_cast<size_t>(code)][static_cast<size_t>(id / 8)] |= static_cast<uint8_t>(1 << (id % 8));
                }
    }

    for (const SourceLine* Lp : command_lines) {
        const SourceLine& L = *Lp;
        std::string where = source + ":" + std::to_string(L.number);
        int code = CommandCodeOf(L.word.c_str());
        if (code < 0) throw FormatError(where + ": unknown command " + L.word);
        const CommandSpec& spec = CommandSpecOf(code);
        int index = out.CommandCount();
        uint8_t raw = static_cast<uint8_t>(code);
        std::map<std::string, const Value*> given;
        for (const auto& [k, v] : L.pairs) given[k] = &v;
        if (auto it = given.find("code"); it != given.end()) {
            raw = static_cast<uint8_t>(ParseNumber(it->second->text, where));
            if ((raw & 0x7F) != code) throw FormatError(where + ": code does not match " + L.word);
            given.erase(it);
        }
        auto cmd = CreateCommand(raw);
        cmd->Indent = L.indent;
        cmd->LineNo = index + 1;
        for (const std::string& f : L.flags) {
            if (f == "runon") cmd->RunOn = 1;
            else if (f == "disabled") cmd->Disabled = 1;
            else throw FormatError(where + ": unknown flag " + f);
        }
        auto take_int = [&](const char* key, auto& dst) {
            if (auto it = given.find(key); it != given.end()) {
                dst = static_cast<std::remove_reference_t<decltype(dst)>>(ParseNumber(it->second->text, where));
                given.erase(it);
            }
        };
        take_int("indent", cmd->Indent);
        take_int("line", cmd->LineNo);
        take_int("runon", cmd->RunOn);
        take_int("disabled", cmd->Disabled);
        cmd->fields.resize(spec.fields.size());
        for (size_t f = 0; f < spec.fields.size(); ++f) {
            const FieldSpec& fs = spec.fields[f];
            CommandField& v = cmd->fields[f];
            if (out.version < fs.since) continue;
            v.present = true;
            auto it = given.find(fs.name);
            const Value* val = it == given.end() ? nullptr : it->second;
            if (it != given.end()) given.erase(it);
            switch (fs.kind) {
                case FieldKind::Str: v.str = val ? ParseStr(val->text, where) : std::string(); break;
                case FieldKind::U8: {
                    int n = 0;
                    if (val) {
                        int w = code == cmVarNew && f == 1 ? WordIndex(val->text, kKinds, 5)
                                : code == cmVarNew && f == 3 ? WordIndex(val->text, kScopes, 4)
                                                             : -1;
                        n = w >= 0 ? w : ParseNumber(val->text, where);
                    }
                    v.num = static_cast<uint8_t>(n);
                    break;
                }
                case FieldKind::I32:
                    if (val) {
                        v.num = ParseNumber(val->text, where);
                    } else if (fs.target && (code == cmJump || code == cmCall)) {
                        auto lab = given.find("label");
                        if (lab != given.end()) {
                            labels.push_back({index, f, cmd->StrAt(0), ParseStr(lab->second->text, where), where});
                            given.erase(lab);
                        }
                    } else if (fs.target) {
                        structural.emplace_back(index, f);
                    }
                    break;
                case FieldKind::Expr: v.expr = val ? ParseExpr(val->text, where) : std::make_unique<script::TMivoParser>(); break;
                case FieldKind::ExprList:
                    if (val)
                        for (const std::string& item : val->items) v.list.push_back(ParseExpr(item, where));
                    break;
                case FieldKind::Bytes:
                    if (val && (val->text.rfind("hex:", 0) != 0 || !Unhex(val->text.substr(4), v.str)))
                        throw FormatError(where + ": a text block is written as hex:...");
                    break;
                case FieldKind::Props:
                    for (int b = 0; b < kPropertyCount; ++b) {
                        if (!out.HasProperty(code, b)) continue;
                        std::unique_ptr<script::TMivoParser> e;
                        for (auto g = given.begin(); g != given.end(); ++g)
                            if (PropertyIdOf(g->first) == b) {
                                e = ParseExpr(g->second->text, where);
                                given.erase(g);
                                break;
                            }
                        v.props.emplace_back(b, e ? std::move(e) : std::make_unique<script::TMivoParser>());
                    }
                    break;
            }
        }
        if (!given.empty()) throw FormatError(where + ": " + L.word + " has no field " + given.begin()->first);
        out.commands.push_back(std::move(cmd));
    }

    // Targets from the loop layout and from labels.
    std::vector<uint8_t> codes;
    for (const auto& c : out.commands) codes.push_back(c->Code());
    LoopTargets loops = StructuralTargets(codes);
    for (auto [index, f] : structural) {
        auto it = loops.value.find(index);
        if (it == loops.value.end())
            throw FormatError(source + ": " + CommandSpecOf(codes[static_cast<size_t>(index)]).name + " (command " +
                              std::to_string(index) + ") is not inside a loop");
        out.At(index).fields[f].num = it->second;
    }
    for (const Pending& p : labels) {
        std::optional<int> at;
        if (sjis::SameText(p.page, page_name)) {
            int k = out.FindLabel(p.label);
            if (k >= 0) at = k;
        } else if (resolve) {
            at = resolve(p.page, p.label);
        }
        if (!at) throw FormatError(p.where + ": no label " + SjisToUtf8(p.label) + " in " + SjisToUtf8(p.page));
        out.At(p.index).fields[p.field].num = *at;
    }

    if (have_raw) {
        out.stored_mask_count = mask_count;
        out.stored_mask_size = mask_size;
        out.stored_masks = raw_masks;
        if (static_cast<int64_t>(raw_masks.size()) != static_cast<int64_t>(mask_count) * mask_size)
            throw FormatError(source + ": mask bytes do not match count and size");
    } else {
        out.StoreMasks();
    }
}

}  // namespace mivo
