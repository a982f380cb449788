#include "titles/title_presets.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/files.h"
#include "base/settings_store.h"

namespace quelvo::titlepresets {

namespace fs = std::filesystem;

namespace {

const char* const kExtension = ".json";

bool isShippedName(const std::string& name) {
    for (const TitlePreset& p : shipped())
        if (p.name == name) return true;
    return false;
}

// A preset's name as a file name: path separators and control characters
// would put it elsewhere or nowhere.
std::string fileNameFor(const std::string& name) {
    std::string out;
    for (const char c : name)
        out += (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32) ? '_' : c;
    if (out == "." || out == "..") out = "_";
    return out + kExtension;
}

std::optional<TitlesSettings> readFile(const std::string& path, std::string* error) {
    std::string text;
    if (!quelvo::readFileBytes(path, text, error)) return std::nullopt;
    auto settings = TitlesSettings::decodeText(text);
    if (!settings && error) *error = "it is not a JSON object of title settings";
    return settings;
}

} // namespace

std::vector<TitlePreset> shipped() {
    std::vector<TitlePreset> list;
    list.push_back({"Default", TitlesSettings(), true});

    // Left-aligned, smaller text low in the frame on a soft dark band, as
    // names and places are captioned in interviews.
    TitlesSettings lower;
    lower.size = 48;
    lower.alignment = Alignment::left;
    lower.strokeWidth = 0;
    lower.baselinePerc = 0.14f;
    lower.shadow.enable = true;
    lower.shadow.opacity = 0.6;
    lower.shadow.blur = 4;
    lower.shadow.distance = 3;
    lower.addPatch = true;
    lower.patch = Patch{0.9, 0.11, 0.1, 0.55, quelvo::RgbaColor::pureBlack()};
    lower.minDuration = 1.5;
    lower.avoidOverlap = true;
    list.push_back({"Documentary lower third", lower, true});

    // Big, heavy, centred text with a thick outline that stays readable on a
    // phone, in short lines.
    TitlesSettings social;
    social.size = 90;
    social.fontFace = "Bold";
    social.strokeWidth = 6;
    social.baselinePerc = 0.3f;
    social.shadow.enable = true;
    social.shadow.opacity = 0.8;
    social.minDuration = 1;
    social.avoidOverlap = true;
    social.splitText = SplitText{true, 32};
    list.push_back({"Social video captions", social, true});
    return list;
}

std::string folder() {
    return (fs::path(quelvo::SettingsStore::instance().filePath()).parent_path() / "Title Presets")
        .string();
}

std::vector<TitlePreset> all() {
    std::vector<TitlePreset> list = shipped();
    std::vector<TitlePreset> own;
    std::error_code ec;
    for (fs::directory_iterator it(folder(), ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path p = it->path();
        if (p.extension() != kExtension) continue;
        if (auto settings = readFile(p.string(), nullptr)) {
            const std::string name = p.stem().string();
            if (!isShippedName(name)) own.push_back({name, std::move(*settings), false});
        }
    }
    std::sort(own.begin(), own.end(),
              [](const TitlePreset& a, const TitlePreset& b) { return a.name < b.name; });
    list.insert(list.end(), own.begin(), own.end());
    return list;
}

quelvo::Status save(const std::string& name, const TitlesSettings& settings) {
    if (name.empty()) return quelvo::Status::failure("a preset needs a name");
    if (isShippedName(name))
        return quelvo::Status::failure("\"" + name + "\" comes with Quelvo; choose another name");
    std::error_code ec;
    fs::create_directories(folder(), ec);
    if (ec)
        return quelvo::Status::failure("cannot make the folder " + folder() + ": " + ec.message());
    return exportTo((fs::path(folder()) / fileNameFor(name)).string(), settings);
}

quelvo::Status remove(const std::string& name) {
    std::error_code ec;
    if (!fs::remove(fs::path(folder()) / fileNameFor(name), ec))
        return quelvo::Status::failure("there is no preset \"" + name + "\"" +
                                       (ec ? ": " + ec.message() : ""));
    return quelvo::Status::success();
}

quelvo::Status exportTo(const std::string& path, const TitlesSettings& settings) {
    return quelvo::atomicWriteFile(path, settings.encode().dump(2) + "\n");
}

quelvo::Status importFrom(const std::string& path, std::string* name) {
    std::string error;
    const auto settings = readFile(path, &error);
    if (!settings) return quelvo::Status::failure(path + ": " + error);
    std::string stem = fs::path(path).stem().string();
    if (isShippedName(stem)) stem += " (imported)";
    if (name) *name = stem;
    return save(stem, *settings);
}

} // namespace quelvo::titlepresets
