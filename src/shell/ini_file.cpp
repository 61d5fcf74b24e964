#include "shell/ini_file.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/sjis.hpp"
#include "data/atomic_file.hpp"

namespace mivo {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// "[name]" -> name; empty optional otherwise.
bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return false;
    size_t close = line.find(']');
    if (close == std::string_view::npos) return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return !key.empty();
}

}  // namespace

TIniFile TIniFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TIniFile();
    std::stringstream ss;
    ss << in.rdbuf();
    return TIniFile(ss.str());
}

void TIniFile::Parse(std::string_view text) {
    lines_.clear();
    if (text.find("\r\n") == std::string_view::npos && text.find('\n') != std::string_view::npos) eol_ = "\n";
    final_eol_ = text.empty() || text.back() == '\n';
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.emplace_back(line);
        start = nl == std::string_view::npos ? text.size() : nl + 1;
    }
}

std::string TIniFile::Text() const {
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i];
        if (i + 1 < lines_.size() || final_eol_) out += eol_;
    }
    return out;
}

void TIniFile::Save(const std::string& path) const { WriteFileAtomically(path, Text()); }

int TIniFile::FindKey(std::string_view section, std::string_view key) const {
    bool in = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name, k, v;
        if (SectionName(lines_[i], name)) {
            in = sjis::SameText(name, section);
        } else if (in && KeyValue(lines_[i], k, v) && sjis::SameText(k, key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool TIniFile::HasKey(std::string_view section, std::string_view key) const { return FindKey(section, key) >= 0; }

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    int i = FindKey(section, key);
    if (i < 0) return std::string(def);
    std::string_view k, v;
    KeyValue(lines_[static_cast<size_t>(i)], k, v);
    return std::string(v);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    std::string s = ReadString(section, key, "");
    if (s.empty()) return def;
    int base = 10;
    const char* p = s.c_str();
    bool neg = false;
    if (*p == '-' || *p == '+') neg = *p++ == '-';
    if (*p == '$') {
        base = 16;
        ++p;
    } else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (!*p) return def;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(p, &end, base);
    if (*end != '\0' || errno != 0 || v > INT_MAX + 1LL) return def;
    if (neg) v = -v;
    if (v < INT_MIN || v > INT_MAX) return def;
    return static_cast<int>(v);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    int i = FindKey(section, key);
    if (i >= 0) {
        // Keep the key as it was spelled.
        std::string_view k, v;
        KeyValue(lines_[static_cast<size_t>(i)], k, v);
        lines_[static_cast<size_t>(i)] = std::string(k) + "=" + std::string(value);
        return;
    }
    // Append after the last line of the section, or add the section.
    int last = -1;
    bool in = false;
    for (size_t j = 0; j < lines_.size(); ++j) {
        std::string_view name, k, v;
        if (SectionName(lines_[j], name)) {
            in = sjis::SameText(name, section);
            if (in) last = static_cast<int>(j);
        } else if (in && !Trim(lines_[j]).empty()) {
            last = static_cast<int>(j);
        }
    }
    std::string line = std::string(key) + "=" + std::string(value);
    if (last >= 0) {
        lines_.insert(lines_.begin() + last + 1, line);
    } else {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(line);
        final_eol_ = true;
    }
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace mivo
