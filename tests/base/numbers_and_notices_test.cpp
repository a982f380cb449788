// Locale-free numbers, timecodes, colours and notifications.
#include <atomic>
#include <clocale>
#include <cmath>
#include <memory>

#include <nlohmann/json.hpp>

#include "base/notifier.h"
#include "base/numbers.h"
#include "base/rgba_color.h"
#include "base/services.h"
#include "support/test_support.h"

using namespace quelvo;

TEST(Numbers, ShortestFormWithAFractionalDigitWhateverTheLocale) {
    // A comma decimal separator in a project file breaks the import.
    const char* old = std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(string(1.0), "1.0");
    EXPECT_EQ(string(0.175), "0.175");
    EXPECT_EQ(string(-351.0), "-351.0");
    EXPECT_EQ(string(57.0f), "57.0");
    EXPECT_EQ(string(0.175f), "0.175");
    EXPECT_EQ(string(int64_t{60}), "60");
    EXPECT_EQ(toDouble(" -24.5 "), -24.5);
    EXPECT_EQ(toDouble("1,5"), std::nullopt);
    EXPECT_EQ(toInt("12x"), std::nullopt);
    if (old) std::setlocale(LC_ALL, "C");
}

TEST(Numbers, TruncationIsTowardZeroAndSafeForBrokenValues) {
    EXPECT_EQ(truncateToInt(12.7), 12);
    EXPECT_EQ(truncateToInt(-3.5), -3);
    EXPECT_EQ(truncateToInt(std::nan("")), 0);
    EXPECT_EQ(truncateToInt(INFINITY), 0);
    EXPECT_GT(truncateToInt(1e300), 0);
}

TEST(Timecode, ReadableHoursMinutesSecondsAndMillis) {
    EXPECT_EQ(Timecode::withMilliseconds(3723.004), "01:02:03.004");
    EXPECT_EQ(Timecode::withMilliseconds(15.88, true), "00:00:15,880");
    EXPECT_EQ(Timecode::withMilliseconds(-1), "00:00:00.000");
}

TEST(Timecode, FramesAtTheTimelinesRateCountedNonDrop) {
    EXPECT_EQ(Timecode::withFrames(3723.48, 25), "01:02:03:12");
    EXPECT_EQ(Timecode::withFrames(1.0 / 24 * 23 + 0.004, 24), "00:00:00:23"); // the nearest frame
    EXPECT_EQ(Timecode::withFrames(59.99, 30), "00:01:00:00");
    // 23.976 counts 24 frames a second: an hour of it is 86,314 frames.
    EXPECT_EQ(Timecode::withFrames(3600, 23.976), "00:59:56:10");
    EXPECT_EQ(Timecode::withFrames(1001.0 / 30000 * 31, 29.97), "00:00:01:01");
    EXPECT_EQ(Timecode::withFrames(-2, 25), "00:00:00:00");
    EXPECT_EQ(Timecode::withFrames(1.5, 0), "00:00:01:15"); // no rate reads as 30
}

TEST(Colour, JsonFormHasFourNamedComponents) {
    const RgbaColor c{0.25, 0.5, 1, 0.75};
    const nlohmann::json j = c;
    EXPECT_EQ(j, nlohmann::json::parse(R"({"red":0.25,"green":0.5,"blue":1.0,"alpha":0.75})"));
    EXPECT_EQ(j.get<RgbaColor>(), c);
    EXPECT_THROW(nlohmann::json::parse(R"({"red":1})").get<RgbaColor>(), nlohmann::json::exception);
}

TEST(Notify, ObserversOfTheKeywordAreCalledUntilRemoved) {
    int calls = 0;
    const long token = Notifier::observe("k", [&] { ++calls; });
    Notifier::notify("k");
    Notifier::notify("other");
    Notifier::removeObserver(token);
    Notifier::notify("k");
    EXPECT_EQ(calls, 1);
}
