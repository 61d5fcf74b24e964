#pragma once
// A scenario page: a flat list of commands loaded from a .zsb file. Nesting is
// carried by each command's indent and by stored command indexes.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.hpp"
#include "scenario/command_schema.hpp"

namespace mivo::script {
class TMivoParser;
}

namespace mivo {

class TCommand;

// A page older than the player reads: the game must be rebuilt.
class PageTooOldError : public Error {
public:
    using Error::Error;
};

class TPage {
public:
    static constexpr int32_t kMinVersion = 103;
    static constexpr int32_t kMaxVersion = 116;

    TPage();
    ~TPage();
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    // Parses a page file. A version above 116 gives an empty page; below 103
    // raises PageTooOldError; a malformed record raises FormatError naming
    // the page and the offset (an unknown command code: "不正なコマンド").
    void Load(std::string_view bytes, const std::string& name);
    // The page file again, byte for byte as it was loaded.
    std::string Serialize() const;

    int32_t version = kMaxVersion;
    uint8_t result_type = 1;
    std::string name;
    // The masks as the page uses them: one 21-byte mask per command code.
    std::array<std::array<uint8_t, kMaskBytes>, kCommandCodes> masks{};
    // The masks as stored (count, size, bytes), kept so the file can be
    // written back exactly.
    int32_t stored_mask_count = 0;
    int32_t stored_mask_size = kMaskBytes;
    std::string stored_masks;
    std::vector<std::unique_ptr<TCommand>> commands;

    int CommandCount() const { return static_cast<int>(commands.size()); }
    TCommand& At(int i) const { return *commands[static_cast<size_t>(i)]; }
    // Index of the first label of that name (case-sensitive), or -1.
    int FindLabel(std::string_view label) const;
    bool HasProperty(int code, int property) const {
        return (masks[static_cast<size_t>(code)][static_cast<size_t>(property / 8)] >> (property % 8)) & 1;
    }
    // Rebuilds the stored mask bytes from `masks` (for pages assembled from source).
    void StoreMasks();
};

}  // namespace mivo
