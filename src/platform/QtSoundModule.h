#pragma once

class QString;

namespace veltrin {

// The sound module's one entry, found by name once it is loaded: plays a
// sound file, or beeps when the file cannot be played.
using SoundPlayer = void (*)(const QString& file);
inline constexpr char kSoundPlayerName[] = "VeltrinPlaySound";
// Names another module file (for tests and for a moved installation).
inline constexpr char kSoundModuleVariable[] = "VELTRIN_SOUND_MODULE";

}  // namespace veltrin
