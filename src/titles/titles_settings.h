#pragma once
// The title settings: the look and timing of subtitle titles, the backing
// patch, text splitting, which inline tags to ignore, and what happens after
// an export. One shared instance lives for the whole run, loaded from the
// preferences store under "FCPXML_Titles_Settings" and saved back as JSON.
// The ducking request takes xmlExport.sendToFCPWithoutXMLFile from here.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "base/result.h"
#include "base/rgba_color.h"

namespace quelvo {

inline constexpr const char* kTitlesSettingsKey = "FCPXML_Titles_Settings";

// Spelled as the stored JSON spells it.
enum class Alignment { notSet, left, center, right, justified };
inline constexpr std::array<Alignment, 5> kAllAlignments = {
    Alignment::notSet, Alignment::left, Alignment::center, Alignment::right, Alignment::justified};
std::string rawValue(Alignment a);
std::optional<Alignment> alignmentFromRaw(std::string_view raw);
// The picker text: "Not Set", "Left", "Center", "Right", "Justified".
std::string displayText(Alignment a);

// A coloured box drawn behind the text.
struct Patch {
    double hSize = 0.8;
    double vSize = 0.125;
    double vPosition = 0.1;
    double opacity = 0.9;
    RgbaColor color = RgbaColor::pureBlack();
    bool operator==(const Patch&) const = default;
};

struct CustomTitle {
    bool enable = false;
    std::optional<std::string> sourceUrl; // a file URL text
    bool operator==(const CustomTitle&) const = default;
};

struct SplitText {
    bool split = false;
    int64_t length = 84; // characters
    bool operator==(const SplitText&) const = default;
};

struct Ignore {
    bool ignoreITags = true;
    bool ignoreBTags = true;
    bool ignoreFontTags = true;
    bool ignoreUTags = true;
    bool operator==(const Ignore&) const = default;
};

struct XMLExport {
    bool dontShowSplashAfterExport = false;
    bool openImmediatelyInFCP = false;
    bool sendToFCPWithoutXMLFile = false;
    bool operator==(const XMLExport&) const = default;
};

struct Shadow {
    bool enable = false;
    RgbaColor color = RgbaColor::pureBlack();
    double opacity = 0.75;
    double blur = 5.0;
    double distance = 5.0;
    double angle = 315.0; // degrees
    bool operator==(const Shadow&) const = default;
};

// Stored as a two-element array, width then height, each within the style
// panel's range; a stored size outside it reads as the default.
inline constexpr int kMinFrameSide = 16, kMaxFrameSide = 16384;
struct FrameSize {
    double width = 1920;
    double height = 1080;
    bool operator==(const FrameSize&) const = default;
};

class TitlesSettings;

// The stored "send to Final Cut Pro without a file" choice, read without
// loading (and so without printing or re-saving) the shared settings: what
// a front end puts in a ducking request.
bool storedSendWithoutFile();

class TitlesSettings {
  public:
    // The process-wide instance, loaded once (thread-safe) on first use.
    static TitlesSettings& shared();

    // A new object with the "new object" defaults (no timeLineFPS).
    TitlesSettings() = default;
    // The loading constructor: defaults, then the stored JSON when it decodes
    // (and then saved back). Undecodable or absent text keeps the defaults and
    // stores nothing.
    static TitlesSettings load();

    // Tolerant decoding key by key: a missing, null or unreadable value takes
    // its "decoded" default. Fails only when json is not an object.
    static std::optional<TitlesSettings> decode(const nlohmann::json& json);
    // The same from JSON text; text that is not JSON (or not UTF-8) fails.
    static std::optional<TitlesSettings> decodeText(std::string_view jsonText);
    // Keys in field order; absent optionals are left out.
    nlohmann::ordered_json encode() const;
    // encode() as compact text.
    std::string encodeToString() const;

    // Prints the JSON to standard output and stores it.
    Status save() const;

    bool operator==(const TitlesSettings&) const = default;

    std::string font = "Helvetica";
    std::string fontFace = "Regular";
    int64_t size = 60;
    Alignment alignment = Alignment::center;
    RgbaColor color = RgbaColor::pureWhite();
    bool doBorder = true;
    RgbaColor strokeColor = RgbaColor::pureBlack();
    double strokeWidth = 2.0;
    double strokeBlur = 0;
    double lineSpacing = 0;
    float baselinePerc = 0.175f;
    Shadow shadow;
    FrameSize frameSize;
    std::optional<double> timeLineFPS;
    std::optional<bool> avoidOverlap = false;
    bool add1BlankFrame = true;
    std::optional<bool> addPatch = false;
    CustomTitle customTitle;
    double minDuration = 0;
    double extendAfter = 0.5;
    std::optional<Patch> patch = Patch{};
    bool handleNonZeroStartTime = true;
    std::optional<SplitText> splitText = SplitText{};
    Ignore ignore;
    XMLExport xmlExport;
};

// A decoded object without a stored frame rate reads this one.
inline constexpr double kDecodedTimeLineFPS = 30.0;

} // namespace quelvo
