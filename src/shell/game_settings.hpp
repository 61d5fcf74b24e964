#pragma once
// The four player settings of game.ini, read once at start.
#include <string>

#include "shell/ini_file.hpp"

namespace mivo {

struct GameSettings {
    bool direct_sound = true;  // [Sound] DirectSound: open the sound device at start
    int delay_time = 500;      // [Sound] DelayTime, ms: multiple of 100 in 100..500
    bool use_wmp = false;      // [Video] UseWMP
    bool default_fonts_only = false;  // [Font] DefaultOnly

    static GameSettings From(const TIniFile& ini);
    // DelayTime rule: down to a multiple of 100, then into 100..500.
    static int ClampDelay(int ms);
};

}  // namespace mivo
