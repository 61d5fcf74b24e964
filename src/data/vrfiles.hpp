#pragma once
// Game archives ("vf" files) and the archive manager, the one way the player
// reads a game file by name: from the loose-file directory, the archives in
// the order they were added, or a mounted disc.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/hash_collection.hpp"
#include "data/bigstreams.hpp"
#include "data/streams.hpp"

namespace mivo {

// One archive entry.
class TVrFile : public THashItem {
public:
    int64_t offset = 0;  // absolute in the source once read
    int64_t size = 0;    // stored bytes
    std::unique_ptr<TMemoryStream> data;  // entries added in memory
    uint8_t stored = 0;        // 1: bytes as is, 0: a zlib stream
    int32_t timestamp = 0;     // DOS date-time, date in the high word
    uint32_t checksum = 0;     // CRC-32
    uint8_t raw_checksum = 0;  // 1: checksum covers the unpacked bytes
};

class TVrFileCollection : public THashCollection<TVrFile> {
public:
    static constexpr int32_t kWriteVersion = 102;
    static constexpr int64_t kStoreAbove = 0x4FFFFF;   // in-memory entries larger than this are stored
    static constexpr int64_t kDeflateBelow = 0x500000;  // files smaller than this are deflated
    static constexpr int kDeflateLevel = 2;

    TVrFileCollection() = default;
    ~TVrFileCollection() override;

    // Opens an archive file and reads its directory. A missing file leaves an
    // empty collection whose folder is the name itself (a folder to pack);
    // a malformed directory raises a FormatError naming the file.
    void Open(const std::string& file, bool keep_folder = false);
    // An archive stored as a resource of a Windows executable.
    void OpenResource(const std::string& module, const std::string& res_name, const std::string& res_type);
    // Reads a directory at the current position of a stream the collection
    // then owns (used by Open, and by callers holding an archive in memory).
    void ReadFrom(std::unique_ptr<TTpBigStream> source, const std::string& source_name);
    void Close();

    // The entry's bytes, inflated when compressed, into target from position 0.
    void Extract(std::string_view name, TStream& target);
    void ExtractEntry(const TVrFile& entry, TStream& target);
    // The entry's bytes as a string (inflated).
    std::string ReadEntry(const TVrFile& entry);
    TVrFile& AddInMemory(std::string name);
    // An entry without data: written from the folder's file of that name, or
    // copied from this archive's own source.
    TVrFile& AddEntry(std::string name);
    void Delete(std::string_view name);
    void RootNames(std::vector<std::string>& list) const;
    // Writes the whole archive (version 102) at the stream's position.
    bool SaveTo(TTpBigStream& out);
    // A window on the entry's stored bytes, or null when absent.
    std::unique_ptr<TRangeStream> OpenRange(std::string_view name);

    int Version() const { return version_; }
    const std::string& Folder() const { return folder_; }
    const std::string& FileName() const { return file_name_; }
    bool HasSource() const { return source_ != nullptr; }
    int64_t DataEnd() const { return data_end_; }

private:
    void ReadDirectory(TTpBigStream& dir, int64_t data_size, const std::string& source_name);
    void WriteEntry(TVrFile& entry, TTpBigStream& out, int64_t base);

    std::string folder_;
    std::string file_name_;
    std::unique_ptr<TTpBigStream> source_;
    std::string res_module_, res_name_, res_type_;
    int32_t version_ = 0;
    int64_t data_end_ = 0;
};

// A working file: an entry extracted to disk for code that needs a path.
struct TVrLockData {
    int32_t id = 0;
    std::string name;
    int32_t refs = 1;
    std::string path;
};

class TVrLockList {
public:
    TVrLockData* Find(std::string_view name);
    TVrLockData& Add(std::string name);
    // Drops a record; returns its path (to be deleted).
    std::string Remove(std::string_view name);
    const std::vector<std::unique_ptr<TVrLockData>>& Items() const { return items_; }

private:
    std::vector<std::unique_ptr<TVrLockData>> items_;
    int32_t next_id_ = 0;
};

class TVrFileManager {
public:
    TVrFileManager();
    ~TVrFileManager();
    TVrFileManager(const TVrFileManager&) = delete;
    TVrFileManager& operator=(const TVrFileManager&) = delete;

    void SetLooseDirectory(const std::string& dir);
    const std::string& LooseDirectory() const { return loose_dir_; }
    // Index of the new archive, or -1 when one of that file name is in the list.
    int AddArchive(const std::string& file);
    int AddResourceArchive(const std::string& module, const std::string& res_name, const std::string& res_type);
    // An archive without a file: receives files restored from saved games.
    int AddEmptyArchive();
    void RemoveArchive(int index);
    int ArchiveCount() const { return static_cast<int>(archives_.size()); }
    TVrFileCollection& Archive(int index) { return *archives_[static_cast<size_t>(index)]; }

    bool Exists(std::string_view name);
    // The file's bytes into stream (a memory stream is cleared first); the
    // stream is left at position 0. Raises "%s:ファイルがありません".
    void Read(TStream& stream, std::string_view name);
    std::string ReadAll(std::string_view name);
    std::unique_ptr<TRangeStream> OpenRange(std::string_view name);
    std::string GetWorkingFile(std::string_view name);
    void ReleaseWorkingFile(std::string_view name);
    TVrFile* FindEntry(std::string_view name);
    void FileList(std::string_view folder, std::vector<std::string>& list);
    // Deletes the working files queued for deletion (called every frame).
    void DeleteQueuedFiles();

    // Mounted discs (iso9660/udf), rescanned whenever a disc is looked at,
    // plus folders given as disc roots.
    void AddCdRoot(const std::string& dir);
    std::vector<std::string> CdRoots();

    std::function<void(TVrFileCollection*)> on_archive_added;
    std::function<void(TVrFileCollection*)> on_archive_removed;

private:
    std::optional<std::string> LoosePath(std::string_view name);
    std::optional<std::string> CdPath(std::string_view name);
    const std::string& TempDir();

    std::string loose_dir_;
    std::vector<std::unique_ptr<TVrFileCollection>> archives_;
    std::vector<std::string> extra_cd_roots_;
    TVrLockList locks_;
    std::vector<std::string> delete_queue_;
    std::string temp_dir_;
};

// The missing-file message.
std::string NoFileMessage(std::string_view name);
// DOS date-time (date in the high word) of a file time, in local time.
int32_t DosDateTime(int64_t unix_seconds);
int64_t UnixTimeOfDos(int32_t dos);

}  // namespace mivo
