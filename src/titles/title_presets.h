#pragma once
// Named sets of title settings. An editor's presets are JSON files (the
// settings' own stored form) in "Title Presets" beside the settings file, so
// one can be mailed to a colleague and imported there. Three ship with the
// program and cannot be overwritten: the defaults, a documentary lower third
// and large social video captions.
#include <string>
#include <vector>

#include "base/result.h"
#include "titles/titles_settings.h"

namespace quelvo {

struct TitlePreset {
    std::string name;
    TitlesSettings settings;
    bool shipped = false;
};

namespace titlepresets {

// The presets that come with the program, in menu order.
std::vector<TitlePreset> shipped();
// The folder of the editor's presets (it may not exist yet).
std::string folder();
// Shipped ones first, then the editor's by name. A file that does not read
// as title settings is left out.
std::vector<TitlePreset> all();
// Stores settings under name, replacing an earlier preset of that name.
// Fails for an empty name, a shipped preset's name or a file that cannot be written.
Status save(const std::string& name, const TitlesSettings& settings);
// Removes one of the editor's presets.
Status remove(const std::string& name);
// Writes settings to any path, for sharing.
Status exportTo(const std::string& path, const TitlesSettings& settings);
// Reads a shared file and stores it as a preset named after the file. The
// stored preset's name is given back in `name`.
Status importFrom(const std::string& path, std::string* name = nullptr);

} // namespace titlepresets
} // namespace quelvo
