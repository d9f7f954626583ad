// The program's outputs are safe: never written through a planted link or
// onto a device, never left half-written under their final name (a full
// disk, a file-size limit, a signal), a failed extraction is a failure, and
// inputs that never end are refused at once.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/run_program.h"
#include "tests/fakes/fake_plugin_folder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using clitest::Quoted;
using clitest::RunCli;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

const char* const kTimeLimit = "timeout 30";

bool IsRoot() { return ::geteuid() == 0; }

// A character device node of the test's own: the full-disk device's numbers.
std::string MakeFullDiskNode(const testsupport::TempDir& dir) {
    const std::string node = dir.File("full");
    if (::mknod(node.c_str(), S_IFCHR | 0600, ::makedev(1, 7)) != 0) return {};
    return node;
}

bool IsCharacterDevice(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISCHR(status.st_mode);
}

// The stream of an MPEG audio fixture, repeated until it is long.
std::string LongStream(const testsupport::TempDir& dir, const char* name, int copies) {
    const Bytes once = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    Bytes bytes;
    for (int i = 0; i < copies; ++i) bytes.insert(bytes.end(), once.begin(), once.end());
    return dir.Write(name, bytes);
}

// ---------------------------------------------------------------- inputs that never end

TEST(CliInputs, FifosAndDevicesAreRefusedAtOnceByEveryCommand) {
    testsupport::TempDir dir;
    const std::string fifo = dir.File("stream.mp2");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> inputs = {fifo};
    if (IsRoot()) inputs.push_back(MakeFullDiskNode(dir));
    for (const std::string command :
         {"frames", "probe", "header --offset 0", "streams", "extract --stream 0", "decode", "validate"}) {
        for (const std::string& input : inputs) {
            SCOPED_TRACE(command + " " + input);
            const auto result = RunCli(command + " " + Quoted(input), dir.Path().string(), kTimeLimit);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_THAT(result.err, HasSubstr(input + " is not a regular file"));
        }
    }
    // A batch over a folder holding a FIFO goes on with the other files.
    const std::string tone = dir.Write("tone.mp2", testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2")));
    const auto batch = RunCli("validate " + Quoted(fifo) + " " + Quoted(tone), dir.Path().string(), kTimeLimit);
    EXPECT_EQ(batch.exitCode, 1);
    EXPECT_THAT(batch.out, HasSubstr(tone + ": 0 errors"));
    if (!IsRoot()) GTEST_SKIP() << "device nodes need root";
}

// ---------------------------------------------------------------- outputs that are not regular files

TEST(CliOutputs, LinksFoldersFifosAndDevicesAreNeverReplacedEvenWithForce) {
    testsupport::TempDir dir;
    const std::string target = dir.Write("target.bin", {7, 7});
    std::vector<std::string> outputs = {dir.File("fifo"), dir.File("link"), dir.File("dangling"), dir.File("folder")};
    ASSERT_EQ(::mkfifo(outputs[0].c_str(), 0600), 0);
    fs::create_symlink(target, outputs[1]);
    fs::create_symlink(dir.File("nowhere"), outputs[2]);
    fs::create_directory(outputs[3]);
    const std::string node = IsRoot() ? MakeFullDiskNode(dir) : std::string();
    if (!node.empty()) outputs.push_back(node);
    const std::string ts = Quoted(testsupport::FixturePath("tone_l2.ts"));
    const std::string mp2 = Quoted(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    for (const std::string& output : outputs) {
        for (const std::string& command : {"extract " + ts + " --stream 0 -o ", "decode " + mp2 + " -o ",
                                          "validate " + mp2 + " --report "}) {
            SCOPED_TRACE(command + output);
            const auto before = testsupport::FolderEntries(dir.Path());
            const auto result = RunCli(command + Quoted(output) + " --force", dir.Path().string(), kTimeLimit);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_THAT(result.err, HasSubstr(output + " exists and is not a regular file"));
            EXPECT_EQ(testsupport::FolderEntries(dir.Path()), before);
        }
    }
    EXPECT_EQ(testsupport::ReadFileBytes(target), (Bytes{7, 7}));
    EXPECT_FALSE(fs::exists(dir.File("nowhere")));
    if (node.empty()) GTEST_SKIP() << "device nodes need root";
    EXPECT_TRUE(IsCharacterDevice(node));
}

TEST(CliOutputs, ProposedNameStepsOverAPlantedLink) {
    testsupport::TempDir dir;
    const std::string target = dir.Write("elsewhere.bin", {1});
    fs::create_symlink(dir.File("nowhere.bin"), dir.File("tone_l2_0000.mpa"));
    fs::create_symlink(target, dir.File("tone_l2_0001.mpa"));
    const auto result = RunCli("extract " + Quoted(testsupport::FixturePath("tone_l2.ts")) + " --stream 0",
                               dir.Path().string());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "tone_l2_0002.mpa: 48065 bytes of stream 0 (MPEG audio)\n");
    EXPECT_FALSE(fs::exists(dir.File("nowhere.bin")));
    EXPECT_EQ(testsupport::ReadFileBytes(target), (Bytes{1}));
    EXPECT_TRUE(fs::is_symlink(dir.File("tone_l2_0000.mpa")));
}

// ---------------------------------------------------------------- complete or nothing

// Each output under a file-size limit far below its size: exit 1 and no
// file under the final name, an existing one kept as it was.
TEST(CliOutputs, AFileSizeLimitLeavesNoPartialOutput) {
    testsupport::TempDir dir;
    const std::string broken = LongStream(dir, "long.mp2", 2);
    const std::string kept = dir.Write("kept.html", {'o', 'l', 'd'});
    struct Case {
        std::string command;
        std::string output;
    };
    const Case cases[] = {
        {"extract " + Quoted(testsupport::FixturePath("tone_l2.ts")) + " --stream 0 -o out.mpa", "out.mpa"},
        {"decode " + Quoted(broken) + " -o out.wav", "out.wav"},
        {"validate " + Quoted(testsupport::FixturePath("validation/faulty_l2_48k.mp2")) + " --report out.html", "out.html"},
        {"validate " + Quoted(testsupport::FixturePath("validation/faulty_l2_48k.mp2")) + " --report kept.html --force",
         "kept.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const auto before = testsupport::FolderEntries(dir.Path());
        const auto result = RunCli(c.command, dir.Path().string(), "ulimit -f 1;");
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_THAT(result.err, HasSubstr("cannot write"));
        EXPECT_EQ(testsupport::FolderEntries(dir.Path()), before);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(kept), (Bytes{'o', 'l', 'd'}));
}

// Runs the program on arguments in folder, waits until its temporary output
// appears there, and sends it the signal. The status it ended with.
int InterruptWhenWriting(const std::string& program, const std::string& folder,
                         const std::vector<std::string>& arguments, int signalNumber) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(100);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(101);
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool writing = false;
    while (!writing && std::chrono::steady_clock::now() < giveUp) {
        for (const std::string& name : testsupport::FolderEntries(folder)) writing = writing || name.ends_with(".part");
        if (!writing) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a few blocks into the output
    ::kill(child, signalNumber);
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(CliOutputs, ASignalMidWayLeavesNothingBehind) {
    testsupport::TempDir dir;
    const std::string input = LongStream(dir, "long.mp2", 600);
    const auto before = testsupport::FolderEntries(dir.Path());
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        const int status = InterruptWhenWriting(testsupport::BinPath("tamberly-cli"), dir.Path().string(),
                                                {"decode", input, "-o", "out.wav"}, signalNumber);
        if (WIFEXITED(status)) GTEST_SKIP() << "finished before the signal; the input is too short";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber);
        EXPECT_EQ(testsupport::FolderEntries(dir.Path()), before);
    }
}

// ---------------------------------------------------------------- failed extraction

// The program copied beside fake plugins: it loads what sits in its folder.
class CliBesideFakePlugins : public ::testing::Test {
protected:
    CliBesideFakePlugins() {
        plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
        program = plugins.File("tamberly-cli");
        fs::copy_file(testsupport::BinPath("tamberly-cli"), program);
    }
    fakes::FakePluginFolder plugins;
    testsupport::TempDir out;
    std::string program;
};

TEST_F(CliBesideFakePlugins, AnExtractionThatFailsHalfWayExitsOneAndLeavesNoOutput) {
    const std::string failing = plugins.WriteContainer("failing.ts", {"stream 0 0 131", "chunks 100000 10", "fail 5"});
    const auto failed = clitest::RunProgramAt(program, "extract " + Quoted(failing) + " --stream 0 -o out.mpa",
                                              out.Path().string());
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_THAT(failed.err, HasSubstr("the demultiplexer failed part-way"));
    EXPECT_TRUE(testsupport::FolderEntries(out.Path()).empty());

    // The same stream without the failure: the whole of it.
    const std::string whole = plugins.WriteContainer("whole.ts", {"stream 0 0 131", "chunks 100000 10"});
    const auto extracted = clitest::RunProgramAt(program, "extract " + Quoted(whole) + " --stream 0 -o out.mpa",
                                                 out.Path().string());
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    EXPECT_TRUE(testsupport::ReadFileBytes(out.File("out.mpa")) == fakes::ExpectedBytes(0, 1000000));
}

TEST_F(CliBesideFakePlugins, ASignalMidWayThroughAnExtractionLeavesNothingBehind) {
    // About 100 s of stream at full length.
    const std::string slow = plugins.WriteContainer("slow.ts", {"stream 0 0 131", "chunks 65536 100000 1"});
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        const int status =
            InterruptWhenWriting(program, out.Path().string(), {"extract", slow, "--stream", "0", "-o", "out.mpa"},
                                 signalNumber);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber);
        EXPECT_TRUE(testsupport::FolderEntries(out.Path()).empty());
    }
}

// ---------------------------------------------------------------- standard output

TEST(CliStandardOutput, AWriteErrorIsExitOneWithOneLine) {
    testsupport::TempDir dir;
    const std::string input = LongStream(dir, "long.mp2", 20);
    const auto limited = RunCli("frames " + Quoted(input) + " --all >" + Quoted(dir.File("list.txt")),
                                dir.Path().string(), "ulimit -f 2;");
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_THAT(limited.err, HasSubstr("tamberly-cli: cannot write the standard output"));
    EXPECT_EQ(std::count(limited.err.begin(), limited.err.end(), '\n'), 1) << limited.err;
    const auto whole = RunCli("frames " + Quoted(input) + " --all >" + Quoted(dir.File("list.txt")),
                              dir.Path().string());
    EXPECT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_GT(fs::file_size(dir.File("list.txt")), 2u * 512u);
}

}  // namespace
