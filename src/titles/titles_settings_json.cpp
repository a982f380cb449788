// The JSON form of the title settings. Decoding is tolerant key by key: a
// settings file written by an older or newer program, or edited by hand,
// loses only the values it got wrong, never the whole set.
#include <cfloat>
#include <cmath>
#include <limits>

#include "base/numbers.h"
#include "base/strings.h"
#include "titles/titles_settings.h"

namespace quelvo {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

// The value under key, or nothing when it is missing or null (the two read
// the same everywhere in this form).
const json* valueAt(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return nullptr;
    return &*it;
}

// nlohmann converts booleans to numbers and back on request; the stored form
// is typed, so every reader checks the JSON type first.
std::optional<bool> asBool(const json* v) {
    if (!v || !v->is_boolean()) return std::nullopt;
    return v->get<bool>();
}

std::optional<std::string> asString(const json* v) {
    if (!v || !v->is_string()) return std::nullopt;
    return v->get<std::string>();
}

std::optional<double> asDouble(const json* v) {
    if (!v || !v->is_number()) return std::nullopt;
    return v->get<double>();
}

// A whole number; 60.0 reads as 60, 60.5 does not read.
std::optional<int64_t> asInt(const json* v) {
    if (!v) return std::nullopt;
    if (v->is_number_integer()) {
        if (v->is_number_unsigned() &&
            v->get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return std::nullopt;
        return v->get<int64_t>();
    }
    if (v->is_number_float()) {
        const double d = v->get<double>();
        if (!std::isfinite(d) || std::trunc(d) != d || std::fabs(d) >= 9.2e18) return std::nullopt;
        return static_cast<int64_t>(d);
    }
    return std::nullopt;
}

std::optional<float> asFloat(const json* v) {
    const auto d = asDouble(v);
    if (!d || !std::isfinite(*d) || std::fabs(*d) > FLT_MAX) return std::nullopt;
    return static_cast<float>(*d);
}

std::optional<RgbaColor> asColor(const json* v) {
    if (!v || !v->is_object()) return std::nullopt;
    const auto r = asDouble(valueAt(*v, "red"));
    const auto g = asDouble(valueAt(*v, "green"));
    const auto b = asDouble(valueAt(*v, "blue"));
    const auto a = asDouble(valueAt(*v, "alpha"));
    if (!r || !g || !b || !a) return std::nullopt;
    return RgbaColor{*r, *g, *b, *a};
}

std::optional<Alignment> asAligment(const json* v) {
    const auto raw = asString(v);
    return raw ? alignmentFromRaw(*raw) : std::nullopt;
}

std::optional<FrameSize> asFrameSize(const json* v) {
    if (!v || !v->is_array() || v->size() != 2) return std::nullopt;
    const auto w = asDouble(&(*v)[0]);
    const auto h = asDouble(&(*v)[1]);
    // A frame without area gives a baseline of "inf" and a zero height, and a
    // tiny one (1e-320) the same through underflow: a size outside what the
    // style panel allows is as unusable as a frame size of the wrong type.
    const auto usable = [](const std::optional<double>& side) {
        return side && *side >= kMinFrameSide && *side <= kMaxFrameSide;
    };
    if (!usable(w) || !usable(h)) return std::nullopt;
    return FrameSize{*w, *h};
}

// Every key is required.
std::optional<Patch> asPatch(const json* v) {
    if (!v || !v->is_object()) return std::nullopt;
    const auto h = asDouble(valueAt(*v, "hSize"));
    const auto vs = asDouble(valueAt(*v, "vSize"));
    const auto vp = asDouble(valueAt(*v, "vPosition"));
    const auto o = asDouble(valueAt(*v, "opacity"));
    const auto c = asColor(valueAt(*v, "color"));
    if (!h || !vs || !vp || !o || !c) return std::nullopt;
    return Patch{*h, *vs, *vp, *o, *c};
}

// enable is required; sourceUrl may be missing, but a present one must be a URL.
std::optional<CustomTitle> asCustomTitle(const json* v) {
    if (!v || !v->is_object()) return std::nullopt;
    const auto enable = asBool(valueAt(*v, "enable"));
    if (!enable) return std::nullopt;
    CustomTitle title;
    title.enable = *enable;
    if (const json* url = valueAt(*v, "sourceUrl")) {
        const auto text = asString(url);
        if (!text || text->empty()) return std::nullopt;
        title.sourceUrl = *text;
    }
    return title;
}

std::optional<SplitText> asSplitText(const json* v) {
    if (!v || !v->is_object()) return std::nullopt;
    const auto split = asBool(valueAt(*v, "split"));
    const auto length = asInt(valueAt(*v, "length"));
    if (!split || !length) return std::nullopt;
    return SplitText{*split, *length};
}

// Each flag on its own: missing or unreadable means "ignore".
std::optional<Ignore> asIgnore(const json* v) {
    if (!v || !v->is_object()) return std::nullopt;
    Ignore ignore;
    ignore.ignoreITags = asBool(valueAt(*v, "ignoreITags")).value_or(true);
    ignore.ignoreBTags = asBool(valueAt(*v, "ignoreBTags")).value_or(true);
    ignore.ignoreFontTags = asBool(valueAt(*v, "ignoreFontTags")).value_or(true);
    ignore.ignoreUTags = asBool(valueAt(*v, "ignoreUTags")).value_or(true);
    return ignore;
}

std::optional<XMLExport> asXMLExport(const json* v) {
    if (!v || !v->is_object()) return std::nullopt;
    const auto splash = asBool(valueAt(*v, "dontShowSplashAfterExport"));
    const auto open = asBool(valueAt(*v, "openImmediatelyInFCP"));
    const auto send = asBool(valueAt(*v, "sendToFCPWithoutXMLFile"));
    if (!splash || !open || !send) return std::nullopt;
    return XMLExport{*splash, *open, *send};
}

// Each field on its own: missing or unreadable takes its default.
std::optional<Shadow> asShadow(const json* v) {
    if (!v || !v->is_object()) return std::nullopt;
    const Shadow d;
    Shadow s;
    s.enable = asBool(valueAt(*v, "enable")).value_or(d.enable);
    s.color = asColor(valueAt(*v, "color")).value_or(d.color);
    s.opacity = asDouble(valueAt(*v, "opacity")).value_or(d.opacity);
    s.blur = asDouble(valueAt(*v, "blur")).value_or(d.blur);
    s.distance = asDouble(valueAt(*v, "distance")).value_or(d.distance);
    s.angle = asDouble(valueAt(*v, "angle")).value_or(d.angle);
    return s;
}

ordered_json colorJson(const RgbaColor& c) {
    ordered_json j;
    j["red"] = c.red;
    j["green"] = c.green;
    j["blue"] = c.blue;
    j["alpha"] = c.alpha;
    return j;
}

// A float goes out as its own shortest decimal (0.175, not 0.17499999701976776).
double floatAsWritten(float value) {
    return quelvo::toDouble(quelvo::string(value)).value_or(static_cast<double>(value));
}

} // namespace

std::optional<TitlesSettings> TitlesSettings::decode(const json& j) {
    if (!j.is_object()) return std::nullopt;
    const TitlesSettings d;
    TitlesSettings s;
    s.font = asString(valueAt(j, "font")).value_or(d.font);
    s.fontFace = asString(valueAt(j, "fontFace")).value_or(d.fontFace);
    s.size = asInt(valueAt(j, "size")).value_or(d.size);
    s.alignment = asAligment(valueAt(j, "alignment")).value_or(d.alignment);
    s.color = asColor(valueAt(j, "color")).value_or(d.color);
    s.doBorder = asBool(valueAt(j, "doBorder")).value_or(d.doBorder);
    s.strokeColor = asColor(valueAt(j, "strokeColor")).value_or(d.strokeColor);
    s.strokeWidth = asDouble(valueAt(j, "strokeWidth")).value_or(d.strokeWidth);
    s.strokeBlur = asDouble(valueAt(j, "strokeBlur")).value_or(d.strokeBlur);
    s.lineSpacing = asDouble(valueAt(j, "lineSpacing")).value_or(d.lineSpacing);
    s.baselinePerc = asFloat(valueAt(j, "baselinePerc")).value_or(d.baselinePerc);
    s.shadow = asShadow(valueAt(j, "shadow")).value_or(d.shadow);
    s.frameSize = asFrameSize(valueAt(j, "frameSize")).value_or(d.frameSize);
    // The one field whose decoded default differs from a new object's.
    s.timeLineFPS = asDouble(valueAt(j, "timeLineFPS")).value_or(kDecodedTimeLineFPS);
    s.avoidOverlap = asBool(valueAt(j, "avoidOverlap")).value_or(false);
    s.add1BlankFrame = asBool(valueAt(j, "add1BlankFrame")).value_or(d.add1BlankFrame);
    s.addPatch = asBool(valueAt(j, "addPatch")).value_or(false);
    s.customTitle = asCustomTitle(valueAt(j, "customTitle")).value_or(d.customTitle);
    s.minDuration = asDouble(valueAt(j, "minDuration")).value_or(d.minDuration);
    s.extendAfter = asDouble(valueAt(j, "extendAfter")).value_or(d.extendAfter);
    s.patch = asPatch(valueAt(j, "patch")).value_or(Patch{});
    s.handleNonZeroStartTime =
        asBool(valueAt(j, "handleNonZeroStartTime")).value_or(d.handleNonZeroStartTime);
    s.splitText = asSplitText(valueAt(j, "splitText")).value_or(SplitText{});
    s.ignore = asIgnore(valueAt(j, "ignore")).value_or(d.ignore);
    s.xmlExport = asXMLExport(valueAt(j, "xmlExport")).value_or(d.xmlExport);
    return s;
}

std::optional<TitlesSettings> TitlesSettings::decodeText(std::string_view jsonText) {
    if (!quelvo::isValidUtf8(jsonText)) return std::nullopt;
    const json parsed = json::parse(jsonText, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) return std::nullopt;
    return decode(parsed);
}

ordered_json TitlesSettings::encode() const {
    ordered_json j;
    j["font"] = font;
    j["fontFace"] = fontFace;
    j["size"] = size;
    j["alignment"] = rawValue(alignment);
    j["color"] = colorJson(color);
    j["doBorder"] = doBorder;
    j["strokeColor"] = colorJson(strokeColor);
    j["strokeWidth"] = strokeWidth;
    j["strokeBlur"] = strokeBlur;
    j["lineSpacing"] = lineSpacing;
    j["baselinePerc"] = floatAsWritten(baselinePerc);
    ordered_json sh;
    sh["enable"] = shadow.enable;
    sh["color"] = colorJson(shadow.color);
    sh["opacity"] = shadow.opacity;
    sh["blur"] = shadow.blur;
    sh["distance"] = shadow.distance;
    sh["angle"] = shadow.angle;
    j["shadow"] = sh;
    j["frameSize"] = ordered_json::array({frameSize.width, frameSize.height});
    if (timeLineFPS) j["timeLineFPS"] = *timeLineFPS;
    if (avoidOverlap) j["avoidOverlap"] = *avoidOverlap;
    j["add1BlankFrame"] = add1BlankFrame;
    if (addPatch) j["addPatch"] = *addPatch;
    ordered_json ct;
    ct["enable"] = customTitle.enable;
    if (customTitle.sourceUrl) ct["sourceUrl"] = *customTitle.sourceUrl;
    j["customTitle"] = ct;
    j["minDuration"] = minDuration;
    j["extendAfter"] = extendAfter;
    if (patch) {
        ordered_json p;
        p["hSize"] = patch->hSize;
        p["vSize"] = patch->vSize;
        p["vPosition"] = patch->vPosition;
        p["opacity"] = patch->opacity;
        p["color"] = colorJson(patch->color);
        j["patch"] = p;
    }
    j["handleNonZeroStartTime"] = handleNonZeroStartTime;
    if (splitText) {
        ordered_json st;
        st["split"] = splitText->split;
        st["length"] = splitText->length;
        j["splitText"] = st;
    }
    ordered_json ig;
    ig["ignoreITags"] = ignore.ignoreITags;
    ig["ignoreBTags"] = ignore.ignoreBTags;
    ig["ignoreFontTags"] = ignore.ignoreFontTags;
    ig["ignoreUTags"] = ignore.ignoreUTags;
    j["ignore"] = ig;
    ordered_json xe;
    xe["dontShowSplashAfterExport"] = xmlExport.dontShowSplashAfterExport;
    xe["openImmediatelyInFCP"] = xmlExport.openImmediatelyInFCP;
    xe["sendToFCPWithoutXMLFile"] = xmlExport.sendToFCPWithoutXMLFile;
    j["xmlExport"] = xe;
    return j;
}

std::string TitlesSettings::encodeToString() const {
    // Invalid UTF-8 in a text (a hand-edited font name) is replaced instead of
    // throwing; non-finite numbers come out as null, which decodes back to the
    // field's default.
    return encode().dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace quelvo
