#pragma once
// What a reader can do about a file the audio layer could not read. The
// audio layer's reasons are precise but technical ("Invalid data found when
// processing input", "the file has no audio stream"); the desktop program
// shows a user the plain words below and keeps the reason for a Details
// disclosure. Every reason is matched in this one table, so the desktop's
// alerts and its drop areas say the same thing about the same file.
// The command line keeps printing the technical reason: scripts and bug
// reports want it verbatim.
#include <string>

#include "base/result.h"

namespace quelvo {

struct ReadFailureText {
    // A few words for a drop area's duration line: "Not audio Quelvo can read".
    std::string brief;
    // What is wrong, continuing "The dialogue file “talk.wav” ": "is not audio
    // that Quelvo can read".
    std::string problem;
    // What to do about it, one sentence: "Use WAV, MP3, M4A or AIFF."
    std::string advice;
};

// The words for one reason from probeAudioFile, checkAudioComplete or
// analyzeLevels. A reason not in the table gets a general text.
ReadFailureText readFailureText(const std::string& reason);

// "The dialogue file “talk.wav” is not audio that Quelvo can read. Use WAV,
// MP3, M4A or AIFF." role is "dialogue", "music" or "filler"; fileName the
// file's name without its folder. With no role: "“talk.wav” is not audio…".
std::string readFailureSentence(const std::string& role, const std::string& fileName,
                                const std::string& reason);

// The same words for a video the titles window could not read: "video"
// where the audio rows say "audio", and MOV or MP4 as the formats to use.
ReadFailureText videoReadFailureText(const std::string& reason);

// Whether the file can be used as a job's input: its header probes and its
// packets are all there (what the job checks before its analysis, without
// decoding). On failure the status carries the technical reason. duration,
// when given, receives the header's duration (0 when unreadable).
Status checkUsableAudio(const std::string& path, double* duration = nullptr);

} // namespace quelvo
