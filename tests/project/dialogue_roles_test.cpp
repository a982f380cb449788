// The dialogue subroles: named after each microphone's file, with what a
// role cannot hold made "-", and none at all for a single recording.
#include <gtest/gtest.h>

#include "project/dialogue_roles.h"

using namespace quelvo;

TEST(DialogueRoles, SubrolesAreTheFileNamesAsARoleCanHoldThem) {
    EXPECT_EQ(subroleFor("Host.wav"), "Host");
    EXPECT_EQ(subroleFor("Guest.One.wav"), "Guest-One");
    EXPECT_EQ(subroleFor("Zoë Mic 2.flac"), "Zoë Mic 2");
    EXPECT_EQ(subroleFor("#1 & co_(L).wav"), "-1 - co_-L-");
    EXPECT_EQ(subroleFor(" .wav"), "Dialogue");
    EXPECT_EQ(subroleFor(".hidden"), "-hidden");

    EXPECT_EQ(dialogueRoles({"/x/Host.wav"}), std::vector<std::string>{"dialogue"});
    EXPECT_EQ(dialogueRoles({"/a/Host.wav", "/b/Host.wav", "/c/Host.mp3", "/d/Guest.wav"}),
              (std::vector<std::string>{"dialogue.Host", "dialogue.Host-2", "dialogue.Host-3",
                                        "dialogue.Guest"}));
}
