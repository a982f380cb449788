#pragma once
// Small toolkit services: status lines, time codes and the build number.
#include <string>

namespace quelvo {

// Where a long job shows what it is doing. The progress sheet implements it;
// implementations must accept calls from any thread.
class StatusSink {
  public:
    virtual ~StatusSink() = default;
    virtual void setStatus(const std::string& text) = 0;
};

// Shows text in the status line when there is one.
void showStatus(StatusSink* label, const std::string& text);

struct Timecode {
    // "HH:MM:SS.mmm" ("," before the milliseconds when withComma); negative
    // and non-finite times read as 0.
    static std::string withMilliseconds(double seconds, bool withComma = false);
    // "HH:MM:SS:FF", the timecode an editor reads on a timeline of `fps`
    // frames a second: the nearest frame, counted non-drop as the projects
    // are (23.976 counts 24 frames to its second, 29.97 thirty). Negative
    // and non-finite times read as 0, a rate below 1 as 30.
    static std::string withFrames(double seconds, double fps);
};

struct BuildVersion {
    // The build component of the program's version.
    static float buildNumber();
    // The whole version text, for About panels and --version.
    static std::string versionString();
};

} // namespace quelvo
