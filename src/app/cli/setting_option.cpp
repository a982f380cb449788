#include "app/cli/setting_option.h"

namespace quelvo::cli {

CLI::Validator settingValidator(const NumberSetting& setting, bool whole) {
    return CLI::Validator(
        [setting, whole](std::string& text) {
            return optionValueProblem(setting, text, whole).value_or("");
        },
        rangeText(setting));
}

} // namespace quelvo::cli
