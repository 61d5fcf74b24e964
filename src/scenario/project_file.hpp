#pragma once
// The project file (mivo.zpb), the installation record (install.dat) and the
// folder-disk table of multi-disc games.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mivo {

// One initial variable of the project: value kind, name, value.
struct TParamData {
    uint8_t kind = 1;  // 1 int, 2 float, 3 bool, 4 string; others carry no value
    std::string name;
    int32_t int_value = 0;
    long double float_value = 0;
    bool bool_value = false;
    std::string str_value;
};

struct TFolderDisk {
    std::string folder;
    int32_t disk = 0;
};

// Folder names with the disc each lives on.
class TFolderDiskList {
public:
    std::vector<TFolderDisk> items;
    // The disc of a file: its folder, else each parent folder in turn; 0 when
    // no folder of the table holds it.
    int32_t DiskOf(std::string_view file_name) const;
};

struct TProjectSetting {
    static constexpr int32_t kMaxVersion = 116;

    int32_t version = kMaxVersion;
    std::string name;
    int32_t screen_width = 800, screen_height = 600;
    int32_t full_width = 800, full_height = 600;
    std::string start_page;
    std::string exit_page;        // version >= 110
    std::string registry_key;
    int32_t image_key = 0;
    uint8_t save_status = 0;      // version > 103
    uint8_t frame_pacing = 0;     // version >= 106
    std::string media_extensions = ".wav.wma.ogg.mid";  // version >= 109
    uint8_t pause_inactive = 0;   // version > 112
    uint8_t reserved = 0;         // version >= 114
    uint8_t toolbar = 1;          // version >= 116
    std::string disk_prompt;
    std::string exit_notice;
    std::vector<TParamData> variables;
    TFolderDiskList folder_disks;

    // Raises FormatError (naming source) for a malformed file and Error with
    // "このバージョンには対応していません" for a version above 116.
    static TProjectSetting Parse(std::string_view bytes, const std::string& source);
    std::string Serialize() const;
};

// The three fields of install.dat the player uses.
struct TMivoInstallSet {
    int32_t version = 0;  // from the "isNNN" header; 0 without it
    int32_t disk = 0;
    std::string project_name;
    bool installed_whole = false;

    static TMivoInstallSet Parse(std::string_view bytes, const std::string& source);
};

}  // namespace mivo
