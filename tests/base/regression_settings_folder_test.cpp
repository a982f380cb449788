// A settings folder ($QUELVO_CONFIG_DIR) that is a file was once taken in
// silence for a first run, so nothing the user changed could ever be stored
// and nobody said why. Found by the command line's bad-input tests.
#include <gtest/gtest.h>

#include "base/prefs.h"
#include "support/test_support.h"

TEST(SettingsFolderRegression, AFileInTheFoldersPlaceIsNamedInAWarning) {
    quelvo::test::TempDir tmp;
    const auto notAFolder = tmp / "config";
    quelvo::test::writeFile(notAFolder, "x");
    setenv("QUELVO_CONFIG_DIR", notAFolder.c_str(), 1);
    auto& store = kykit::PrefsStore::instance();
    store.reload();
    EXPECT_EQ(kykit::prefs_getValueDouble("duck.threshold", -24), -24);
    EXPECT_EQ(store.lastWarning(), "cannot read settings file " + (notAFolder / "settings.json").string() + ": " +
                                       notAFolder.string() + " is not a folder; using defaults");
    EXPECT_FALSE(kykit::prefs_setValueDouble("duck.threshold", -30).ok());
    EXPECT_EQ(quelvo::test::readFile(notAFolder), "x");
    quelvo::test::freshSettings();
}

TEST(SettingsFolderRegression, NoFileYetIsAFirstRunWithoutWarning) {
    quelvo::test::TempDir tmp;
    setenv("QUELVO_CONFIG_DIR", (tmp / "not yet made").c_str(), 1);
    auto& store = kykit::PrefsStore::instance();
    store.reload();
    EXPECT_EQ(store.lastWarning(), "");
    quelvo::test::freshSettings();
}
