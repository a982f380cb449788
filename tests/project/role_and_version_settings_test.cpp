// The music clip's role and the version sheet's preferences live in the
// preferences store: they start at their defaults and survive a restart.
#include <gtest/gtest.h>

#include "base/settings_store.h"
#include "project/second_file_role.h"
#include "project/version_question_settings.h"

namespace quelvo {
namespace {

void restart() {
    SettingsStore::instance().reload();
}

TEST(SecondFileRole, StartsAsMusic) {
    auto& role = SecondFileRole::shared();
    EXPECT_EQ(role.role(), SecondFileRole::Role::music);
    EXPECT_EQ(role.customRole(), "");
    EXPECT_EQ(role.roleName(), "music");
}

TEST(SecondFileRole, DisplayNameFollowsTheRole) {
    auto& role = SecondFileRole::shared();
    role.setRole(SecondFileRole::Role::dialogue);
    EXPECT_EQ(role.roleName(), "dialogue");
    role.setCustomRole("Ambience & FX");
    EXPECT_EQ(role.roleName(), "dialogue"); // the custom name waits until custom is chosen
    role.setRole(SecondFileRole::Role::custom);
    EXPECT_EQ(role.roleName(), "Ambience & FX");
    role.setCustomRole("   ");
    EXPECT_EQ(role.roleName(), "music");
}

TEST(SecondFileRole, ChoiceAndCustomNameSurviveARestart) {
    SecondFileRole::shared().setRole(SecondFileRole::Role::custom);
    SecondFileRole::shared().setCustomRole("Score");
    restart();
    EXPECT_EQ(SecondFileRole::shared().role(), SecondFileRole::Role::custom);
    EXPECT_EQ(SecondFileRole::shared().customRole(), "Score");
    EXPECT_EQ(SecondFileRole::shared().roleName(), "Score");
    // Switching away keeps the typed name for later.
    SecondFileRole::shared().setRole(SecondFileRole::Role::music);
    restart();
    EXPECT_EQ(SecondFileRole::shared().roleName(), "music");
    EXPECT_EQ(SecondFileRole::shared().customRole(), "Score");
}

TEST(SecondFileRole, RawValuesByIndex) {
    EXPECT_EQ(rawValue(SecondFileRole::Role::dialogue), "dialogue");
    EXPECT_EQ(rawValue(SecondFileRole::Role::music), "music");
    EXPECT_EQ(rawValue(SecondFileRole::Role::custom), "custom");
    EXPECT_EQ(static_cast<int>(SecondFileRole::Role::custom), 2);
}

TEST(VersionQuestionSettings, DefaultsPreferTheNewFormAndRememberNothing) {
    const auto& prefs = VersionQuestionSettings::shared();
    EXPECT_TRUE(prefs.preferFcpxml19());
    EXPECT_FALSE(prefs.rememberMyChoice());
    EXPECT_FALSE(prefs.rememberedChoice().has_value());
}

TEST(VersionQuestionSettings, FlagsAndTheRememberedChoiceSurviveARestart) {
    auto& prefs = VersionQuestionSettings::shared();
    prefs.setPreferFcpxml19(false);
    prefs.setRememberMyChoice(true);
    prefs.setRememberedChoice(FcpxmlVersion::v1_6);
    restart();
    EXPECT_FALSE(prefs.preferFcpxml19());
    EXPECT_TRUE(prefs.rememberMyChoice());
    EXPECT_EQ(prefs.rememberedChoice(), FcpxmlVersion::v1_6);
    prefs.setRememberedChoice(FcpxmlVersion::v1_9);
    restart();
    EXPECT_EQ(prefs.rememberedChoice(), FcpxmlVersion::v1_9);
}

TEST(VersionQuestionSettings, AnyEditorsNumberIsKeptAndOnlyTheVersionsReadAsVersions) {
    auto& prefs = VersionQuestionSettings::shared();
    prefs.setRememberedChoiceValue(3);
    restart();
    EXPECT_EQ(prefs.rememberedChoiceValue(), 3);
    EXPECT_FALSE(prefs.rememberedChoice().has_value()) << "another editor is no version";
    // What a hand-edited file may hold reads as nothing remembered.
    for (double odd : {-1.0, 2.5, 1e12}) {
        quelvo::storeDouble("KyFCP106Prefs.rememberedChoice", odd);
        EXPECT_FALSE(prefs.rememberedChoiceValue().has_value()) << odd;
    }
    quelvo::storeString("KyFCP106Prefs.rememberedChoice", "1");
    EXPECT_FALSE(prefs.rememberedChoiceValue().has_value());
}

TEST(FixedVersionSheet, AnswersOnceAtOnce) {
    FixedVersionSheet sheet(FcpxmlVersion::v1_9);
    int calls = 0;
    sheet.showSheet(std::nullopt, [&](std::optional<FcpxmlVersion> v) {
        ++calls;
        EXPECT_EQ(v, FcpxmlVersion::v1_9);
    });
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace quelvo
