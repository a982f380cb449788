#pragma once
// The on/off choices an editor sets for ducking, beside the numbers of
// duck_settings.h: each stored key with its default, read by the desktop
// main window and the command line from here alone.
namespace quelvo {

struct FlagSetting {
    const char* key; // in the settings file
    bool defaultValue;
};

namespace settings {

// "Decrease to zero": its key has kept the name the first version gave it.
inline constexpr FlagSetting kDecreaseToZero{"decreaseToZero", false};

} // namespace settings

// The stored choice, or the default when none (or no boolean) is stored.
bool storedFlag(const FlagSetting& setting);

} // namespace quelvo
