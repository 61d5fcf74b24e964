#include "data/peresource.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <vector>

namespace mivo {

namespace {

class PeFile {
public:
    explicit PeFile(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st{};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0) size_ = st.st_size;
    }
    ~PeFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    PeFile(const PeFile&) = delete;
    PeFile& operator=(const PeFile&) = delete;

    bool Ok() const { return fd_ >= 0; }
    int64_t Size() const { return size_; }

    // Little-endian reads; out of range reads fail.
    bool U16(int64_t off, uint32_t& v) const { return Le(off, 2, v); }
    bool U32(int64_t off, uint32_t& v) const { return Le(off, 4, v); }

private:
    bool Le(int64_t off, int n, uint32_t& v) const {
        if (off < 0 || off + n > size_) return false;
        uint8_t b[4] = {};
        if (::pread(fd_, b, static_cast<size_t>(n), off) != n) return false;
        v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[i];
        return true;
    }
    int fd_ = -1;
    int64_t size_ = 0;
};

struct Section {
    uint32_t va, vsize, raw_size, raw_ptr;
};

// Maps a relative virtual address to a file offset through the section table.
std::optional<int64_t> RvaToOffset(const std::vector<Section>& sections, uint32_t rva) {
    for (const Section& s : sections) {
        uint32_t span = s.vsize > s.raw_size ? s.vsize : s.raw_size;
        if (rva >= s.va && rva - s.va < span) {
            uint32_t delta = rva - s.va;
            if (delta >= s.raw_size) return std::nullopt;
            return static_cast<int64_t>(s.raw_ptr) + delta;
        }
    }
    return std::nullopt;
}

// Compares a directory entry's name (UTF-16 string or id) with the asked key.
bool EntryMatches(const PeFile& f, int64_t res_base, uint32_t name_field, const std::string& key) {
    bool is_string = (name_field & 0x80000000u) != 0;
    if (!key.empty() && key[0] == '#') {
        if (is_string) return false;
        uint32_t id = 0;
        for (size_t i = 1; i < key.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(key[i])) || id > 0xFFFF) return false;
            id = id * 10 + static_cast<uint32_t>(key[i] - '0');
        }
        return key.size() > 1 && (name_field & 0xFFFF) == id;
    }
    if (!is_string) return false;
    int64_t p = res_base + (name_field & 0x7FFFFFFFu);
    uint32_t len = 0;
    if (!f.U16(p, len) || len != key.size()) return false;
    for (uint32_t i = 0; i < len; ++i) {
        uint32_t ch = 0;
        if (!f.U16(p + 2 + 2 * i, ch)) return false;
        unsigned char k = static_cast<unsigned char>(key[i]);
        if (ch > 0x7F || std::toupper(static_cast<int>(ch)) != std::toupper(k)) return false;
    }
    return true;
}

// Looks a key up in one resource directory; returns the entry's data field.
std::optional<uint32_t> Lookup(const PeFile& f, int64_t res_base, int64_t dir, const std::string* key) {
    uint32_t named = 0, ids = 0;
    if (!f.U16(dir + 12, named) || !f.U16(dir + 14, ids)) return std::nullopt;
    uint32_t total = named + ids;
    if (static_cast<int64_t>(total) * 8 > f.Size()) return std::nullopt;
    for (uint32_t i = 0; i < total; ++i) {
        uint32_t name_field = 0, data_field = 0;
        int64_t e = dir + 16 + 8 * static_cast<int64_t>(i);
        if (!f.U32(e, name_field) || !f.U32(e + 4, data_field)) return std::nullopt;
        if (key == nullptr || EntryMatches(f, res_base, name_field, *key)) return data_field;
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileWindow> FindPeResource(const std::string& module, const std::string& name,
                                         const std::string& type) {
    PeFile f(module);
    if (!f.Ok()) return std::nullopt;
    uint32_t mz = 0, lfanew = 0, pe = 0;
    if (!f.U16(0, mz) || mz != 0x5A4D || !f.U32(0x3C, lfanew)) return std::nullopt;
    if (!f.U32(lfanew, pe) || pe != 0x00004550) return std::nullopt;
    int64_t coff = static_cast<int64_t>(lfanew) + 4;
    uint32_t nsec = 0, opt_size = 0, magic = 0;
    if (!f.U16(coff + 2, nsec) || !f.U16(coff + 16, opt_size)) return std::nullopt;
    int64_t opt = coff + 20;
    if (!f.U16(opt, magic)) return std::nullopt;
    int64_t dirs = opt + (magic == 0x20B ? 112 : 96);
    uint32_t res_rva = 0, res_size = 0;
    if (!f.U32(dirs + 2 * 8, res_rva) || !f.U32(dirs + 2 * 8 + 4, res_size) || res_rva == 0)
        return std::nullopt;

    std::vector<Section> sections;
    int64_t sec = opt + opt_size;
    for (uint32_t i = 0; i < nsec; ++i, sec += 40) {
        Section s{};
        if (!f.U32(sec + 8, s.vsize) || !f.U32(sec + 12, s.va) || !f.U32(sec + 16, s.raw_size) ||
            !f.U32(sec + 20, s.raw_ptr))
            return std::nullopt;
        sections.push_back(s);
    }
    auto base = RvaToOffset(sections, res_rva);
    if (!base) return std::nullopt;

    // Three levels: type, name, language (the first language is taken).
    int64_t dir = *base;
    const std::string* keys[3] = {&type, &name, nullptr};
    uint32_t field = 0;
    for (int level = 0; level < 3; ++level) {
        auto found = Lookup(f, *base, dir, keys[level]);
        if (!found) return std::nullopt;
        field = *found;
        bool subdir = (field & 0x80000000u) != 0;
        if (level < 2 && !subdir) return std::nullopt;
        if (level == 2 && subdir) return std::nullopt;
        dir = *base + (field & 0x7FFFFFFFu);
    }
    uint32_t data_rva = 0, data_size = 0;
    if (!f.U32(dir, data_rva) || !f.U32(dir + 4, data_size)) return std::nullopt;
    auto off = RvaToOffset(sections, data_rva);
    if (!off || *off + data_size > f.Size()) return std::nullopt;
    return FileWindow{*off, data_size};
}

}  // namespace mivo
