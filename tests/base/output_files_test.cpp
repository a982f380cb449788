// The write rules under every output: links written through, special files
// refused, file identity, names up to the system's limit, the no-replace
// rename and its hard-link fallback.
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "base/files.h"
#include "base/output_files.h"
#include "support/test_support.h"

using namespace quelvo;
using quelvo::test::readFile;
using quelvo::test::TempDir;
using quelvo::test::writeFile;
namespace fs = std::filesystem;

namespace {
// Everything in the folder but `keep`: hidden temporary files would show here.
size_t othersIn(const fs::path& dir, size_t keep) {
    return static_cast<size_t>(
               std::distance(fs::directory_iterator(dir), fs::directory_iterator())) -
           keep;
}
} // namespace

TEST(OutputFiles, LinksAreWrittenThroughAndSpecialFilesRefused) {
    TempDir dir;
    fs::create_directory(dir / "elsewhere");
    writeFile(dir / "elsewhere" / "real.fcpxml", "old");
    fs::create_symlink("elsewhere/real.fcpxml", dir / "link.fcpxml");
    fs::create_symlink("link.fcpxml", dir / "chain.fcpxml");
    ASSERT_TRUE(atomicWriteFile((dir / "chain.fcpxml").string(), "new").ok());
    EXPECT_TRUE(fs::is_symlink(dir / "chain.fcpxml"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.fcpxml"));
    EXPECT_EQ(readFile(dir / "elsewhere" / "real.fcpxml"), "new");
    EXPECT_EQ(othersIn(dir / "elsewhere", 1), 0u);

    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::create_directory(dir / "folder");
    EXPECT_EQ(atomicWriteFile((dir / "pipe").string(), "x").message(),
              "cannot write " + (dir / "pipe").string() + ": it is a named pipe, not a file");
    EXPECT_EQ(*notWritableBecause((dir / "folder").string()), "it is a folder, not a file");
    EXPECT_EQ(*notWritableBecause("/dev/null"), "it is a device, not a file");
    EXPECT_FALSE(notWritableBecause((dir / "link.fcpxml").string()));
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_EQ(othersIn(dir.path(), 5), 0u);
}

TEST(OutputFiles, OneFileByIdentityWhateverItsName) {
    TempDir dir;
    writeFile(dir / "a.wav", "audio");
    fs::create_symlink("a.wav", dir / "link.wav");
    fs::create_hard_link(dir / "a.wav", dir / "hard.wav");
    writeFile(dir / "b.wav", "audio");
    const std::string a = (dir / "a.wav").string();
    EXPECT_TRUE(sameFile(a, (dir / "." / "a.wav").string()));
    EXPECT_TRUE(sameFile(a, (dir / "link.wav").string()));
    EXPECT_TRUE(sameFile(a, (dir / "hard.wav").string()));
    EXPECT_FALSE(sameFile(a, (dir / "b.wav").string()));
    // Two names of one file not written yet.
    EXPECT_TRUE(sameFile((dir / "new.svg").string(), (dir / "x" / ".." / "new.svg").string()));
    EXPECT_FALSE(sameFile((dir / "new.svg").string(), (dir / "new2.svg").string()));
    EXPECT_FALSE(sameFile("", ""));

    OutputPlan plan;
    plan.inputs = {a};
    plan.outputs = {(dir / "out.fcpxml").string(), (dir / "hard.wav").string()};
    plan.replaceExisting = true;
    EXPECT_EQ(*checkOutputPlan(plan),
              "cannot write " + plan.outputs[1] + ": it is one of the files being read");
}

TEST(OutputFiles, NamesUpToTheLimitAreWrittenAtomically) {
    TempDir dir;
    for (const size_t length : {240u, 250u, 255u}) {
        const fs::path file = dir / (std::string(length - 7, 'n') + ".fcpxml");
        const std::string temporary = temporaryPathBeside(file.string());
        EXPECT_LE(fs::path(temporary).filename().string().size(), 255u);
        discardTemporaryFile(temporary);
        ASSERT_TRUE(atomicWriteFile(file.string(), "text").ok()) << length;
        EXPECT_EQ(readFile(file), "text");
    }
    EXPECT_EQ(othersIn(dir.path(), 3), 0u);
}

TEST(OutputFiles, ANewFileNeverReplacesOneThatAppearedMeanwhile) {
    TempDir dir;
    const std::string path = (dir / "p.fcpxml").string();
    OutputPlan plan;
    plan.outputs = {path};
    ASSERT_FALSE(checkOutputPlan(plan));
    // Another run got there first, after the check.
    writeFile(path, "the other run's");
    const Status s = atomicWriteFile(path, "ours");
    EXPECT_EQ(s.message(),
              "cannot write " + path + ": a file of that name appeared while it was being written");
    EXPECT_EQ(readFile(path), "the other run's");
    EXPECT_EQ(*checkOutputPlan(plan), path + " already exists; use --force to replace it");

    // The fallback where the file system cannot rename without replacing.
    writeFile(dir / "tmp", "new");
    EXPECT_EQ(linkIntoPlace((dir / "tmp").c_str(), path.c_str()), EEXIST);
    EXPECT_EQ(readFile(path), "the other run's");
    EXPECT_EQ(linkIntoPlace((dir / "tmp").c_str(), (dir / "free").c_str()), 0);
    EXPECT_EQ(readFile(dir / "free"), "new");
    EXPECT_FALSE(fs::exists(dir / "tmp"));
}
