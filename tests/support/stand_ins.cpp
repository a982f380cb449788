#include "support/test_support.h"

namespace quelvo::test {

namespace {

// Seconds of a stand-in dialogue: most are as short as the first interview;
// the long conversation stays long enough to be read in pieces.
const char* dialogueSeconds(const std::string& relative) {
    return relative.find("long_conversation") != std::string::npos ? "191.2" : "15.88";
}

} // namespace

// Without ../shared the tests that only need "a dialogue" or "a music bed"
// still run, on stand-ins of our own made once per run: espeak-ng speech
// with pauses for the dialogues, sox tones with a 6 s silent stretch for the
// music. Same names, formats and rates; other sounds.
fs::path standIn(const std::string& relative) {
    static TempDir made;
    const fs::path target = made / fs::path(relative).filename();
    if (fs::exists(target)) return target;
    const fs::path speech = made / "speech.wav";
    if (!fs::exists(speech)) {
        runProgram({"/usr/bin/espeak-ng", "-w", (made / "a.wav").string(),
                    "Hello there, this is a short interview."});
        runProgram({"/usr/bin/espeak-ng", "-w", (made / "b.wav").string(),
                    "After a pause, it goes on for a while."});
        runProgram({"/usr/bin/sox", (made / "a.wav").string(), (made / "b.wav").string(),
                    speech.string(), "pad", "0.5", "12", "trim", "0", "15.88"});
    }
    const std::string ext = target.extension().string();
    if (relative.rfind("dialogue/", 0) == 0) {
        const bool stereo48k = relative.find("48k_stereo") != std::string::npos;
        const fs::path sized = made / ("sized-" + target.stem().string() + ".wav");
        runProgram({"/usr/bin/sox", speech.string(), "-r", stereo48k ? "48000" : "22050", "-c",
                    stereo48k ? "2" : "1", sized.string(), "repeat", "12", "trim", "0",
                    dialogueSeconds(relative)});
        if (ext == ".m4a")
            runProgram({"/usr/bin/ffmpeg", "-v", "error", "-i", sized.string(), "-c:a", "aac",
                        target.string()});
        else if (ext == ".mp3")
            runProgram({"/usr/bin/ffmpeg", "-v", "error", "-i", sized.string(), "-c:a",
                        "libmp3lame", target.string()});
        else
            fs::copy_file(sized, target);
    } else {
        const fs::path tones = made / "tones.wav";
        if (!fs::exists(tones))
            runProgram({"/usr/bin/sox", "-n", "-r", "44100", "-c", "2", tones.string(), "synth",
                        "10", "sine", "220", "gain", "-12", "pad", "0", "6", "repeat", "1"});
        if (ext == ".mp3")
            runProgram({"/usr/bin/ffmpeg", "-v", "error", "-i", tones.string(), "-c:a",
                        "libmp3lame", target.string()});
        else
            fs::copy_file(tones, target);
    }
    return target;
}

fs::path recordingOrStandIn(const std::string& relative) {
    const fs::path shared = sharedDir() / "testdata" / relative;
    return fs::exists(shared) ? shared : standIn(relative);
}

} // namespace quelvo::test
