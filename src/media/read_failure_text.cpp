#include "media/read_failure_text.h"

#include <cmath>
#include <utility>

#include "media/audio_file.h"

namespace quelvo {

namespace {

struct Row {
    const char* needle; // found anywhere in the reason, ignoring case
    ReadFailureText text;
};

// The first row whose needle is in the reason wins, so the specific ones
// come before the general ones ("no audio could be decoded: Invalid data…"
// is about the decoding, not about the header).
const Row kRows[] = {
    {"does not exist",
     {"File not found", "is no longer where it was chosen", "Put it back, or choose it again."}},
    {"is a folder", {"A folder, not a file", "is a folder", "Choose an audio file inside it."}},
    {"not a regular file",
     {"Not a regular file", "is not a regular file", "Choose an audio file saved on a disk."}},
    {"the file is empty", {"The file is empty", "is empty", "Export the audio again."}},
    {"permission denied",
     {"No permission to read", "may not be read by Quelvo",
      "Check the file's permissions, or copy it to a folder of your own."}},
    {"ends early",
     {"The file is cut short", "is cut short: part of its audio is missing",
      "Copy or export the file again."}},
    {"bytes can hold",
     {"The file's header is damaged",
      "has a damaged header: it claims more audio than the file holds", "Export the audio again."}},
    {"shorter than one frame",
     {"Too short to use", "is too short: it lasts less than one frame of the timeline",
      "Choose a longer recording."}},
    {"of the audio is damaged",
     {"The audio is damaged", "is damaged: too much of its audio cannot be decoded",
      "Export the audio again."}},
    {"most of the audio data is damaged",
     {"The audio is damaged", "is mostly damaged", "Export the audio again."}},
    {"no audio could be decoded",
     {"No audio could be read", "holds no audio that Quelvo can read",
      "Export it again as WAV or AIFF."}},
    {"no audio stream",
     {"No audio in this file", "holds no audio", "Use a WAV, MP3, M4A or AIFF file."}},
    {"no decoder",
     {"Audio format not supported", "uses an audio format Quelvo cannot decode",
      "Convert it to WAV or AIFF."}},
    {"sample rate",
     {"Audio format not supported", "has a sample rate Quelvo cannot use",
      "Convert it to WAV or AIFF at a fixed rate such as 48 kHz."}},
    {"sample format",
     {"Audio format not supported", "uses a sample format Quelvo cannot use",
      "Convert it to WAV or AIFF."}},
    {"no channels",
     {"Audio format not supported", "has no audio channels", "Use a WAV, MP3, M4A or AIFF file."}},
    {"invalid data found",
     {"Not audio Quelvo can read", "is not audio that Quelvo can read",
      "Use WAV, MP3, M4A or AIFF."}},
    // FFmpeg's words for a file whose bytes are no audio it knows.
    {"failed to read frame size",
     {"Not audio Quelvo can read", "is not audio that Quelvo can read",
      "Use WAV, MP3, M4A or AIFF."}},
    {"invalid argument",
     {"Not audio Quelvo can read", "is not audio that Quelvo can read",
      "Use WAV, MP3, M4A or AIFF."}},
    {"end of file",
     {"The file is cut short", "is cut short: part of its audio is missing",
      "Copy or export the file again."}},
};

const ReadFailureText kGeneral{"Can't read this file", "could not be read",
                               "Use WAV, MP3, M4A or AIFF."};

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

} // namespace

ReadFailureText readFailureText(const std::string& reason) {
    const std::string haystack = lower(reason);
    for (const Row& row : kRows)
        if (haystack.find(row.needle) != std::string::npos) return row.text;
    return kGeneral;
}

std::string readFailureSentence(const std::string& role, const std::string& fileName,
                                const std::string& reason) {
    const ReadFailureText text = readFailureText(reason);
    const std::string quoted = "\u201C" + fileName + "\u201D ";
    return (role.empty() ? quoted : "The " + role + " file " + quoted) + text.problem + ". " +
           text.advice;
}

ReadFailureText videoReadFailureText(const std::string& reason) {
    ReadFailureText text = readFailureText(reason);
    for (std::string* words : {&text.brief, &text.problem})
        for (const auto& [from, to] : {std::pair("audio", "video"), std::pair("Audio", "Video")})
            for (size_t at = words->find(from); at != std::string::npos; at = words->find(from, at))
                words->replace(at, 5, to);
    if (text.advice.find("WAV") != std::string::npos)
        text.advice = "Export it again as MOV or MP4.";
    return text;
}

Status checkUsableAudio(const std::string& path, double* duration) {
    if (duration) *duration = 0;
    const AudioFileInfo info = probeAudioFile(path);
    if (!info.status) return info.status;
    if (duration) *duration = std::isfinite(info.duration) ? info.duration : 0;
    return checkAudioComplete(path);
}

} // namespace quelvo
