#pragma once
// The audio roles of the dialogue recordings. One recording is filed under
// "dialogue" as it always was; several (one microphone per speaker) each get
// a subrole named after the file, "dialogue.Host" for Host.wav, so that an
// editor can export or mute one speaker's stem.
#include <string>
#include <vector>

namespace quelvo {

// A subrole for a file's name without its extension: every character a role
// cannot hold (a dot, a slash, punctuation) becomes "-"; letters of any
// script, digits, spaces, "_" and "-" stay. "Dialogue" when nothing is left.
std::string subroleFor(const std::string& fileName);

// One role per path, in order: "dialogue" alone for a single recording,
// else "dialogue.<subrole>"; a subrole that two files would share gets
// "-2", "-3", ... on the later ones.
std::vector<std::string> dialogueRoles(const std::vector<std::string>& paths);

} // namespace quelvo
