#pragma once
// Small toolkit services: status lines, time codes and the build number.
#include <string>

namespace kykit {

// Where a long job shows what it is doing. The progress sheet implements it;
// implementations must accept calls from any thread.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void setStatus(const std::string& text) = 0;
};

// Shows text in the status line when there is one; colour is unused.
void ih_setText(StatusSink* label, const std::string& text, const char* color = nullptr);

struct TC {
    // "HH:MM:SS.mmm" ("," before the milliseconds when withComma); negative
    // and non-finite times read as 0.
    static std::string getFloatTimecode(double seconds, bool withComma = false);
};

struct VersionUpdate {
    // The build component of the program's version.
    static float getCurrentBuild();
    // The whole version text, for About panels and --version.
    static std::string versionString();
};

} // namespace kykit
