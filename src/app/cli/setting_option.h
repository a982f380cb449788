#pragma once
// Command-line numbers that set a stored setting: each accepts exactly the
// range its desktop control allows (duck_settings.h), finite values only.
#include <CLI/CLI.hpp>

#include "project/duck_settings.h"

namespace quelvo::cli {

// A check for the option's text; what it refuses is a usage error (exit 2)
// that names the range: "--decrease: must be a whole number of dB from -60
// to 0, not 20". `whole` for options read as whole numbers.
CLI::Validator settingValidator(const NumberSetting& setting, bool whole = false);

} // namespace quelvo::cli
