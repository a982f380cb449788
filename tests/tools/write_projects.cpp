// write-projects DIALOGUE MUSIC FILLER FOLDER: the job's project for these
// recordings written as FCP7 XML and MLT into FOLDER, for opening
// them in the editors by hand.
#include <cstdio>

#include "support/test_support.h"
#include "writers/melt_proof.h"
#include "writers/mlt_writer.h"
#include "writers/xmeml_writer.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: write-projects DIALOGUE MUSIC FILLER FOLDER\n");
        return 2;
    }
    quelvo::ProjectDescription project;
    const std::filesystem::path folder = argv[4];
    if (auto described = quelvo::test::describeCase({argv[1], argv[2], argv[3]}, folder, project);
        !described) {
        std::fprintf(stderr, "write-projects: %s\n", described.message().c_str());
        return 1;
    }
    quelvo::test::writeFile(folder / "project.xml", quelvo::writeXmeml(project));
    quelvo::test::writeFile(folder / "project.mlt", quelvo::writeMlt(project));
    return 0;
}
