#include "scenario/project_source.hpp"

#include <cstdlib>
#include <functional>
#include <map>

#include "core/error.hpp"
#include "scenario/source_text.hpp"

namespace mivo {

namespace {

const char* KindWord(uint8_t kind) {
    switch (kind) {
        case 1: return "int";
        case 2: return "float";
        case 3: return "bool";
        case 4: return "str";
        default: return nullptr;
    }
}

int ParseInt(const std::string& s, const std::string& where) {
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 0);
    if (s.empty() || *end || v < INT32_MIN || v > UINT32_MAX) throw FormatError(where + ": expected a number, not " + s);
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

}  // namespace

std::string DumpProjectSource(const TProjectSetting& p) {
    std::string o = "# project file\n";
    auto line = [&](const char* key, const std::string& value) { o += std::string(key) + " " + value + "\n"; };
    auto num = [](int64_t v) { return std::to_string(v); };
    line("version", num(p.version));
    line("name", QuoteGameString(p.name));
    line("screen", num(p.screen_width) + " " + num(p.screen_height));
    line("fullscreen", num(p.full_width) + " " + num(p.full_height));
    line("start_page", QuoteGameString(p.start_page));
    if (p.version >= 110) line("exit_page", QuoteGameString(p.exit_page));
    line("registry_key", QuoteGameString(p.registry_key));
    line("image_key", num(p.image_key));
    if (p.version > 103) line("save_status", num(p.save_status));
    if (p.version >= 106) line("frame_pacing", num(p.frame_pacing));
    if (p.version >= 109) line("media_extensions", QuoteGameString(p.media_extensions));
    if (p.version > 112) line("pause_inactive", num(p.pause_inactive));
    if (p.version >= 114) line("reserved", num(p.reserved));
    if (p.version >= 116) line("toolbar", num(p.toolbar));
    line("disk_prompt", QuoteGameString(p.disk_prompt));
    line("exit_notice", QuoteGameString(p.exit_notice));
    for (const TParamData& d : p.variables) {
        const char* k = KindWord(d.kind);
        std::string value;
        switch (d.kind) {
            case 1: value = num(d.int_value); break;
            case 2: value = FormatExtended(d.float_value); break;
            case 3: value = d.bool_value ? "TRUE" : "FALSE"; break;
            case 4: value = QuoteGameString(d.str_value); break;
            default: break;
        }
        o += "var " + (k ? std::string(k) : "kind" + num(d.kind)) + " " + QuoteGameString(d.name) +
             (k ? " " + value : "") + "\n";
    }
    for (const TFolderDisk& fd : p.folder_disks.items) o += "disk " + QuoteGameString(fd.folder) + " " + num(fd.disk) + "\n";
    return o;
}

TProjectSetting ParseProjectSource(std::string_view text, const std::string& source) {
    TProjectSetting p;
    // Fields not given keep the defaults of a new project; "version" decides
    // which fields are written.
    int lineno = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t nl = text.find('\n', start);
        std::string_view raw = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        start = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
        ++lineno;
        std::string where = source + ":" + std::to_string(lineno);
        auto w = SplitSourceLine(raw, where);
        if (w.empty()) continue;
        auto need = [&](size_t n) {
            if (w.size() != n) throw FormatError(where + ": '" + w[0] + "' takes " + std::to_string(n - 1) + " value(s)");
        };
        auto str = [&](size_t i) { return GameStringOf(w[i], where); };
        auto int_at = [&](size_t i) { return ParseInt(w[i], where); };
        const std::string& key = w[0];
        if (key == "var") {
            if (w.size() < 3) throw FormatError(where + ": var KIND NAME [VALUE]");
            TParamData d;
            d.name = str(2);
            const std::string& k = w[1];
            if (k == "int") d.kind = 1, need(4), d.int_value = int_at(3);
            else if (k == "float") {
                d.kind = 2;
                need(4);
                if (!ParseExtended(w[3], d.float_value)) throw FormatError(where + ": bad float " + w[3]);
            } else if (k == "bool") {
                d.kind = 3;
                need(4);
                if (w[3] != "TRUE" && w[3] != "FALSE") throw FormatError(where + ": bool is TRUE or FALSE");
                d.bool_value = w[3] == "TRUE";
            } else if (k == "str") d.kind = 4, need(4), d.str_value = str(3);
            else if (k.rfind("kind", 0) == 0) d.kind = static_cast<uint8_t>(ParseInt(k.substr(4), where)), need(3);
            else throw FormatError(where + ": unknown variable kind " + k);
            p.variables.push_back(std::move(d));
        } else if (key == "disk") {
            need(3);
            p.folder_disks.items.push_back({str(1), int_at(2)});
        } else if (key == "screen" || key == "fullscreen") {
            need(3);
            (key == "screen" ? p.screen_width : p.full_width) = int_at(1);
            (key == "screen" ? p.screen_height : p.full_height) = int_at(2);
        } else {
            need(2);
            static const std::map<std::string, std::function<void(TProjectSetting&, const std::function<std::string(size_t)>&,
                                                                 const std::function<int(size_t)>&)>>
                fields = {
                    {"version", [](auto& q, auto&, auto& i) { q.version = i(1); }},
                    {"name", [](auto& q, auto& s, auto&) { q.name = s(1); }},
                    {"start_page", [](auto& q, auto& s, auto&) { q.start_page = s(1); }},
                    {"exit_page", [](auto& q, auto& s, auto&) { q.exit_page = s(1); }},
                    {"registry_key", [](auto& q, auto& s, auto&) { q.registry_key = s(1); }},
                    {"image_key", [](auto& q, auto&, auto& i) { q.image_key = i(1); }},
                    {"save_status", [](auto& q, auto&, auto& i) { q.save_status = static_cast<uint8_t>(i(1)); }},
                    {"frame_pacing", [](auto& q, auto&, auto& i) { q.frame_pacing = static_cast<uint8_t>(i(1)); }},
                    {"media_extensions", [](auto& q, auto& s, auto&) { q.media_extensions = s(1); }},
                    {"pause_inactive", [](auto& q, auto&, auto& i) { q.pause_inactive = static_cast<uint8_t>(i(1)); }},
                    {"reserved", [](auto& q, auto&, auto& i) { q.reserved = static_cast<uint8_t>(i(1)); }},
                    {"toolbar", [](auto& q, auto&, auto& i) { q.toolbar = static_cast<uint8_t>(i(1)); }},
                    {"disk_prompt", [](auto& q, auto& s, auto&) { q.disk_prompt = s(1); }},
                    {"exit_notice", [](auto& q, auto& s, auto&) { q.exit_notice = s(1); }},
                };
            auto it = fields.find(key);
            if (it == fields.end()) throw FormatError(where + ": unknown field " + key);
            it->second(p, str, int_at);
        }
    }
    if (p.version < 0 || p.version > TProjectSetting::kMaxVersion)
        throw FormatError(source + ": version must be 0 to " + std::to_string(TProjectSetting::kMaxVersion));
    return p;
}

}  // namespace mivo
