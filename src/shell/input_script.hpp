#pragma once
// Scripted input for unattended runs: a text file of frame-numbered mouse
// and key events, so a test can play a game the way a person would.
//
//   # frame  event   arguments
//   10       move    120 340          pointer to (120, 340)
//   10       down    left             a button goes down (left, right)
//   11       up      left
//   20       click   120 340          move, down, and up one frame later
//   30       wheel   -1               down (negative) or up
//   40       key     0x0D             key down, and up one frame later
//   41       keydown 0x10
//   45       keyup   0x10
//   50       close                    the window's close button
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/window.hpp"

namespace mivo {

class InputScript {
public:
    // Raises FormatError naming the file and line for a bad line.
    static InputScript Parse(std::string_view text, const std::string& source);
    static InputScript Load(const std::string& path);
    // The events for a frame (counted from 1), in file order.
    const std::vector<WindowEvent>& At(long long frame) const;
    long long LastFrame() const { return events_.empty() ? 0 : events_.rbegin()->first; }

private:
    std::map<long long, std::vector<WindowEvent>> events_;
};

}  // namespace mivo
