// Placeholder until the titles command lands.
#include "app/cli/commands.h"

namespace quelvo::cli {
void registerTitlesCommand(CLI::App& app, int& exitCode) {
    app.add_subcommand("titles", "(not available yet)")->callback([&exitCode] {
        printError("titles is not available yet");
        exitCode = 1;
    });
}
} // namespace quelvo::cli
