#pragma once
// Subtitles as Final Cut Pro titles: one <title> on the Basic Title template
// per subtitle, styled and timed by the title settings, optionally with a
// solid patch behind it, wrapped into an FCPXML 1.9 or 1.6 document that hangs
// the titles in a gap or attaches them to a video.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "base/task_runner.h"
#include "titles/subtitle_cue.h"
#include "titles/titles_settings.h"

namespace quelvo {

struct TimedTitle {
    std::string text;
    double startTime; // seconds
    double endTime;   // seconds
};

// Where one title lands in the project, and what moved it away from its
// subtitle's own times on the way.
struct TitlePlacement {
    double offset = 0;   // seconds on the clip's time line: the start plus the video's start time
    double duration = 0; // seconds
    int64_t lane = 1;
    bool shortenedForNext = false; // cut to end a frame before the next title starts
    bool raisedToMinimum = false;  // lengthened to the minimum duration
    bool raisedToOneFrame = false; // would have been empty or negative
    bool overlapsNext = false;     // still runs into the next title (it sits on its own lane)
};

class TitlesFcpxml {
  public:
    // Both constructors take their own settings object from the stored
    // settings (not the shared instance), or the one given, and then read the
    // video's start time. `videoFileUrl` is the video's file path.
    TitlesFcpxml(std::string eventName, std::vector<TimedTitle> titleList,
                 std::optional<std::string> videoFileUrl);
    TitlesFcpxml(std::string eventName, std::vector<TimedTitle> titleList,
                 std::optional<std::string> videoFileUrl, TitlesSettings settings);
    // Subtitles become titles in order; their counters are dropped.
    TitlesFcpxml(std::string eventName, const std::vector<SubtitleCue>& subtitles,
                 std::optional<std::string> videoFileUrl);
    TitlesFcpxml(std::string eventName, const std::vector<SubtitleCue>& subtitles,
                 std::optional<std::string> videoFileUrl, TitlesSettings settings);

    // The video's start time (its timecode), when the settings ask for it.
    void readVideoStartTime();

    double lastEndTime() const;
    // The smallest end, but never above 0.
    double minEndTime() const;
    // The most lines of any title's trimmed text.
    int64_t maxLineCount() const;

    // Where title i lands; titleXML writes exactly this.
    TitlePlacement placement(size_t i, std::optional<double> fps, bool avoidOverlap) const;

    // Every title element, in order. `fps` is the video's frame rate.
    std::string titlesXML(std::optional<double> fps, bool avoidOverlap, bool useV19);
    // The patch clip (or nothing), a line feed and the title element; the
    // title element is also printed to standard output.
    std::string titleXML(size_t i, std::optional<double> fps, bool avoidOverlap, bool useV19,
                         bool customTitleInUse);
    // The solid behind one title, spanning it exactly; "" without a patch.
    std::string patchVideoXML(const std::string& offset, const std::string& duration,
                              bool useV19) const;
    // The text's baseline in the title template's 1080 units, 0 in the middle.
    double baselineValue(const std::string& text) const;

    // The document parts. With a video, libraryXML renames the event after it.
    std::string resourcesXML(bool useV19, std::optional<double> fps);
    std::string libraryXML(std::optional<double> fps, bool avoidOverlap, bool useV19);
    std::string documentXML(bool useV19, bool avoidOverlap, const std::string& comment);

    // Writes the document atomically; the outcome says whether it got there.
    Status exportXML(const std::string& url, bool useV19, const std::string& comment);
    // The same as background tasks, for a caller to give a receiver and
    // start. The object must stay alive and untouched until the task is
    // over. Its document names the project and spine parts in its comments
    // ("TIMELINE PROJECT", "TIMELINE SPINE").
    TaskRequest<TaskDone> exportXMLTask(const std::string& url, bool useV19,
                                        const std::string& comment);
    TaskRequest<std::string> documentXMLTask(bool useV19, bool avoidOverlap,
                                             const std::string& comment);
    // Those tasks started on the program's runner, for a caller that waits.
    TaskHandle<TaskDone> exportXMLAsync(const std::string& url, bool useV19,
                                        const std::string& comment);
    TaskHandle<std::string> documentXMLAsync(bool useV19, bool avoidOverlap,
                                             const std::string& comment);

    std::string templateId = "Tessary_BasicTitle";
    std::string templateName = "Basic Title";
    std::string templateUID =
        ".../Titles.localized/Bumper:Opener.localized/Basic Title.localized/Basic Title.moti";
    std::string patchId = "Tessary_BlackPatch";
    std::string patchName = "Custom";
    std::string patchUID = ".../Generators.localized/Solids.localized/Custom.localized/Custom.motn";
    std::string videoFormatID = "Tessary_VideoAssetFormat";
    std::string videoID = "Tessary_VideoAsset";
    std::string eventName;
    TitlesSettings settings;
    std::vector<TimedTitle> titleList;
    std::optional<std::string> videoFileUrl;
    double videoStartTime = 0;
    // Called after each title element is made with (made, total), on the
    // thread that builds the document: a long file's progress.
    std::function<void(size_t, size_t)> onTitleMade;

    // The timeline rate: the video's, else the settings', else 30.
    double timebase(std::optional<double> fps) const;

  private:
    enum class Variant { sync, async };
    // Where the document's pieces go as they are made: a string, or a file.
    using Sink = std::function<void(std::string_view)>;
    void writeDocument(const Sink& out, bool useV19, bool avoidOverlap, const std::string& comment,
                       Variant variant);
    void writeLibrary(const Sink& out, std::optional<double> fps, bool avoidOverlap, bool useV19,
                      Variant variant);
    void writeTitles(const Sink& out, std::optional<double> fps, bool avoidOverlap, bool useV19);
    // Writes the document into a hidden file beside url and puts it in place:
    // the whole document is never held in memory.
    Status streamXML(const std::string& url, bool useV19, const std::string& comment,
                     Variant variant);
    std::string resourcesXML(bool useV19, std::optional<double> fps, Variant variant);
    std::string libraryXML(std::optional<double> fps, bool avoidOverlap, bool useV19,
                           Variant variant);
    std::string documentXML(bool useV19, bool avoidOverlap, const std::string& comment,
                            Variant variant);
    bool customTitleInUse() const;
};

} // namespace quelvo
