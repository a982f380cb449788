// The title settings: defaults of a new and of a decoded object, tolerant
// decoding key by key, encoding, and the store round trip.
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/settings_store.h"
#include "support/test_support.h"
#include "titles/titles_settings.h"

namespace quelvo {
namespace {

using nlohmann::json;

std::optional<json> storedSettings() {
    const auto v = SettingsStore::instance().value(kTitlesSettingsKey);
    if (!v || !v->is_string()) return std::nullopt;
    return json::parse(v->get<std::string>());
}

void store(const std::string& text) {
    ASSERT_TRUE(quelvo::storeString(kTitlesSettingsKey, text).ok());
}

TitlesSettings decodeOrFail(const std::string& text) {
    auto decoded = TitlesSettings::decodeText(text);
    EXPECT_TRUE(decoded.has_value()) << text;
    return decoded.value_or(TitlesSettings());
}

// The "decoded, key absent" column.
TitlesSettings decodedDefaults() {
    TitlesSettings s;
    s.timeLineFPS = 30.0;
    return s;
}

// Every field away from both default columns.
TitlesSettings everyFieldChanged() {
    TitlesSettings s;
    s.font = "Gill Sans \"Light\" & <Co> é";
    s.fontFace = "Bold Italic";
    s.size = 42;
    s.alignment = Alignment::justified;
    s.color = {0.25, 0.5, 0.75, 0.5};
    s.doBorder = false;
    s.strokeColor = {0.1, 0.2, 0.3, 0.4};
    s.strokeWidth = 3.5;
    s.strokeBlur = 1.25;
    s.lineSpacing = -2.0;
    s.baselinePerc = 0.3f;
    s.shadow = Shadow{true, {0.9, 0.8, 0.7, 0.6}, 0.5, 2.0, 7.5, 45.0};
    s.frameSize = {3840, 2160};
    s.timeLineFPS = 29.97;
    s.avoidOverlap = true;
    s.add1BlankFrame = false;
    s.addPatch = true;
    s.customTitle = CustomTitle{true, "file:///Users/me/Titles/My%20Title.moti"};
    s.minDuration = 1.5;
    s.extendAfter = 0.25;
    s.patch = Patch{0.5, 0.2, 0.3, 0.4, {1, 0, 0, 1}};
    s.handleNonZeroStartTime = false;
    s.splitText = SplitText{true, 42};
    s.ignore = Ignore{false, false, true, false};
    s.xmlExport = XMLExport{true, true, true};
    return s;
}

TEST(TitlesSettings, NewObjectHoldsTheNewObjectDefaults) {
    const TitlesSettings s;
    EXPECT_EQ(s.font, "Helvetica");
    EXPECT_EQ(s.fontFace, "Regular");
    EXPECT_EQ(s.size, 60);
    EXPECT_EQ(s.alignment, Alignment::center);
    EXPECT_EQ(s.color, RgbaColor::pureWhite());
    EXPECT_TRUE(s.doBorder);
    EXPECT_EQ(s.strokeColor, RgbaColor::pureBlack());
    EXPECT_EQ(s.strokeWidth, 2.0);
    EXPECT_EQ(s.strokeBlur, 0.0);
    EXPECT_EQ(s.lineSpacing, 0.0);
    EXPECT_EQ(s.baselinePerc, 0.175f);
    EXPECT_EQ(s.shadow, Shadow{});
    EXPECT_EQ(s.shadow.angle, 315.0);
    EXPECT_EQ(s.frameSize, (FrameSize{1920, 1080}));
    EXPECT_FALSE(s.timeLineFPS.has_value());
    EXPECT_EQ(s.avoidOverlap, std::optional<bool>(false));
    EXPECT_TRUE(s.add1BlankFrame);
    EXPECT_EQ(s.addPatch, std::optional<bool>(false));
    EXPECT_FALSE(s.customTitle.enable);
    EXPECT_FALSE(s.customTitle.sourceUrl.has_value());
    EXPECT_EQ(s.minDuration, 0.0);
    EXPECT_EQ(s.extendAfter, 0.5);
    ASSERT_TRUE(s.patch.has_value());
    EXPECT_EQ(*s.patch, (Patch{0.8, 0.125, 0.1, 0.9, RgbaColor::pureBlack()}));
    EXPECT_TRUE(s.handleNonZeroStartTime);
    ASSERT_TRUE(s.splitText.has_value());
    EXPECT_FALSE(s.splitText->split);
    EXPECT_EQ(s.splitText->length, 84);
    EXPECT_EQ(s.ignore, (Ignore{true, true, true, true}));
    EXPECT_EQ(s.xmlExport, (XMLExport{false, false, false}));
}

TEST(TitlesSettings, LoadingWithNothingStoredKeepsDefaultsAndStoresNothing) {
    const auto s = TitlesSettings::load();
    EXPECT_EQ(s, TitlesSettings());
    EXPECT_FALSE(s.timeLineFPS.has_value());
    EXPECT_FALSE(SettingsStore::instance().value(kTitlesSettingsKey).has_value());
}

TEST(TitlesSettings, EmptyObjectDecodesToTheDecodedColumnAndIsSavedBackInFull) {
    store("{}");
    testing::internal::CaptureStdout();
    const auto s = TitlesSettings::load();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s, decodedDefaults());
    EXPECT_EQ(s.timeLineFPS, std::optional<double>(30.0));

    const auto saved = storedSettings();
    ASSERT_TRUE(saved.has_value());
    for (const char* key : {"font",         "fontFace",
                            "size",         "alignment",
                            "color",        "doBorder",
                            "strokeColor",  "strokeWidth",
                            "strokeBlur",   "lineSpacing",
                            "baselinePerc", "shadow",
                            "frameSize",    "timeLineFPS",
                            "avoidOverlap", "add1BlankFrame",
                            "addPatch",     "customTitle",
                            "minDuration",  "extendAfter",
                            "patch",        "handleNonZeroStartTime",
                            "splitText",    "ignore",
                            "xmlExport"})
        EXPECT_TRUE(saved->contains(key)) << key;
    EXPECT_EQ(saved->size(), 25u);
    EXPECT_EQ((*saved)["timeLineFPS"], 30.0);
    EXPECT_EQ(printed, s.encodeToString() + "\n");
}

TEST(TitlesSettings, SaveAndLoadRoundTripEveryField) {
    const auto original = everyFieldChanged();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(original.save().ok());
    testing::internal::GetCapturedStdout();

    SettingsStore::instance().reload(); // a restart of the program
    testing::internal::CaptureStdout();
    const auto loaded = TitlesSettings::load();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(loaded, original);
    EXPECT_EQ(loaded.strokeBlur, 1.25);
    EXPECT_EQ(loaded.shadow, original.shadow);
}

TEST(TitlesSettings, AbsentOptionalsRoundTripAsTheirDecodedDefaults) {
    TitlesSettings s;
    s.avoidOverlap.reset();
    s.addPatch.reset();
    s.patch.reset();
    s.splitText.reset();
    const json j = json::parse(s.encodeToString());
    for (const char* key : {"timeLineFPS", "avoidOverlap", "addPatch", "patch", "splitText"})
        EXPECT_FALSE(j.contains(key)) << key;
    const auto back = decodeOrFail(s.encodeToString());
    EXPECT_EQ(back.avoidOverlap, std::optional<bool>(false));
    EXPECT_EQ(back.addPatch, std::optional<bool>(false));
    EXPECT_EQ(back.patch, std::optional<Patch>(Patch{}));
    EXPECT_EQ(back.splitText, std::optional<SplitText>(SplitText{}));
}

TEST(TitlesSettings, EncodingANewObjectLeavesOutTheFrameRateADecodedOneHasIt) {
    EXPECT_FALSE(json::parse(TitlesSettings().encodeToString()).contains("timeLineFPS"));
    const auto decoded = decodeOrFail("{}");
    EXPECT_EQ(json::parse(decoded.encodeToString())["timeLineFPS"], 30.0);
}

TEST(TitlesSettings, EncodingWritesKeysInFieldOrderAndTheToolkitColourForm) {
    const auto j = everyFieldChanged().encode();
    std::vector<std::string> keys;
    for (const auto& [key, value] : j.items())
        keys.push_back(key);
    const std::vector<std::string> expected = {"font",         "fontFace",
                                               "size",         "alignment",
                                               "color",        "doBorder",
                                               "strokeColor",  "strokeWidth",
                                               "strokeBlur",   "lineSpacing",
                                               "baselinePerc", "shadow",
                                               "frameSize",    "timeLineFPS",
                                               "avoidOverlap", "add1BlankFrame",
                                               "addPatch",     "customTitle",
                                               "minDuration",  "extendAfter",
                                               "patch",        "handleNonZeroStartTime",
                                               "splitText",    "ignore",
                                               "xmlExport"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(j["alignment"], "justified");
    EXPECT_EQ(j["frameSize"].dump(), "[3840.0,2160.0]");
    EXPECT_EQ(j["color"].dump(), R"({"red":0.25,"green":0.5,"blue":0.75,"alpha":0.5})");
    EXPECT_EQ(j["customTitle"]["sourceUrl"], "file:///Users/me/Titles/My%20Title.moti");
    // The float goes out as written, not widened.
    EXPECT_NE(TitlesSettings().encodeToString().find("\"baselinePerc\":0.175,"), std::string::npos);
    EXPECT_FALSE(TitlesSettings().encode()["customTitle"].contains("sourceUrl"));
}

TEST(TitlesSettings, UnknownAlignmentFallsBackToCenterAndKeepsTheRest) {
    auto stored = json::parse(everyFieldChanged().encodeToString());
    stored["alignment"] = "diagonal";
    auto expected = everyFieldChanged();
    expected.alignment = Alignment::center;
    EXPECT_EQ(decodeOrFail(stored.dump()), expected);
}

TEST(TitlesSettings, PatchWithoutColourLoadsTheDefaultPatch) {
    const auto s =
        decodeOrFail(R"({"patch":{"hSize":0.5,"vSize":0.2,"vPosition":0.3,"opacity":0.4}})");
    ASSERT_TRUE(s.patch.has_value());
    EXPECT_EQ(*s.patch, (Patch{0.8, 0.125, 0.1, 0.9, RgbaColor::pureBlack()}));
}

TEST(TitlesSettings, IgnoreFlagsAreReadOneByOne) {
    auto s = decodeOrFail(R"({"ignore":{"ignoreITags":false}})");
    EXPECT_EQ(s.ignore, (Ignore{false, true, true, true}));
    s = decodeOrFail(R"({"ignore":{"ignoreITags":false,"ignoreBTags":"no","ignoreUTags":0}})");
    EXPECT_EQ(s.ignore, (Ignore{false, true, true, true}));
    s = decodeOrFail(R"({"ignore":{"ignoreFontTags":false,"ignoreUTags":false}})");
    EXPECT_EQ(s.ignore, (Ignore{true, true, false, false}));
    s = decodeOrFail(R"({"ignore":[false]})");
    EXPECT_EQ(s.ignore, Ignore{});
}

TEST(TitlesSettings, ShadowFieldsFallBackOneByOne) {
    const auto s = decodeOrFail(
        R"({"shadow":{"enable":true,"color":{"red":1},"opacity":"x","blur":1.5,"angle":null}})");
    Shadow expected;
    expected.enable = true;
    expected.blur = 1.5;
    EXPECT_EQ(s.shadow, expected);
}

TEST(TitlesSettings, RequiredKeysOfNestedRecordsFailTheRecordOnly) {
    auto s = decodeOrFail(R"({"font":"Avenir",
        "customTitle":{"sourceUrl":"file:///t.moti"},
        "splitText":{"split":true},
        "xmlExport":{"dontShowSplashAfterExport":true,"openImmediatelyInFCP":true}})");
    EXPECT_EQ(s.font, "Avenir");
    EXPECT_EQ(s.customTitle, CustomTitle{});
    EXPECT_EQ(s.splitText, std::optional<SplitText>(SplitText{}));
    EXPECT_EQ(s.xmlExport, XMLExport{});

    s = decodeOrFail(R"({"splitText":{"split":true,"length":"84"},
        "xmlExport":{"dontShowSplashAfterExport":true,"openImmediatelyInFCP":true,
                     "sendToFCPWithoutXMLFile":1}})");
    EXPECT_EQ(s.splitText, std::optional<SplitText>(SplitText{}));
    EXPECT_EQ(s.xmlExport, XMLExport{});

    s = decodeOrFail(
        R"({"xmlExport":{"dontShowSplashAfterExport":false,"openImmediatelyInFCP":false,
                                    "sendToFCPWithoutXMLFile":true}})");
    EXPECT_TRUE(s.xmlExport.sendToFCPWithoutXMLFile);
}

TEST(TitlesSettings, CustomTitleSourceUrlIsOptionalButMustBeAUrlWhenPresent) {
    auto s = decodeOrFail(R"({"customTitle":{"enable":true}})");
    EXPECT_EQ(s.customTitle, (CustomTitle{true, std::nullopt}));
    s = decodeOrFail(R"({"customTitle":{"enable":true,"sourceUrl":null}})");
    EXPECT_EQ(s.customTitle, (CustomTitle{true, std::nullopt}));
    s = decodeOrFail(R"({"customTitle":{"enable":true,"sourceUrl":"file:///a/b.moti"}})");
    EXPECT_EQ(s.customTitle, (CustomTitle{true, "file:///a/b.moti"}));
    s = decodeOrFail(R"({"customTitle":{"enable":true,"sourceUrl":42}})");
    EXPECT_EQ(s.customTitle, CustomTitle{});
    s = decodeOrFail(R"({"customTitle":{"enable":true,"sourceUrl":""}})");
    EXPECT_EQ(s.customTitle, CustomTitle{});
}

TEST(TitlesSettings, EveryBadTopLevelKeyFallsBackAloneToItsDecodedDefault) {
    const auto good = json::parse(everyFieldChanged().encodeToString());
    const auto defaults = decodedDefaults();
    // One wrong value per key; booleans are not numbers and numbers not booleans.
    const std::vector<std::pair<std::string, json>> bad = {
        {"font", 12},
        {"fontFace", false},
        {"size", true},
        {"size", 60.5},
        {"size", "60"},
        {"alignment", 2},
        {"color", "white"},
        {"color", {{"red", 1}}},
        {"doBorder", 1},
        {"strokeColor", json::array()},
        {"strokeWidth", true},
        {"strokeBlur", "1"},
        {"lineSpacing", json::object()},
        {"baselinePerc", 1e300},
        {"shadow", 5},
        {"frameSize", {1, 2, 3}},
        {"frameSize", {{"width", 1}, {"height", 2}}},
        {"frameSize", json::array({"a", 2})},
        {"frameSize", {1920, 0}},
        {"frameSize", {-1920, 1080}},
        {"frameSize", {1e308 * 10, 1080}},
        {"frameSize", {1e-320, 1e-320}},
        {"frameSize", {15, 1080}},
        {"frameSize", {1920, 16385}},
        {"timeLineFPS", "30"},
        {"avoidOverlap", "yes"},
        {"add1BlankFrame", 0},
        {"addPatch", 1},
        {"customTitle", true},
        {"minDuration", false},
        {"extendAfter", "0.5"},
        {"patch", 0.8},
        {"handleNonZeroStartTime", "true"},
        {"splitText", json::array()},
        {"ignore", "all"},
        {"xmlExport", 7}};
    for (const auto& [key, value] : bad) {
        auto stored = good;
        stored[key] = value;
        const auto decoded = decodeOrFail(stored.dump());
        const json back = json::parse(decoded.encodeToString());
        const json expectedValue = json::parse(defaults.encodeToString())[key];
        EXPECT_EQ(back[key], expectedValue) << key << " = " << value.dump();
        auto others = back, expectedOthers = good;
        others.erase(key);
        expectedOthers.erase(key);
        EXPECT_EQ(others, expectedOthers) << key;
    }
}

TEST(TitlesSettings, NullValuesReadAsMissing) {
    const auto s = decodeOrFail(R"({"font":null,"size":null,"timeLineFPS":null,"patch":null})");
    EXPECT_EQ(s, decodedDefaults());
}

TEST(TitlesSettings, WholeNumbersWrittenWithAFractionStillReadAsIntegers) {
    EXPECT_EQ(decodeOrFail(R"({"size":72.0})").size, 72);
    EXPECT_EQ(decodeOrFail(R"({"splitText":{"split":true,"length":40.0}})").splitText->length, 40);
    EXPECT_EQ(decodeOrFail(R"({"size":18446744073709551615})").size, 60);
}

TEST(TitlesSettings, TextThatDoesNotDecodeKeepsEveryDefaultAndStoresNothing) {
    const std::vector<std::string> texts = {
        "not json", "[1,2]", "42", "\"text\"", "null", "{\"font\":", "{\"font\":\"\xff\"}"};
    for (const std::string& text : texts) {
        EXPECT_FALSE(TitlesSettings::decodeText(text).has_value()) << text;
        store(text);
        const auto s = TitlesSettings::load();
        EXPECT_EQ(s, TitlesSettings()) << text;
        // The stored text is left for the user to look at, not overwritten.
        EXPECT_EQ(quelvo::storedString(kTitlesSettingsKey, ""), text);
    }
}

TEST(TitlesSettings, SavePrintsTheJsonAndStoresItUnderItsKey) {
    auto s = everyFieldChanged();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(s.save().ok());
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, s.encodeToString() + "\n");
    EXPECT_EQ(quelvo::storedString(kTitlesSettingsKey, ""), s.encodeToString());
}

TEST(TitlesSettings, SharedIsBuiltOnceEvenUnderConcurrentFirstUse) {
    std::vector<std::thread> threads;
    std::vector<TitlesSettings*> seen(8, nullptr);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &TitlesSettings::shared(); });
    for (auto& t : threads)
        t.join();
    const std::set<TitlesSettings*> distinct(seen.begin(), seen.end());
    EXPECT_EQ(distinct.size(), 1u);
    EXPECT_EQ(*distinct.begin(), &TitlesSettings::shared());
}

TEST(Alignment, RawValuesDisplayTextsAndCaseOrder) {
    const std::vector<std::string> raws = {"notSet", "left", "center", "right", "justified"};
    const std::vector<std::string> shown = {"Not Set", "Left", "Center", "Right", "Justified"};
    for (size_t i = 0; i < kAllAlignments.size(); ++i) {
        EXPECT_EQ(rawValue(kAllAlignments[i]), raws[i]);
        EXPECT_EQ(displayText(kAllAlignments[i]), shown[i]);
        EXPECT_EQ(alignmentFromRaw(raws[i]), kAllAlignments[i]);
    }
    EXPECT_FALSE(alignmentFromRaw("Center").has_value());
}

} // namespace
} // namespace quelvo
