#pragma once
// One named entry of the variable collection.
#include <memory>

#include "core/hash_collection.hpp"
#include "script/params.hpp"

namespace mivo::script {

class TParamCollectionItem : public THashItem {
public:
    TParamCollectionItem() = default;
    explicit TParamCollectionItem(std::unique_ptr<TCustomParam> p) : Param(std::move(p)) {}

    std::unique_ptr<TCustomParam> Param;  // never null
    uint8_t Reserved = 0;
    uint8_t Status = 0;   // 1 for a status variable
    int32_t FrameId = -1;  // call frame of an auto-delete or local variable
    uint8_t Local = 0;    // 1 for a local variable

    TCustomParam& P() const { return *Param; }

    // For scratch items kept outside the collection (expression temporaries).
    void SetScratchName(std::string name) { SetDetachedName(std::move(name)); }
};

}  // namespace mivo::script
