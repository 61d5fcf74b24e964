#include "scenario/project_file.hpp"

#include "core/byte_reader.hpp"
#include "core/extended.hpp"
#include "core/error.hpp"
#include "core/sjis.hpp"

namespace mivo {

int32_t TFolderDiskList::DiskOf(std::string_view file_name) const {
    std::string name = sjis::UpperCase(file_name);
    while (!name.empty()) {
        std::string with = name + "\\";
        for (const TFolderDisk& fd : items) {
            std::string folder = fd.folder;
            if (folder.empty() || folder.back() != '\\') folder += '\\';
            if (sjis::SameText(folder, with)) return fd.disk;
        }
        // Up one folder (double-byte aware: a trail byte 0x5C is no separator).
        size_t cut = std::string::npos;
        for (size_t i = 0; i < name.size();) {
            size_t n = sjis::CharLen(name, i);
            if (n == 1 && name[i] == '\\') cut = i;
            i += n;
        }
        if (cut == std::string::npos) break;
        name.resize(cut);
    }
    return 0;
}

TProjectSetting TProjectSetting::Parse(std::string_view bytes, const std::string& source) {
    ByteReader r(bytes.data(), bytes.size(), source);
    TProjectSetting p;
    p.version = r.I32();
    if (p.version > kMaxVersion) throw Error("このバージョンには対応していません");
    if (p.version < 0) r.Fail("negative version");
    p.name = r.Str();
    p.screen_width = r.I32();
    p.screen_height = r.I32();
    p.full_width = r.I32();
    p.full_height = r.I32();
    p.start_page = r.Str();
    if (p.version >= 110) p.exit_page = r.Str();
    p.registry_key = r.Str();
    p.image_key = r.I32();
    if (p.version > 103) p.save_status = r.U8();
    if (p.version >= 106) p.frame_pacing = r.U8();
    if (p.version >= 109) p.media_extensions = r.Str();
    if (p.version > 112) p.pause_inactive = r.U8();
    if (p.version >= 114) p.reserved = r.U8();
    if (p.version >= 116) p.toolbar = r.U8();
    p.disk_prompt = r.Str();
    p.exit_notice = r.Str();
    size_t m = r.Count(r.I32(), 5, "initial variable count");
    p.variables.reserve(m);
    for (size_t i = 0; i < m; ++i) {
        TParamData d;
        d.kind = r.U8();
        d.name = r.Str();
        switch (d.kind) {
            case 1: d.int_value = r.I32(); break;
            case 2: d.float_value = r.Extended(); break;
            case 3: d.bool_value = r.U8() != 0; break;
            case 4: d.str_value = r.Str(); break;
            default: break;
        }
        p.variables.push_back(std::move(d));
    }
    size_t k = r.Count(r.I32(), 8, "folder-disk count");
    p.folder_disks.items.reserve(k);
    for (size_t i = 0; i < k; ++i) {
        TFolderDisk fd;
        fd.folder = r.Str();
        fd.disk = r.I32();
        p.folder_disks.items.push_back(std::move(fd));
    }
    return p;
}

std::string TProjectSetting::Serialize() const {
    std::string o;
    PutI32(o, version);
    PutStr(o, name);
    PutI32(o, screen_width);
    PutI32(o, screen_height);
    PutI32(o, full_width);
    PutI32(o, full_height);
    PutStr(o, start_page);
    if (version >= 110) PutStr(o, exit_page);
    PutStr(o, registry_key);
    PutI32(o, image_key);
    if (version > 103) PutU8(o, save_status);
    if (version >= 106) PutU8(o, frame_pacing);
    if (version >= 109) PutStr(o, media_extensions);
    if (version > 112) PutU8(o, pause_inactive);
    if (version >= 114) PutU8(o, reserved);
    if (version >= 116) PutU8(o, toolbar);
    PutStr(o, disk_prompt);
    PutStr(o, exit_notice);
    PutI32(o, static_cast<int32_t>(variables.size()));
    for (const TParamData& d : variables) {
        PutU8(o, d.kind);
        PutStr(o, d.name);
        switch (d.kind) {
            case 1: PutI32(o, d.int_value); break;
            case 2: {
                Extended10 e = EncodeExtended(d.float_value);
                o.append(reinterpret_cast<const char*>(e.data()), e.size());
                break;
            }
            case 3: PutU8(o, d.bool_value ? 1 : 0); break;
            case 4: PutStr(o, d.str_value); break;
            default: break;
        }
    }
    PutI32(o, static_cast<int32_t>(folder_disks.items.size()));
    for (const TFolderDisk& fd : folder_disks.items) {
        PutStr(o, fd.folder);
        PutI32(o, fd.disk);
    }
    return o;
}

TMivoInstallSet TMivoInstallSet::Parse(std::string_view bytes, const std::string& source) {
    ByteReader r(bytes.data(), bytes.size(), source);
    TMivoInstallSet s;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (bytes.size() >= 5 && bytes[0] == 'i' && bytes[1] == 's' && digit(bytes[2]) && digit(bytes[3]) && digit(bytes[4])) {
        s.version = (bytes[2] - '0') * 100 + (bytes[3] - '0') * 10 + (bytes[4] - '0');
        r.Skip(5);
    }
    const int v = s.version;
    s.disk = r.I32();
    s.project_name = r.Str();
    for (int i = 0; i < 3; ++i) r.Str();
    r.U8();
    r.Str();
    r.U8();
    size_t n = r.Count(r.I32(), 16, "drive value count");
    r.Str();
    r.I32();
    r.U8();
    r.U8();
    r.Str();
    r.Str();
    size_t width = v > 99 ? 8 : 4;
    r.Skip(n * 4 * width);
    r.Skip(4 * width);
    r.U8();
    if (v > 100) r.U8();
    if (v > 101) {
        size_t m = r.Count(r.I32(), 4, "string count");
        for (size_t i = 0; i < m; ++i) r.Str();
    }
    if (v > 102) s.installed_whole = r.U8() != 0;
    return s;
}

}  // namespace mivo
