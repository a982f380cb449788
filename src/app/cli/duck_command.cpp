// Placeholder until the duck command lands.
#include "app/cli/commands.h"

namespace quelvo::cli {
void registerDuckCommand(CLI::App& app, int& exitCode) {
    app.add_subcommand("duck", "(not available yet)")->callback([&exitCode] {
        printError("duck is not available yet");
        exitCode = 1;
    });
}
} // namespace quelvo::cli
