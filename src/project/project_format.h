#pragma once
// The editors a ducking project can be written for, and how each is named on
// the command line, stored in the settings and given a file extension. One
// table serves the desktop question, the command line and the job, so a
// format cannot be spelt two ways.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

enum class ProjectFormat {
    fcpxml16, // Final Cut Pro before 10.6
    fcpxml19, // Final Cut Pro 10.6 and later
    xmeml,    // Final Cut Pro 7 XML: Premiere Pro and DaVinci Resolve
    mlt,      // MLT XML: Shotcut
};
// Kdenlive 22.12 did not open an MLT document with Kdenlive's additions as
// its own project (docs/editor-formats.md), so it is not offered; the stored
// choice 4 is kept free for it.

// "1.6", "1.9", "xmeml", "mlt": the --format words.
std::string_view formatOption(ProjectFormat format);
std::optional<ProjectFormat> formatFromOption(std::string_view option);
// Every --format word, in order, joined by "|" (for usage texts).
std::string formatOptionList();

// "fcpxml", "xml", "mlt", without the dot.
std::string_view fileExtension(ProjectFormat format);

// Only Final Cut Pro's formats can be handed over to it.
bool isFinalCutPro(ProjectFormat format);

// The remembered choice as stored: 0 and 1 keep their old meaning (1.6 and
// 1.9); the other editors store new values. An unknown stored value reads as
// nothing remembered.
int storedChoice(ProjectFormat format);
std::optional<ProjectFormat> formatFromStoredChoice(int stored);

std::vector<ProjectFormat> allProjectFormats();

} // namespace quelvo
