#pragma once
// The subcommands of quelvo-cli. Each adds itself to the app; the command that
// runs sets exitCode (0 success, 1 failure, 2 usage).
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "project/envelope_timing.h"
#include "project/project_format.h"
#include "project/version_sheet.h"

namespace quelvo::cli {

void registerAnalyzeCommand(CLI::App& app, int& exitCode);
void registerDuckCommand(CLI::App& app, int& exitCode);
void registerRenderCommand(CLI::App& app, int& exitCode);
void registerTitlesCommand(CLI::App& app, int& exitCode);

// The FCPXML version to write: --format when given, else what the desktop
// version sheet would answer (a remembered choice, else the preferred version).
quelvo::FcpxmlVersion chosenVersion(const std::optional<std::string>& format);
// The editor the desktop question would answer without being shown: the
// remembered choice, else the preferred Final Cut Pro version.
ProjectFormat answeredFormat();

// Sets the detection mode and threshold from --detect and --threshold (a
// threshold alone means the threshold mode); what stays unset keeps the
// stored choice. Returns the usage error, if any.
std::optional<std::string> applyDetectionOptions(EnvelopeTiming& rolls,
                                                 const std::optional<std::string>& detect,
                                                 const std::optional<double>& threshold);

// Prints "quelvo-cli: <message>" as one line on standard error, whatever the
// message holds (a path may contain a line break).
void printError(const std::string& message);

// Prints "quelvo-cli: warning: <message>" as one line on standard error.
void printWarning(const std::string& message);

} // namespace quelvo::cli
