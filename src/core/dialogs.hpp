#pragma once
// Message boxes, as the game and the player ask them. The window draws them;
// a headless player prints them and takes the given answer.
#include <string>

namespace mivo {

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Information, Warning, Question, Error };
enum class MsgResult { Ok, Cancel, Yes, No };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Text and caption are UTF-8. headless_answer is what an unattended run
    // answers (chosen so that no question is asked forever).
    virtual MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                           MsgResult headless_answer) = 0;
};

// Prints "caption: text" on stderr and answers as told.
class StderrDialogs : public IDialogs {
public:
    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                   MsgResult headless_answer) override;
};

}  // namespace mivo
