#pragma once
// The editor question's own preferences: which Final Cut Pro version it
// preselects, whether it remembers the user's choice, and the remembered
// choice. The choice is kept as the number the project format table gives it
// (project/project_format.h: 0 and 1 are the two Final Cut Pro versions, the
// other editors have numbers of their own); this layer only stores it.
#include <optional>

#include "project/version_sheet.h"

namespace quelvo {

class VersionQuestionSettings {
  public:
    static VersionQuestionSettings& shared();

    bool preferFcpxml19() const; // default true
    void setPreferFcpxml19(bool value);
    bool rememberMyChoice() const; // default false
    void setRememberMyChoice(bool value);
    // The remembered choice as stored: a whole number from 0, else nothing.
    std::optional<int> rememberedChoiceValue() const;
    void setRememberedChoiceValue(int value);
    // The same for callers that only know the two Final Cut Pro versions:
    // another editor's number reads as nothing remembered.
    std::optional<FcpxmlVersion> rememberedChoice() const;
    void setRememberedChoice(FcpxmlVersion version);
};

} // namespace quelvo
