#pragma once
// The preview's colours, shared by the Qt painter and the SVG writer.
namespace quelvo::preview::colors {

inline constexpr const char* kBackground = "#1e2227";
inline constexpr const char* kRuler = "#2b3038";
inline constexpr const char* kRulerText = "#c8ccd2";
inline constexpr const char* kLane = "#262b31";
inline constexpr const char* kDialogueWave = "#7fb3e6";
inline constexpr const char* kMusicWave = "#8fc99a";
inline constexpr const char* kSpeech = "#f0c05a"; // drawn at 30 % opacity
inline constexpr const char* kFiller = "#c98fe0"; // drawn at 30 % opacity
inline constexpr const char* kEnvelope = "#ff7a59";
inline constexpr const char* kGrid = "#4a515b";
// Behind every label, opaque: the ruler's text on it has a contrast of
// about 10:1, where over the music's green it had 2.7:1.
inline constexpr const char* kLabelPlate = "#1e2227";
inline constexpr double kShadeOpacity = 0.3;
// The music's waveform stays behind the envelope drawn over it.
inline constexpr double kMusicWaveOpacity = 0.55;

} // namespace quelvo::preview::colors
