#include "shell/game_settings.hpp"

#include <algorithm>

namespace mivo {

int GameSettings::ClampDelay(int ms) { return std::clamp(ms / 100 * 100, 100, 500); }

GameSettings GameSettings::From(const TIniFile& ini) {
    GameSettings s;
    s.direct_sound = ini.ReadBool("Sound", "DirectSound", s.direct_sound);
    s.delay_time = ClampDelay(ini.ReadInteger("Sound", "DelayTime", s.delay_time));
    s.use_wmp = ini.ReadBool("Video", "UseWMP", s.use_wmp);
    s.default_fonts_only = ini.ReadBool("Font", "DefaultOnly", s.default_fonts_only);
    return s;
}

}  // namespace mivo
