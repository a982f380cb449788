#include "app/desktop/command_line.h"

#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>

#include <CLI/CLI.hpp>

#include "media/build_facts.h"

namespace quelvo::desktop {

namespace {

struct Parsed {
    std::string dialogue, music, filler;
};

std::unique_ptr<CLI::App> makeApp(Parsed& parsed) {
    auto app = std::make_unique<CLI::App>(
        "Quelvo: writes Final Cut Pro projects in which the music ducks under speech. The main "
        "window opens with "
        "the given audio files placed as dialogue, music and filler, in that order.",
        "quelvo");
    app->set_version_flag("--version", quelvo::BuildFacts::versionReport("quelvo"));
    app->add_option("DIALOGUE", parsed.dialogue,
                    "dialogue (speaker) recording: WAV, MP3, M4A or AIFF");
    app->add_option("MUSIC", parsed.music, "music bed that ducks under the dialogue");
    app->add_option("FILLER", parsed.filler, "filler music for the music's silent stretches");
    // A launcher may pass more files than there are areas; they are reported, not refused.
    app->allow_extras();
    return app;
}

bool asksForInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) return false;
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0 ||
            std::strcmp(argv[i], "--version") == 0)
            return true;
    }
    return false;
}

} // namespace

std::optional<int> answerInformationOptions(int argc, char** argv) {
    if (!asksForInformation(argc, argv)) return std::nullopt;
    Parsed parsed;
    auto app = makeApp(parsed);
    try {
        app->parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app->exit(e);
    }
    return std::nullopt;
}

CommandLine parseCommandLine(int argc, char** argv) {
    Parsed parsed;
    auto app = makeApp(parsed);
    CommandLine line;
    try {
        app->parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version were answered before; anything else is not fatal
        // for a desktop program: it starts with what it could read.
        std::cerr << "quelvo: " << e.what() << std::endl;
    }
    for (const std::string* path : {&parsed.dialogue, &parsed.music, &parsed.filler})
        if (!path->empty())
            line.files.push_back(std::filesystem::absolute(*path).lexically_normal().string());
    line.ignored = app->remaining();
    return line;
}

} // namespace quelvo::desktop
