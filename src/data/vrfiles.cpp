#include "data/vrfiles.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "core/tprandom.hpp"
#include "data/loosefiles.hpp"
#include "data/vusk_probe.hpp"
#include "data/zlibs.hpp"
#include "platform/text_encoding.hpp"

namespace mivo {

namespace {

constexpr int32_t kMaxVersion = 102;
constexpr int32_t kMaxNameLength = 0x10000;
constexpr int64_t kMaxSideFile = int64_t{1} << 30;

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

// Reads the last two bytes of a file (the trailer marker "zv", the resource
// marker "vf").
std::string Tail2(TTpBigStream& s) {
    int64_t size = s.GetSize();
    if (size < 2) return {};
    char b[2];
    s.SetPosition(size - 2);
    if (s.Read(b, 2) != 2) return {};
    return std::string(b, 2);
}

std::string Head2(TTpBigStream& s) {
    char b[2];
    s.SetPosition(0);
    if (s.Read(b, 2) != 2) return {};
    return std::string(b, 2);
}

void WriteAll(TTpBigStream& out, const void* data, int64_t n) {
    if (n > 0 && out.Write(data, n) != n) throw Error("archive write error");
}

void WriteAll(TTpBigStream& out, std::string_view s) {
    WriteAll(out, s.data(), static_cast<int64_t>(s.size()));
}

// The directory is read through the 100 KiB forward buffer; every count and
// length is checked against what is left of the directory's stream first.
class DirectoryInput {
public:
    DirectoryInput(TTpBigStream& s, const std::string& source)
        : stream_(s), buffered_(s), source_(source), left_(s.GetSize() - s.GetPosition()), start_(s.GetPosition()) {}

    void Need(int64_t n, const char* what) {
        if (n < 0 || n > left_) Fail(std::string("truncated ") + what);
    }
    std::string Bytes(int64_t n, const char* what) {
        Need(n, what);
        std::string out(static_cast<size_t>(n), '\0');
        if (buffered_.ReadBuffered(out.data(), n) != n) Fail(std::string("truncated ") + what);
        left_ -= n;
        return out;
    }
    int32_t I32(const char* what) { return static_cast<int32_t>(U64(4, what)); }
    int64_t I64(const char* what) { return static_cast<int64_t>(U64(8, what)); }
    uint8_t U8(const char* what) { return static_cast<uint8_t>(U64(1, what)); }
    int64_t Left() const { return left_; }
    [[noreturn]] void Fail(const std::string& what) const {
        char where[32];
        std::snprintf(where, sizeof where, "0x%llx",
                      static_cast<unsigned long long>(start_ + (stream_.GetSize() - start_ - left_)));
        throw FormatError(source_ + ": bad archive directory: " + what + " at offset " + where);
    }

private:
    uint64_t U64(int n, const char* what) {
        std::string b = Bytes(n, what);
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[static_cast<size_t>(i)]);
        return v;
    }
    TTpBigStream& stream_;
    TTpBuffBigStream buffered_;
    std::string source_;
    int64_t left_;
    int64_t start_;
};

void Scramble(std::vector<int64_t>& offsets) {
    TTpRandom r;
    for (int64_t& o : offsets) {
        uint32_t k = r.Next();
        uint64_t u = static_cast<uint64_t>(o);
        uint32_t lo = static_cast<uint32_t>(u) ^ k;
        uint32_t hi = static_cast<uint32_t>(u >> 32) ^ static_cast<uint32_t>(static_cast<int32_t>(k) >> 31);
        o = static_cast<int64_t>((static_cast<uint64_t>(hi) << 32) | lo);
    }
}

// Layered images are deflated whatever their size. Files without the
// signature (the oldest format) are known by their extension.
bool IsLayeredImageFile(std::string_view name, std::string_view bytes) {
    return IsLayeredImage(bytes.data(), bytes.size()) || sjis::LowerCase(GameExtensionOf(name)) == ".vkx";
}

bool IsMediaName(std::string_view name) {
    static const std::string kMedia = ".WAV.WMA.OGG.AVI.MPG.MPEG.M1V.WMV.ASF.DAT.";
    std::string ext = GameExtensionOf(name);
    for (char& c : ext) c = sjis::AsciiUpper(c);
    return kMedia.find(ext + ".") != std::string::npos && ext.size() > 1;
}

std::string ReadWholeFile(const std::string& path) {
    TMemoryStream m;
    m.LoadFromFile(path);
    return std::move(m.Bytes());
}

}  // namespace

std::string NoFileMessage(std::string_view name) { return SjisToUtf8(name) + ":ファイルがありません"; }

int32_t DosDateTime(int64_t unix_seconds) {
    time_t t = static_cast<time_t>(unix_seconds);
    struct tm tm{};
    localtime_r(&t, &tm);
    if (tm.tm_year < 80) return (1 << 5 | 1) << 16;  // 1980-01-01, the earliest DOS date
    uint32_t date = static_cast<uint32_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    uint32_t time = static_cast<uint32_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return static_cast<int32_t>((date << 16) | time);
}

int64_t UnixTimeOfDos(int32_t dos) {
    uint32_t u = static_cast<uint32_t>(dos);
    struct tm tm{};
    tm.tm_year = static_cast<int>((u >> 25) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((u >> 21) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>((u >> 16) & 0x1F);
    tm.tm_hour = static_cast<int>((u >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((u >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>((u & 0x1F) * 2);
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
}

// --- TVrFileCollection ------------------------------------------------------------

TVrFileCollection::~TVrFileCollection() = default;

void TVrFileCollection::Close() {
    source_.reset();
    Clear();
    version_ = 0;
    data_end_ = 0;
}

void TVrFileCollection::Open(const std::string& file, bool keep_folder) {
    Close();
    file_name_ = file;
    bool exists = IsRegularFile(file);
    if (exists || keep_folder) {
        std::string dir = std::filesystem::path(file).parent_path().string();
        folder_ = WithSlash(dir.empty() ? "." : dir);
    } else {
        folder_ = WithSlash(file);
    }
    if (!exists) return;

    auto src = std::make_unique<TTpBigFileStream>(file, fmOpenRead | fmShareDenyWrite);
    int64_t size = src->GetSize();
    std::string ext = sjis::LowerCase(std::filesystem::path(file).extension().string());
    bool trailer_ext = ext == ".exe" || ext == ".scr";
    // A file whose last two bytes are "zv" (and that is not an archive from its
    // first byte) carries its archive in the trailer form, whatever its name.
    bool trailer = trailer_ext || (Tail2(*src) == "zv" && Head2(*src) != "vf");
    if (trailer) {
        if (size < 6 || Tail2(*src) != "zv") throw FormatError(file + ": no archive at the end of the file");
        src->SetPosition(size - 6);
        char b[4];
        src->ReadBuffer(b, 4);
        int64_t start = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(b[0])) |
                                             static_cast<uint32_t>(static_cast<uint8_t>(b[1])) << 8 |
                                             static_cast<uint32_t>(static_cast<uint8_t>(b[2])) << 16 |
                                             static_cast<uint32_t>(static_cast<uint8_t>(b[3])) << 24);
        if (start < 0 || start > size - 6) throw FormatError(file + ": archive trailer points outside the file");
        src->SetPosition(start);
        ReadDirectory(*src, size, file);
    } else {
        std::filesystem::path side = std::filesystem::path(file).replace_extension(".ext");
        std::filesystem::path side_upper = std::filesystem::path(file).replace_extension(".EXT");
        std::string side_name = IsRegularFile(side.string())         ? side.string()
                                : IsRegularFile(side_upper.string()) ? side_upper.string()
                                                                     : std::string();
        if (!side_name.empty()) {
            // The directory lives in the side file; the data stays in the main file.
            TTpBigFileStream side_file(side_name, fmOpenRead | fmShareDenyWrite);
            if (side_file.GetSize() > kMaxSideFile) throw FormatError(side_name + ": directory file too large");
            TTpBigMemoryStream dir;
            side_file.CopyTo(dir.Memory(), side_file.GetSize());
            dir.SetPosition(0);
            ReadDirectory(dir, size, side_name);
        } else {
            src->SetPosition(0);
            ReadDirectory(*src, size, file);
        }
    }
    source_ = std::move(src);
}

void TVrFileCollection::OpenResource(const std::string& module, const std::string& res_name,
                                     const std::string& res_type) {
    Close();
    file_name_ = module;
    folder_ = WithSlash(std::filesystem::path(module).parent_path().string());
    auto src = std::make_unique<TTpBigResourceStream>(module, res_name, res_type);
    if (src->GetSize() == 0) throw Error("リソースが見つかりません");
    res_module_ = module;
    res_name_ = res_name;
    res_type_ = res_type;
    ReadDirectory(*src, src->GetSize(), module + ":" + res_name);
    source_ = std::move(src);
}

void TVrFileCollection::ReadFrom(std::unique_ptr<TTpBigStream> source, const std::string& source_name) {
    Close();
    file_name_ = source_name;
    ReadDirectory(*source, source->GetSize(), source_name);
    source_ = std::move(source);
}

void TVrFileCollection::ReadDirectory(TTpBigStream& dir, int64_t data_size, const std::string& source_name) {
    // 1. Signature and version; without "vf" the two bytes belong to the count.
    int64_t base = dir.GetPosition();
    char sig[2] = {0, 0};
    int64_t got = dir.Read(sig, 2);
    int32_t version = 0;
    std::vector<std::string> names;
    std::vector<int64_t> offsets;
    std::vector<uint8_t> stored, raw;
    std::vector<int32_t> times;
    std::vector<uint32_t> crcs;
    {
        bool signed_file = got == 2 && sig[0] == 'v' && sig[1] == 'f';
        if (!signed_file) dir.SetPosition(base);
        DirectoryInput in(dir, source_name);
        if (signed_file) {
            version = in.I32("version");
            if (version < 0 || version > kMaxVersion)
                in.Fail("unsupported version " + std::to_string(version));
        }
        int32_t n = in.I32("entry count");
        if (n < 0 || n > in.Left() / 4) in.Fail("entry count " + std::to_string(n) + " does not fit the file");

        // 2. Names, unscrambled with one generator over all of them.
        TTpRandom names_key;
        names.reserve(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) {
            int32_t len = in.I32("name length");
            if (len < 0 || len > kMaxNameLength) in.Fail("bad name length " + std::to_string(len));
            std::string name = in.Bytes(len, "name");
            if (version > 99)
                for (char& c : name) c = static_cast<char>(static_cast<uint8_t>(c) ^ (names_key.Next() & 0xFF));
            names.push_back(std::move(name));
        }

        // 3. Offsets, 8 or 4 bytes by version, scrambled from version 100.
        bool wide = version > 100;
        in.Need((static_cast<int64_t>(n) + 1) * (wide ? 8 : 4), "offset table");
        offsets.resize(static_cast<size_t>(n) + 1);
        for (auto& o : offsets) o = wide ? in.I64("offset") : static_cast<uint32_t>(in.I32("offset"));
        if (wide) {
            Scramble(offsets);
        } else if (version > 99) {
            TTpRandom r;
            for (auto& o : offsets) o = static_cast<uint32_t>(static_cast<uint32_t>(o) ^ r.Next());
        }

        // 4. Per-entry tables of the newer versions.
        stored.assign(static_cast<size_t>(n), 0);
        raw.assign(static_cast<size_t>(n), 0);
        times.assign(static_cast<size_t>(n), 0);
        crcs.assign(static_cast<size_t>(n), 0);
        if (version > 100) {
            in.Need(static_cast<int64_t>(n) * (version >= 102 ? 10 : 9), "entry tables");
            for (auto& v : stored) v = in.U8("stored flag");
            for (auto& v : times) v = in.I32("timestamp");
            for (auto& v : crcs) v = static_cast<uint32_t>(in.I32("checksum"));
            if (version >= 102)
                for (auto& v : raw) v = in.U8("checksum flag");
        }

        // Every entry must lie inside the data file, in order.
        for (size_t i = 0; i + 1 < offsets.size(); ++i) {
            if (offsets[i] < 0 || offsets[i] > offsets[i + 1])
                in.Fail("entry " + std::to_string(i) + " has a negative size or offset");
        }
        if (offsets.back() < 0 || offsets.back() > data_size - base)
            in.Fail("entries reach beyond the end of the data");
    }

    // 5. Entries with absolute offsets.
    for (size_t i = 0; i < names.size(); ++i) {
        auto e = std::make_unique<TVrFile>();
        e->offset = offsets[i] + base;
        e->size = offsets[i + 1] - offsets[i];
        e->stored = stored[i];
        e->timestamp = times[i];
        e->checksum = crcs[i];
        e->raw_checksum = raw[i];
        Add(std::move(e), std::move(names[i]));
    }
    version_ = version;
    data_end_ = offsets.back() + base;
}

std::string TVrFileCollection::ReadEntry(const TVrFile& entry) {
    if (entry.data) return entry.data->Bytes();
    if (!source_) throw Error(NoFileMessage(entry.Name()));
    if (entry.size == 0) return {};
    std::string bytes(static_cast<size_t>(entry.size), '\0');
    source_->SetPosition(entry.offset);
    if (source_->Read(bytes.data(), entry.size) != entry.size)
        throw FormatError(file_name_ + ": entry " + SjisToUtf8(entry.Name()) + " is cut short");
    if (entry.stored) return bytes;
    return InflateBytes(bytes, InflateLimit(bytes.size()), file_name_ + ": " + SjisToUtf8(entry.Name()));
}

void TVrFileCollection::ExtractEntry(const TVrFile& entry, TStream& target) {
    if (auto* mem = dynamic_cast<TMemoryStream*>(&target)) {
        mem->Clear();
        mem->Bytes() = ReadEntry(entry);
    } else {
        std::string bytes = ReadEntry(entry);
        target.SetPosition(0);
        target.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    target.SetPosition(0);
}

void TVrFileCollection::Extract(std::string_view name, TStream& target) {
    TVrFile* e = Find(name);
    if (!e) throw Error(NoFileMessage(name));
    ExtractEntry(*e, target);
}

TVrFile& TVrFileCollection::AddInMemory(std::string name) {
    auto e = std::make_unique<TVrFile>();
    e->data = std::make_unique<TMemoryStream>();
    e->stored = 1;
    return Add(std::move(e), std::move(name));
}

TVrFile& TVrFileCollection::AddEntry(std::string name) { return Add(std::make_unique<TVrFile>(), std::move(name)); }

void TVrFileCollection::Delete(std::string_view name) {
    int i = IndexOf(name);
    if (i >= 0) THashCollection<TVrFile>::Delete(i);
}

void TVrFileCollection::RootNames(std::vector<std::string>& list) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& n = (*this)[i].Name();
        if (!GameFolderOf(n).empty()) continue;
        bool dup = std::any_of(list.begin(), list.end(), [&](const std::string& x) { return sjis::SameText(x, n); });
        if (!dup) list.push_back(n);
    }
}

std::unique_ptr<TRangeStream> TVrFileCollection::OpenRange(std::string_view name) {
    TVrFile* e = Find(name);
    if (!e) return nullptr;
    if (e->data) return std::make_unique<TRangeStream>(*e->data, e->data->Size(), 0, true);
    if (!source_) return nullptr;
    if (!res_module_.empty())
        return std::make_unique<TResourceRangeStream>(res_module_, res_name_, e->size, e->offset, res_type_, true);
    return std::make_unique<TFileRangeStream>(file_name_, e->size, e->offset, true);
}

void TVrFileCollection::WriteEntry(TVrFile& entry, TTpBigStream& out, int64_t) {
    std::string bytes;      // what goes into the archive
    std::string unpacked;   // the entry's plain contents
    uint8_t stored = 1;
    if (entry.data) {
        unpacked = entry.data->Bytes();
        if (static_cast<int64_t>(unpacked.size()) > kStoreAbove) {
            bytes = unpacked;
        } else {
            bytes = DeflateBytes(unpacked, kDeflateLevel);
            stored = 0;
        }
    } else if (auto path = FindFileUnder(folder_, entry.Name())) {
        unpacked = ReadWholeFile(*path);
        struct stat st{};
        if (::stat(path->c_str(), &st) == 0) entry.timestamp = DosDateTime(st.st_mtime);
        int64_t size = static_cast<int64_t>(unpacked.size());
        bool layered = IsLayeredImageFile(entry.Name(), unpacked);
        if (layered || (!IsMediaName(entry.Name()) && size < kDeflateBelow)) {
            std::string packed = DeflateBytes(unpacked, kDeflateLevel);
            // Not worth it when it saves less than a tenth.
            if (static_cast<int64_t>(packed.size()) * 10 > size * 9) {
                bytes = unpacked;
            } else {
                bytes = std::move(packed);
                stored = 0;
            }
        } else {
            bytes = unpacked;
        }
    } else if (source_) {
        unpacked = ReadEntry(entry);
        if (static_cast<int64_t>(unpacked.size()) > kStoreAbove) {
            bytes = unpacked;
        } else {
            bytes = DeflateBytes(unpacked, kDeflateLevel);
            stored = 0;
        }
        entry.raw_checksum = 0;  // the checksum below covers the bytes written
    } else {
        throw Error("no data for the entry");
    }
    entry.stored = stored;
    entry.checksum = Crc32(entry.raw_checksum ? unpacked : bytes);
    WriteAll(out, bytes);
    entry.size = static_cast<int64_t>(bytes.size());
}

bool TVrFileCollection::SaveTo(TTpBigStream& out) {
    int64_t base = out.GetPosition();
    int32_t n = Count();
    // 1. Signature, version, count.
    std::string head = "vf";
    auto put32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
    };
    put32(head, static_cast<uint32_t>(kWriteVersion));
    put32(head, static_cast<uint32_t>(n));
    // 2. Names, scrambled with one generator.
    TTpRandom names_key;
    for (int i = 0; i < n; ++i) {
        std::string name = (*this)[i].Name();
        put32(head, static_cast<uint32_t>(name.size()));
        for (char& c : name) c = static_cast<char>(static_cast<uint8_t>(c) ^ (names_key.Next() & 0xFF));
        head += name;
    }
    WriteAll(out, head);
    // 3. Room for the tables.
    int64_t table_pos = out.GetPosition();
    size_t table_size = static_cast<size_t>(n + 1) * 8 + static_cast<size_t>(n) * 10;
    WriteAll(out, std::string(table_size, '\0'));
    // 4. The entries.
    std::vector<int64_t> offsets;
    offsets.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i) {
        TVrFile& e = (*this)[i];
        offsets.push_back(out.GetPosition() - base);
        try {
            WriteEntry(e, out, base);
        } catch (const std::exception& ex) {
            throw Error("エラー:" + SjisToUtf8(e.Name()) + " (" + ex.what() + ")");
        }
    }
    // 5. The end offset, the scrambled offsets and the flag tables.
    int64_t end = out.GetPosition();
    offsets.push_back(end - base);
    Scramble(offsets);
    std::string tables;
    tables.reserve(table_size);
    for (int64_t o : offsets)
        for (int i = 0; i < 8; ++i) tables.push_back(static_cast<char>(static_cast<uint64_t>(o) >> (8 * i)));
    for (int i = 0; i < n; ++i) tables.push_back(static_cast<char>((*this)[i].stored));
    for (int i = 0; i < n; ++i) put32(tables, static_cast<uint32_t>((*this)[i].timestamp));
    for (int i = 0; i < n; ++i) put32(tables, (*this)[i].checksum);
    for (int i = 0; i < n; ++i) tables.push_back(static_cast<char>((*this)[i].raw_checksum));
    out.SetPosition(table_pos);
    WriteAll(out, tables);
    out.SetPosition(end);
    return true;
}

// --- TVrLockList ---------------------------------------------------------------------

TVrLockData* TVrLockList::Find(std::string_view name) {
    for (auto& d : items_)
        if (sjis::SameText(d->name, name)) return d.get();
    return nullptr;
}

TVrLockData& TVrLockList::Add(std::string name) {
    auto used = [&](int32_t id) {
        return std::any_of(items_.begin(), items_.end(), [&](const auto& d) { return d->id == id; });
    };
    while (used(next_id_)) ++next_id_;
    auto d = std::make_unique<TVrLockData>();
    d->id = next_id_++;
    d->name = std::move(name);
    items_.push_back(std::move(d));
    return *items_.back();
}

std::string TVrLockList::Remove(std::string_view name) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (sjis::SameText((*it)->name, name)) {
            std::string path = (*it)->path;
            items_.erase(it);
            return path;
        }
    }
    return {};
}

// --- TVrFileManager -----------------------------------------------------------------

TVrFileManager::TVrFileManager() = default;

TVrFileManager::~TVrFileManager() {
    for (const auto& d : locks_.Items()) delete_queue_.push_back(d->path);
    DeleteQueuedFiles();
    if (!temp_dir_.empty()) ::rmdir(temp_dir_.c_str());
}

void TVrFileManager::SetLooseDirectory(const std::string& dir) {
    loose_dir_ = dir.empty() ? std::string() : WithSlash(dir);
    if (on_archive_added) on_archive_added(nullptr);
}

int TVrFileManager::AddArchive(const std::string& file) {
    for (const auto& a : archives_)
        if (sjis::SameText(a->FileName(), file)) return -1;
    auto a = std::make_unique<TVrFileCollection>();
    a->Open(file);
    archives_.push_back(std::move(a));
    if (on_archive_added) on_archive_added(archives_.back().get());
    return static_cast<int>(archives_.size()) - 1;
}

int TVrFileManager::AddResourceArchive(const std::string& module, const std::string& res_name,
                                       const std::string& res_type) {
    auto a = std::make_unique<TVrFileCollection>();
    a->OpenResource(module, res_name, res_type);
    archives_.push_back(std::move(a));
    if (on_archive_added) on_archive_added(archives_.back().get());
    return static_cast<int>(archives_.size()) - 1;
}

int TVrFileManager::AddEmptyArchive() {
    archives_.push_back(std::make_unique<TVrFileCollection>());
    if (on_archive_added) on_archive_added(archives_.back().get());
    return static_cast<int>(archives_.size()) - 1;
}

void TVrFileManager::RemoveArchive(int index) {
    if (index < 0 || index >= ArchiveCount()) return;
    if (on_archive_removed) on_archive_removed(archives_[static_cast<size_t>(index)].get());
    archives_.erase(archives_.begin() + index);
}

std::optional<std::string> TVrFileManager::LoosePath(std::string_view name) {
    return FindFileUnder(loose_dir_, name);
}

std::optional<std::string> TVrFileManager::CdPath(std::string_view name) {
    for (const std::string& root : CdRoots())
        if (auto p = FindFileUnder(root, name)) return p;
    return std::nullopt;
}

std::vector<std::string> TVrFileManager::CdRoots() {
    std::vector<std::string> roots = extra_cd_roots_;
    std::ifstream mounts("/proc/self/mounts");
    std::string dev, dir, type, rest;
    while (mounts >> dev >> dir >> type && std::getline(mounts, rest)) {
        if (type != "iso9660" && type != "udf") continue;
        // Mount points escape blanks and the like as octal: "\040".
        std::string path;
        for (size_t i = 0; i < dir.size(); ++i) {
            if (dir[i] == '\\' && i + 3 < dir.size() + 0 && std::isdigit(static_cast<unsigned char>(dir[i + 1]))) {
                path.push_back(static_cast<char>(std::strtol(dir.substr(i + 1, 3).c_str(), nullptr, 8)));
                i += 3;
            } else {
                path.push_back(dir[i]);
            }
        }
        roots.push_back(WithSlash(path));
    }
    return roots;
}

void TVrFileManager::AddCdRoot(const std::string& dir) { extra_cd_roots_.push_back(WithSlash(dir)); }

TVrFile* TVrFileManager::FindEntry(std::string_view name) {
    for (const auto& a : archives_)
        if (TVrFile* e = a->Find(name)) return e;
    return nullptr;
}

bool TVrFileManager::Exists(std::string_view name) {
    return FindEntry(name) != nullptr || LoosePath(name).has_value() || CdPath(name).has_value();
}

void TVrFileManager::Read(TStream& stream, std::string_view name) {
    // 1. A memory target starts empty.
    if (auto* mem = dynamic_cast<TMemoryStream*>(&stream)) mem->Clear();
    auto from_disk = [&](const std::string& path) {
        TFileStream f(path, TFileStream::OpenRead);
        stream.CopyFrom(f, 0);
        stream.SetPosition(0);
    };
    // 2. Loose file.
    if (auto p = LoosePath(name)) return from_disk(*p);
    // 3. Archives in the order added; one without data for the entry is passed over.
    for (const auto& a : archives_) {
        TVrFile* e = a->Find(name);
        if (!e || (!e->data && !a->HasSource())) continue;
        a->ExtractEntry(*e, stream);
        return;
    }
    // 4. Discs.
    if (auto p = CdPath(name)) return from_disk(*p);
    // 5. Nowhere.
    throw Error(NoFileMessage(name));
}

std::string TVrFileManager::ReadAll(std::string_view name) {
    TMemoryStream m;
    Read(m, name);
    return std::move(m.Bytes());
}

std::unique_ptr<TRangeStream> TVrFileManager::OpenRange(std::string_view name) {
    if (auto p = LoosePath(name)) return std::make_unique<TFileRangeStream>(*p, 0, 0);
    for (const auto& a : archives_)
        if (auto r = a->OpenRange(name)) return r;
    if (auto p = CdPath(name)) return std::make_unique<TFileRangeStream>(*p, 0, 0);
    throw Error(NoFileMessage(name));
}

const std::string& TVrFileManager::TempDir() {
    if (temp_dir_.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base && *base ? base : "/tmp") + "/mivoplayer-XXXXXX";
        if (!::mkdtemp(tmpl.data())) throw Error("作業用ファイルが作れません");
        temp_dir_ = tmpl;
    }
    return temp_dir_;
}

std::string TVrFileManager::GetWorkingFile(std::string_view name) {
    if (auto p = LoosePath(name)) return *p;
    for (const auto& a : archives_) {
        TVrFile* e = a->Find(name);
        if (!e || (!e->data && !a->HasSource())) continue;
        if (TVrLockData* d = locks_.Find(name)) {
            ++d->refs;
            return d->path;
        }
        TVrLockData& d = locks_.Add(std::string(name));
        std::string ext = SjisToUtf8(GameExtensionOf(name));
        ext.erase(std::remove(ext.begin(), ext.end(), '/'), ext.end());
        char id[16];
        std::snprintf(id, sizeof id, "%08X", static_cast<unsigned>(d.id));
        d.path = TempDir() + "/~zv" + id + ext;
        try {
            TFileStream f(d.path, TFileStream::CreateNew);
            a->ExtractEntry(*e, f);
        } catch (const FormatError&) {
            ::unlink(d.path.c_str());
            locks_.Remove(name);
            throw;
        } catch (const Error&) {
            ::unlink(d.path.c_str());
            locks_.Remove(name);
            throw Error("作業用ファイルが作れません");
        }
        return d.path;
    }
    if (auto p = CdPath(name)) return *p;
    return std::string(name);
}

void TVrFileManager::ReleaseWorkingFile(std::string_view name) {
    TVrLockData* d = locks_.Find(name);
    if (!d || --d->refs > 0) return;
    delete_queue_.push_back(locks_.Remove(name));
}

void TVrFileManager::DeleteQueuedFiles() {
    for (const std::string& p : delete_queue_)
        if (!p.empty()) ::unlink(p.c_str());
    delete_queue_.clear();
}

void TVrFileManager::FileList(std::string_view folder, std::vector<std::string>& list) {
    std::string want(folder);
    while (!want.empty() && want.back() == '\\' && GameFolderOf(want + "x") != want) want.pop_back();
    auto add = [&](const std::string& n) {
        bool dup = std::any_of(list.begin(), list.end(), [&](const std::string& x) { return sjis::SameText(x, n); });
        if (!dup) list.push_back(n);
    };
    for (const auto& a : archives_)
        for (int i = 0; i < a->Count(); ++i)
            if (sjis::SameText(GameFolderOf((*a)[i].Name()), want)) add((*a)[i].Name());
    if (!loose_dir_.empty())
        for (const auto& n : ListFilesUnder(loose_dir_, want)) add(n);
    for (const auto& root : CdRoots())
        for (const auto& n : ListFilesUnder(root, want)) add(n);
}

}  // namespace mivo
