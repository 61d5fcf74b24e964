#pragma once
// Used by the files that fill the function table: put a handler in the slot
// of the function of that name.
#include <cstdlib>
#include <string_view>

#include "script/sysfuncs.hpp"

namespace mivo::script {

inline void SetHandler(SysFuncHandler* table, std::string_view name, SysFuncHandler run) {
    int index = FindSysFunction(name);
    if (index < 0) std::abort();  // a name missing from the table is a programming error
    table[index] = run;
}

}  // namespace mivo::script
