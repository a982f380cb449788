// Placeholder until the analyze command lands.
#include "app/cli/commands.h"

namespace quelvo::cli {
void registerAnalyzeCommand(CLI::App& app, int& exitCode) {
    app.add_subcommand("analyze", "(not available yet)")->callback([&exitCode] {
        printError("analyze is not available yet");
        exitCode = 1;
    });
}
} // namespace quelvo::cli
