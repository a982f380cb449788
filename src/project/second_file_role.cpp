#include "project/second_file_role.h"

#include "base/prefs.h"
#include "base/strings.h"

namespace kymovie {

namespace {
constexpr const char* kRoleKey = "QVSecondFileRole.role";
constexpr const char* kCustomKey = "QVSecondFileRole.customRole";
} // namespace

QVSecondFileRole& QVSecondFileRole::shared() {
    static QVSecondFileRole role;
    return role;
}

QVSecondFileRole::Role QVSecondFileRole::role() const {
    const std::string raw = kykit::prefs_getValueString(kRoleKey, "music");
    if (raw == "dialogue") return Role::dialogue;
    if (raw == "custom") return Role::custom;
    return Role::music;
}

void QVSecondFileRole::setRole(Role role) { kykit::prefs_setValueString(kRoleKey, rawValue(role)); }

std::string QVSecondFileRole::customRole() const { return kykit::prefs_getValueString(kCustomKey, ""); }

void QVSecondFileRole::setCustomRole(const std::string& name) {
    kykit::prefs_setValueString(kCustomKey, name);
}

std::string QVSecondFileRole::roleName() const {
    switch (role()) {
    case Role::dialogue: return "dialogue";
    case Role::music: return "music";
    case Role::custom: {
        const std::string name = kykit::trimWhitespace(customRole());
        return name.empty() ? "music" : name;
    }
    }
    return "music";
}

std::string rawValue(QVSecondFileRole::Role role) {
    switch (role) {
    case QVSecondFileRole::Role::dialogue: return "dialogue";
    case QVSecondFileRole::Role::music: return "music";
    case QVSecondFileRole::Role::custom: return "custom";
    }
    return "music";
}

} // namespace kymovie
