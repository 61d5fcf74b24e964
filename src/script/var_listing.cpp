#include "script/var_listing.hpp"

#include <algorithm>

#include "script/param_collection.hpp"

namespace mivo::script {

namespace {
// Element i of an array as [a,b,...] of its dimensions.
std::string IndexText(const std::vector<int32_t>& dims, int64_t i) {
    std::vector<int64_t> index(dims.size());
    for (size_t k = dims.size(); k-- > 0;) {
        int64_t d = std::max<int32_t>(dims[k], 1);
        index[k] = i % d;
        i /= d;
    }
    std::string out = "[";
    for (size_t k = 0; k < index.size(); ++k) out += (k ? "," : "") + std::to_string(index[k]);
    return out + "]";
}
}  // namespace

void AppendVariableLines(const std::string& name, const TCustomParam& p, std::vector<std::string>& out) {
    std::vector<int32_t> dims = p.Dims();
    if (dims.empty()) {
        out.push_back(name + "\t" + p.AsStr());
        return;
    }
    for (int64_t i = 0; i < p.GetCount(); ++i) out.push_back(name + IndexText(dims, i) + "\t" + p.GetStrAt(i));
}

std::vector<std::string> GameVariableLines(const TParamCollection& vars) {
    std::vector<const TParamCollectionItem*> items;
    for (int i = 0; i < vars.Count(); ++i) {
        const TParamCollectionItem& item = vars[i];
        if (vars.IsSystem(item) || IsTempName(item.Name())) continue;
        items.push_back(&item);
    }
    std::stable_sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->Name() < b->Name(); });
    std::vector<std::string> out;
    for (const auto* item : items) AppendVariableLines(item->Name(), item->P(), out);
    return out;
}

}  // namespace mivo::script
