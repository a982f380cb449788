#pragma once
// What a finished job has to tell although it succeeded. One sentence each,
// built here once so that the command line and the desktop program say the
// same thing.
#include <string>

#include "media/audio_damage.h"
#include "speech/detection_mode.h"

namespace quelvo {

// "no speech found in talk.wav above -24 dB; lower the speech threshold or
// use automatic detection": the dialogue's file name and the threshold the
// analysis used. Automatic detection has no threshold to lower; it says so.
std::string noSpeechWarning(const std::string& dialoguePath, double thresholdDb,
                            DetectionMode mode = DetectionMode::threshold);

// "3.2% of the dialogue talk.m4a is damaged, first at 00:12:04; it is played
// as silence", and for timestamp jumps "the timestamps of the dialogue
// talk.flac jump 2 times, first at 00:00:01; the audio after each jump
// follows on without a gap". role is "dialogue", "music" or "filler";
// totalSamples what the damage is a share of. "" when nothing was passed over.
std::string damageWarning(const std::string& role, const std::string& path,
                          const AudioDamage& damage, int64_t totalSamples);

// "the header of music.mp3 says it lasts 0.03 s, but its audio lasts 4.44 s;
// the project uses the audio's length".
std::string lengthWarning(const std::string& path, double headerSeconds, double audioSeconds);

// "phone.mp4 runs at 29.87 frames per second (a variable rate); its
// timeline runs at 29.97, the nearest rate Final Cut Pro offers": a video
// dialogue whose rate is none of the timeline rates.
std::string frameRateWarning(const std::string& path, double videoRate, double timelineRate,
                             bool variableRate);

} // namespace quelvo
