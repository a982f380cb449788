// The music clip's role and the version sheet's preferences live in the
// preferences store: they start at their defaults and survive a restart.
#include <gtest/gtest.h>

#include "base/prefs.h"
#include "project/fcp106_prefs.h"
#include "project/second_file_role.h"

namespace kymovie {
namespace {

void restart() { kykit::PrefsStore::instance().reload(); }

TEST(QVSecondFileRole, StartsAsMusic) {
    auto& role = QVSecondFileRole::shared();
    EXPECT_EQ(role.role(), QVSecondFileRole::Role::music);
    EXPECT_EQ(role.customRole(), "");
    EXPECT_EQ(role.roleName(), "music");
}

TEST(QVSecondFileRole, DisplayNameFollowsTheRole) {
    auto& role = QVSecondFileRole::shared();
    role.setRole(QVSecondFileRole::Role::dialogue);
    EXPECT_EQ(role.roleName(), "dialogue");
    role.setCustomRole("Ambience & FX");
    EXPECT_EQ(role.roleName(), "dialogue"); // the custom name waits until custom is chosen
    role.setRole(QVSecondFileRole::Role::custom);
    EXPECT_EQ(role.roleName(), "Ambience & FX");
    role.setCustomRole("   ");
    EXPECT_EQ(role.roleName(), "music");
}

TEST(QVSecondFileRole, ChoiceAndCustomNameSurviveARestart) {
    QVSecondFileRole::shared().setRole(QVSecondFileRole::Role::custom);
    QVSecondFileRole::shared().setCustomRole("Score");
    restart();
    EXPECT_EQ(QVSecondFileRole::shared().role(), QVSecondFileRole::Role::custom);
    EXPECT_EQ(QVSecondFileRole::shared().customRole(), "Score");
    EXPECT_EQ(QVSecondFileRole::shared().roleName(), "Score");
    // Switching away keeps the typed name for later.
    QVSecondFileRole::shared().setRole(QVSecondFileRole::Role::music);
    restart();
    EXPECT_EQ(QVSecondFileRole::shared().roleName(), "music");
    EXPECT_EQ(QVSecondFileRole::shared().customRole(), "Score");
}

TEST(QVSecondFileRole, RawValuesByIndex) {
    EXPECT_EQ(rawValue(QVSecondFileRole::Role::dialogue), "dialogue");
    EXPECT_EQ(rawValue(QVSecondFileRole::Role::music), "music");
    EXPECT_EQ(rawValue(QVSecondFileRole::Role::custom), "custom");
    EXPECT_EQ(static_cast<int>(QVSecondFileRole::Role::custom), 2);
}

TEST(KyFCP106Prefs, DefaultsPreferTheNewFormAndRememberNothing) {
    const auto& prefs = KyFCP106Prefs::shared();
    EXPECT_TRUE(prefs.preferFCP106());
    EXPECT_FALSE(prefs.rememberMyChoice());
    EXPECT_FALSE(prefs.rememberedChoice().has_value());
}

TEST(KyFCP106Prefs, FlagsAndTheRememberedChoiceSurviveARestart) {
    auto& prefs = KyFCP106Prefs::shared();
    prefs.setPreferFCP106(false);
    prefs.setRememberMyChoice(true);
    prefs.setRememberedChoice(FcpxmlVersion::v1_6);
    restart();
    EXPECT_FALSE(prefs.preferFCP106());
    EXPECT_TRUE(prefs.rememberMyChoice());
    EXPECT_EQ(prefs.rememberedChoice(), FcpxmlVersion::v1_6);
    prefs.setRememberedChoice(FcpxmlVersion::v1_9);
    restart();
    EXPECT_EQ(prefs.rememberedChoice(), FcpxmlVersion::v1_9);
}

TEST(KyFCP106Prefs, AnyEditorsNumberIsKeptAndOnlyTheVersionsReadAsVersions) {
    auto& prefs = KyFCP106Prefs::shared();
    prefs.setRememberedChoiceValue(3);
    restart();
    EXPECT_EQ(prefs.rememberedChoiceValue(), 3);
    EXPECT_FALSE(prefs.rememberedChoice().has_value()) << "another editor is no version";
    // What a hand-edited file may hold reads as nothing remembered.
    for (double odd : {-1.0, 2.5, 1e12}) {
        kykit::prefs_setValueDouble("KyFCP106Prefs.rememberedChoice", odd);
        EXPECT_FALSE(prefs.rememberedChoiceValue().has_value()) << odd;
    }
    kykit::prefs_setValueString("KyFCP106Prefs.rememberedChoice", "1");
    EXPECT_FALSE(prefs.rememberedChoiceValue().has_value());
}

TEST(FixedVersionSheet, AnswersOnceAtOnce) {
    FixedVersionSheet sheet(FcpxmlVersion::v1_9);
    int calls = 0;
    sheet.showSheet(nullptr, std::nullopt, [&](std::optional<FcpxmlVersion> v) {
        ++calls;
        EXPECT_EQ(v, FcpxmlVersion::v1_9);
    });
    EXPECT_EQ(calls, 1);
}

} // namespace
} // namespace kymovie
