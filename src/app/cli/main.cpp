// quelvo-cli: the headless entry point for scripts and batch work.
#include <cstdio>
#include <iostream>

#include "app/cli/commands.h"
#include "app/cli/standard_streams.h"
#include "base/services.h"
#include "base/settings_store.h"
#include "base/task_runner.h"
#include "base/temporary_files.h"
#include "media/allocator_tuning.h"
#include "media/build_facts.h"
#include "project/version_question_settings.h"

namespace quelvo::cli {
namespace {
// One line whatever the text holds (a path may contain a line break).
std::string oneLine(const std::string& message) {
    std::string line;
    for (const char c : message) {
        if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else
            line += c;
    }
    return line;
}
} // namespace

void printError(const std::string& message) {
    std::cerr << "quelvo-cli: " << oneLine(message) << std::endl;
}

void printWarning(const std::string& message) {
    std::cerr << "quelvo-cli: warning: " << oneLine(message) << std::endl;
}

quelvo::FcpxmlVersion chosenVersion(const std::optional<std::string>& format) {
    using Version = quelvo::FcpxmlVersion;
    if (format) return *format == "1.6" ? Version::v1_6 : Version::v1_9;
    const auto& settings = quelvo::VersionQuestionSettings::shared();
    if (settings.rememberMyChoice())
        if (const auto remembered = settings.rememberedChoice()) return *remembered;
    return settings.preferFcpxml19() ? Version::v1_9 : Version::v1_6;
}

ProjectFormat answeredFormat() {
    return chosenVersion(std::nullopt) == quelvo::FcpxmlVersion::v1_9 ? ProjectFormat::fcpxml19
                                                                      : ProjectFormat::fcpxml16;
}
} // namespace quelvo::cli

int main(int argc, char** argv) {
    quelvo::tuneAllocatorForDecoding();
    quelvo::cli::prepareStandardStreams();
    // A stopped render or write leaves no hidden temporary file behind.
    quelvo::removeTemporaryFilesOnStop();
    CLI::App app{"Quelvo: automatic music ducking and subtitle titles for Final Cut Pro"};
    // The version and the FFmpeg build it runs with, for bug reports and packagers.
    app.set_version_flag("--version", quelvo::BuildFacts::versionReport("quelvo-cli"));
    app.require_subcommand(1);
    int exitCode = 0;
    quelvo::cli::registerAnalyzeCommand(app, exitCode);
    quelvo::cli::registerDuckCommand(app, exitCode);
    quelvo::cli::registerRenderCommand(app, exitCode);
    quelvo::cli::registerTitlesCommand(app, exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return quelvo::cli::finishStandardOutput(app.exit(e));
    } catch (const CLI::CallForVersion& e) {
        return quelvo::cli::finishStandardOutput(app.exit(e));
    } catch (const CLI::ParseError& e) {
        quelvo::cli::printError(e.what());
        return 2;
    }
    for (const std::string& warning : quelvo::SettingsStore::instance().warnings())
        quelvo::cli::printWarning(warning);
    // A project handed to Final Cut Pro goes a moment after the job returns.
    quelvo::TaskRunner::shared().waitForAll();
    return quelvo::cli::finishStandardOutput(exitCode);
}
