#include "core/dialogs.hpp"

#include <cstdio>

namespace mivo {

MsgResult StderrDialogs::Show(const std::string& text, const std::string& caption, MsgButtons, MsgIcon,
                              MsgResult headless_answer) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return headless_answer;
}

}  // namespace mivo
