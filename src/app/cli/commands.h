#pragma once
// The subcommands of quelvo-cli. Each adds itself to the app; the command that
// runs sets exitCode (0 success, 1 failure, 2 usage).
#include <CLI/CLI.hpp>

namespace quelvo::cli {

void registerAnalyzeCommand(CLI::App& app, int& exitCode);
void registerDuckCommand(CLI::App& app, int& exitCode);
void registerTitlesCommand(CLI::App& app, int& exitCode);

// Prints "quelvo-cli: <message>" as one line on standard error.
void printError(const std::string& message);

} // namespace quelvo::cli
