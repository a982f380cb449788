#pragma once
// The version sheet's own preferences: which version it preselects, whether
// it remembers the user's choice, and the remembered choice.
#include <optional>

#include "platform/movie/version_sheet.h"

namespace kymovie {

class KyFCP106Prefs {
public:
    static KyFCP106Prefs& shared();

    bool preferFCP106() const;       // default true
    void setPreferFCP106(bool value);
    bool rememberMyChoice() const;   // default false
    void setRememberMyChoice(bool value);
    std::optional<FCP106ExportOptionsVC::Version> rememberedChoice() const;
    void setRememberedChoice(FCP106ExportOptionsVC::Version version);
};

} // namespace kymovie
