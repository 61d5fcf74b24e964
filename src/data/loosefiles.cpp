#include "data/loosefiles.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "core/sjis.hpp"
#include "platform/text_encoding.hpp"

namespace mivo {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }


std::string JoinPath(const std::string& dir, const std::string& part) {
    if (dir.empty()) return part;
    return dir.back() == '/' ? dir + part : dir + "/" + part;
}

// UTF-8 never carries ASCII bytes inside a multi-byte character, so plain
// ASCII folding is safe there.
bool Utf8SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (sjis::AsciiLower(a[i]) != sjis::AsciiLower(b[i])) return false;
    return true;
}

bool IsUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// A file name on disk as the game spells it: UTF-8 names are converted,
// anything else is taken to be CP932 already.
std::string GameNameOf(const std::string& disk_name) {
    return IsUtf8(disk_name) ? Utf8ToSjis(disk_name) : disk_name;
}

// Finds one path part inside dir: exact bytes first (CP932 or UTF-8 spelling),
// then a case-insensitive scan of the directory.
std::optional<std::string> FindPart(const std::string& dir, const std::string& part, bool want_dir) {
    std::string utf8 = SjisToUtf8(part);
    auto ok = [&](const std::string& p) { return want_dir ? IsDirectory(p) : IsRegularFile(p); };
    for (const std::string* cand : {&part, static_cast<const std::string*>(&utf8)}) {
        std::string p = JoinPath(dir, *cand);
        if (ok(p)) return p;
    }
    DIR* d = ::opendir(dir.c_str());
    if (!d) return std::nullopt;
    std::optional<std::string> found;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        if (sjis::SameText(n, part) || Utf8SameText(n, utf8)) {
            std::string p = JoinPath(dir, n);
            if (ok(p)) {
                found = p;
                break;
            }
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::vector<std::string>> SplitGameName(std::string_view name) {
    if (name.empty() || IsSeparator(name[0])) return std::nullopt;
    if (name.size() >= 2 && name[1] == ':') return std::nullopt;  // drive letter
    std::vector<std::string> parts;
    std::string cur;
    for (size_t i = 0; i < name.size();) {
        size_t n = sjis::CharLen(name, i);
        if (n == 1 && IsSeparator(name[i])) {
            parts.push_back(cur);
            cur.clear();
        } else {
            if (n == 1 && name[i] == '\0') return std::nullopt;
            cur.append(name.substr(i, n));
        }
        i += n;
    }
    parts.push_back(cur);
    std::vector<std::string> out;
    for (auto& p : parts) {
        if (p.empty() || p == ".") continue;
        if (p == "..") return std::nullopt;
        out.push_back(std::move(p));
    }
    if (out.empty()) return std::nullopt;
    return out;
}

std::optional<std::string> FindFileUnder(const std::string& root, std::string_view name) {
    if (root.empty()) return std::nullopt;
    auto parts = SplitGameName(name);
    if (!parts) return std::nullopt;
    std::string path = root;
    for (size_t i = 0; i < parts->size(); ++i) {
        auto next = FindPart(path, (*parts)[i], i + 1 < parts->size());
        if (!next) return std::nullopt;
        path = *next;
    }
    return path;
}

std::vector<std::string> ListFilesUnder(const std::string& root, std::string_view folder) {
    std::vector<std::string> out;
    std::string start = root;
    std::string prefix;
    if (!folder.empty()) {
        auto parts = SplitGameName(folder);
        if (!parts) return out;
        for (const auto& p : *parts) {
            auto next = FindPart(start, p, true);
            if (!next) return out;
            start = *next;
            prefix += GameNameOf(std::filesystem::path(start).filename().string()) + "\\";
        }
    }
    std::function<void(const std::string&, const std::string&, int)> walk =
        [&](const std::string& dir, const std::string& rel, int depth) {
            if (depth > 32) return;  // a loop of links must not run forever
            DIR* d = ::opendir(dir.c_str());
            if (!d) return;
            std::vector<std::string> names;
            while (dirent* e = ::readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..") names.push_back(n);
            }
            ::closedir(d);
            std::sort(names.begin(), names.end());
            for (const auto& n : names) {
                std::string p = JoinPath(dir, n);
                std::string game = rel + GameNameOf(n);
                if (IsDirectory(p))
                    walk(p, game + "\\", depth + 1);
                else if (IsRegularFile(p))
                    out.push_back(game);
            }
        };
    if (IsDirectory(start)) walk(start, prefix, 0);
    return out;
}

std::string GameFolderOf(std::string_view name) {
    size_t cut = std::string_view::npos;
    for (size_t i = 0; i < name.size();) {
        size_t n = sjis::CharLen(name, i);
        if (n == 1 && name[i] == '\\') cut = i;
        i += n;
    }
    return cut == std::string_view::npos ? std::string() : std::string(name.substr(0, cut));
}

std::string GameExtensionOf(std::string_view name) {
    size_t dot = std::string_view::npos;
    for (size_t i = 0; i < name.size();) {
        size_t n = sjis::CharLen(name, i);
        if (n == 1 && name[i] == '.') dot = i;
        if (n == 1 && name[i] == '\\') dot = std::string_view::npos;
        i += n;
    }
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

}  // namespace mivo
