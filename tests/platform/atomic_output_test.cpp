#include "platform/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const testsupport::TempDir& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.Path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Text(const std::string& path) {
    const auto bytes = testsupport::ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteText(const platform::AtomicOutputFile& file, const std::string& text) {
    ASSERT_EQ(::write(file.Handle(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

TEST(AtomicOutputFile, NothingUnderTheFinalNameUntilCommitted) {
    testsupport::TempDir folder;
    const std::string target = folder.File("out.wav");
    platform::AtomicOutputFile file;
    ASSERT_TRUE(file.Create(target));
    WriteText(file, "complete");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(fs::path(file.TemporaryName()).parent_path(), folder.Path());
    ASSERT_TRUE(file.Commit(false));
    EXPECT_EQ(Text(target), "complete");
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"out.wav"});
}

TEST(AtomicOutputFile, DiscardAndDestructionRemoveOnlyTheTemporaryFile) {
    testsupport::TempDir folder;
    const std::string target = folder.Write("out.wav", {'o', 'l', 'd'});
    {
        platform::AtomicOutputFile file;
        ASSERT_TRUE(file.Create(target));
        WriteText(file, "partial");
        file.Discard();
        ASSERT_TRUE(file.Create(target));
        WriteText(file, "partial again");
    }
    EXPECT_EQ(Text(target), "old");
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"out.wav"});
}

// Whatever sits at the final name: may a commit take it, with and without
// replacing, and is the old entry left as it was when not?
TEST(AtomicOutputFile, CommitTakesOnlyWhatItMay) {
    struct Case {
        const char* what;
        bool replace;
        bool taken;
    };
    for (const Case& c : {Case{"regular", false, false}, Case{"regular", true, true}, Case{"dangling", false, false},
                          Case{"dangling", true, false}, Case{"link", true, false}, Case{"folder", true, false},
                          Case{"fifo", true, false}}) {
        SCOPED_TRACE(std::string(c.what) + (c.replace ? " with replace" : ""));
        testsupport::TempDir folder;
        const std::string target = folder.File("out.mpa");
        const std::string elsewhere = folder.Write("elsewhere", {'e'});
        const std::string what = c.what;
        if (what == "regular") folder.Write("out.mpa", {'o'});
        if (what == "dangling") fs::create_symlink(folder.File("nowhere"), target);
        if (what == "link") fs::create_symlink(elsewhere, target);
        if (what == "folder") fs::create_directory(target);
        if (what == "fifo") {
            ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
        }
        const platform::OutputName before = platform::CheckOutputName(target);
        EXPECT_EQ(before, what == "regular" ? platform::OutputName::kRegularFile : platform::OutputName::kOther);

        platform::AtomicOutputFile file;
        ASSERT_TRUE(file.Create(target));
        WriteText(file, "new");
        EXPECT_EQ(file.Commit(c.replace), c.taken);
        if (c.taken) {
            EXPECT_EQ(Text(target), "new");
            continue;
        }
        EXPECT_EQ(errno, EEXIST);
        EXPECT_EQ(platform::CheckOutputName(target), before);
        EXPECT_EQ(Text(elsewhere), "e");
        EXPECT_FALSE(fs::exists(folder.File("nowhere")));
        // Another name is still possible; then only it and the old entries remain.
        ASSERT_TRUE(file.CommitAs(folder.File("other.mpa"), false));
        EXPECT_EQ(Text(folder.File("other.mpa")), "new");
        EXPECT_EQ(Entries(folder).size(), 3u);
    }
}

TEST(AtomicOutputFile, SignalRemovesTheTemporaryFileOfAChild) {
    testsupport::TempDir folder;
    const std::string target = folder.File("out.mpa");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::RemoveTemporaryOutputsOnSignals();
        platform::AtomicOutputFile file;
        if (!file.Create(target)) ::_exit(2);
        (void)!::write(ready[1], "r", 1);
        for (;;) ::pause();
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(Entries(folder).size(), 1u);  // the temporary file
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_TRUE(Entries(folder).empty());
}

TEST(OpenRegularInput, RefusesWhatIsNotARegularFileWithoutBlocking) {
    testsupport::TempDir folder;
    const std::string file = folder.Write("in.mp2", {1});
    const int fd = platform::OpenRegularInput(file);
    EXPECT_GE(fd, 0);
    if (fd >= 0) ::close(fd);

    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(platform::OpenRegularInput(fifo), -1);  // no writer: would block a plain open
    EXPECT_EQ(errno, ENODEV);
    EXPECT_EQ(platform::OpenRegularInput(folder.Path().string()), -1);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(platform::OpenRegularInput(folder.File("missing")), -1);
    EXPECT_EQ(errno, ENOENT);
    if (::geteuid() == 0) {
        const std::string device = folder.File("zero");
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0600, ::makedev(1, 5)), 0);
        EXPECT_EQ(platform::OpenRegularInput(device), -1);
        EXPECT_EQ(errno, ENODEV);
    }
}

}  // namespace
