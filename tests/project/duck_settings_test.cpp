// The settings table: stored values outside their control's range read as
// the default with one warning each, and option texts are checked against
// the same ranges.
#include "base/settings_store.h"
#include "project/duck_settings.h"
#include "project/envelope_timing.h"
#include "support/test_support.h"

using namespace quelvo;

TEST(DuckSettings, StoredValuesOutsideTheirRangeReadAsTheDefaultWithAWarning) {
    quelvo::SettingsStore& store = quelvo::SettingsStore::instance();
    store.reload();
    const std::string file = store.filePath();
    store.setValue(settings::kDecrease.key, 1e300);
    store.setValue(settings::kAttackWindow.key, -5);
    store.setValue(settings::kReleaseWindow.key, "long");
    store.setValue(settings::kThreshold.key, -60); // the range's end is in it
    store.setValue(settings::kUnderLU.key, 12.5);
    EXPECT_EQ(storedNumber(settings::kDecrease), -12);
    EXPECT_EQ(storedNumber(settings::kDecrease), -12); // warned once
    EXPECT_EQ(envelopeTimingFromSettings(), (EnvelopeTiming{0.3, 0.3, 0.3, 0.7, -60}));
    EXPECT_EQ(storedNumber(settings::kUnderLU), 12.5);
    EXPECT_EQ(store.warnings(),
              (std::vector<std::string>{
                  "settings file " + file +
                      ": duck.decrease = 1e+300 is not within -60 to 0 dB; using its default -12",
                  "settings file " + file +
                      ": duck.attackWindow = -5 is not within 0 to 3 s; using its default 0.6",
                  "settings file " + file +
                      ": duck.releaseWindow is not a number; using its default 1"}));
    store.reload();
    EXPECT_TRUE(store.warnings().empty());
}

TEST(DuckSettings, OptionTextsMustBeFiniteNumbersWithinTheRange) {
    for (const char* good : {"-60", "0", "-12", "+0"})
        EXPECT_EQ(optionValueProblem(settings::kDecrease, good, true), std::nullopt) << good;
    EXPECT_EQ(optionValueProblem(settings::kDecrease, "20", true),
              "must be a whole number of dB from -60 to 0, not 20");
    for (const char* bad : {"2147483647", "-61", "-1.5", "", "nan", "x"})
        EXPECT_NE(optionValueProblem(settings::kDecrease, bad, true), std::nullopt) << bad;
    EXPECT_EQ(optionValueProblem(settings::kUnderLU, "nan"),
              "must be a number of LU from 0 to 60, not nan");
    for (const char* bad : {"inf", "-inf", "60.01", "-0.5", "1e400"})
        EXPECT_NE(optionValueProblem(settings::kUnderLU, bad), std::nullopt) << bad;
    EXPECT_EQ(optionValueProblem(settings::kUnderLU, "17.5"), std::nullopt);
    // Every default lies within its own range.
    for (const NumberSetting& s : settings::kNumberSettings)
        EXPECT_TRUE(isWithinRange(s, s.defaultValue)) << s.key;
}
