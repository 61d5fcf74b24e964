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
    // What a page writes it reads back the same (odd spellings in the input,
    // such as a Boolean byte of 2, are written in their plain form).
    std::string once = page.Serialize();
    mivo::TPage again;
    again.Load(once, "fuzz.zsb");
    if (again.Serialize() != once) __builtin_trap();
    (void)mivo::DumpPageSource(page);
    return 0;
}
