// Arbitrary bytes as a scenario page: loading must end in a page or a clear
// error; a loaded page must write itself back and dump as source.
#include <cstdint>
#include <string>

#include "core/error.hpp"
#include "scenario/page.hpp"
#include "scenario/page_source.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    mivo::TPage page;
    try {
        page.Load(bytes, "fuzz.zsb");
    } catch (const mivo::Error&) {
        return 0;
    }
    if (page.Serialize() != bytes && page.version <= mivo::TPage::kMaxVersion) {
        // Every byte of a page is kept; anything else is a loader fault
        // (trailing bytes after the last command are the one exception).
        if (page.Serialize() != bytes.substr(0, page.Serialize().size())) __builtin_trap();
    }
    (void)mivo::DumpPageSource(page);
    return 0;
}
