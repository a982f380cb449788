#pragma once
// What the user's preferences say about the editor before anyone is asked,
// shared by the desktop question and the command line so both answer alike:
// the remembered choice (only while "remember my choice" is on) and the
// choice offered first (Final Cut Pro 10.6 unless older versions are
// preferred). Stored keys are the version question's, so a choice remembered
// before other editors existed still means what it meant.
#include <optional>

#include "project/project_format.h"

namespace quelvo {

// The remembered editor when "remember my choice" is on and a known choice is
// stored; otherwise nothing (an unknown stored value is nothing remembered).
std::optional<ProjectFormat> rememberedFormat();
// Stores the choice to answer with from now on (remembering must be on for it
// to be used).
void rememberFormat(ProjectFormat format);
// The editor the question preselects when nothing else says which.
ProjectFormat preferredFormat();

} // namespace quelvo
