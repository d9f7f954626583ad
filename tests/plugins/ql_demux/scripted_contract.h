#pragma once
// The export contract every demultiplexer plugin honours, checked against a
// scripted core: listing, extraction to a file and to the host, the close
// and re-open after every extraction, abort, and each failure path with its
// exact debug lines and the result -1. Both plugins instantiate this suite with their own
// traits (the lines they write); each test program links one plugin's code
// with the scripted core, so the plugin's debug lines are captured directly.
//
// A Plugin trait provides:
//   kCreateFailed, kFileInfoFailed, kEnumFailed, kNoDemuxerInfo,
//   kMediaTypeFailed: const char* lines;
//   kToFile, kCallback: ql_demux_test::ExtractionLines.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/debug_output.h"
#include "abi/ql_demux_api.h"
#include "plugins/common/demux_plugin.h"
#include "tests/plugins/ql_demux/scripted_core.h"
#include "tests/support/temp_dir.h"

namespace ql_demux_test {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

// The lines of one extraction export; null where the step fails silently.
using ExtractionLines = demux_plugin::ExtractionLines;

// What the host's send function received.
struct Receiver {
    std::vector<Bytes> chunks;
    [[nodiscard]] Bytes Joined() const {
        Bytes all;
        for (const auto& chunk : chunks) all.insert(all.end(), chunk.begin(), chunk.end());
        return all;
    }
};

inline std::int32_t TAMBERLY_STDCALL Receive(void* owner, const void* data, std::int32_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    static_cast<Receiver*>(owner)->chunks.emplace_back(bytes, bytes + size);
    return 0;
}

inline Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A device on which every write fails as on a full disk.
inline constexpr const char* kFullDisk = "/dev/full";

template <class Plugin>
class ScriptedPlugin : public ::testing::Test {
protected:
    void SetUp() override { scripted::Current() = {}; }
    void TearDown() override {
        UnloadFile();
        EXPECT_FALSE(scripted::Current().misuse) << "a core call without a live instance or parser";
        EXPECT_EQ(scripted::Current().live_instances, 0);
    }

    std::string Source() const { return dir_.File("source.ts"); }
    std::string Output() const { return dir_.File("out.bin"); }

    void Load() {
        ASSERT_EQ(LoadFile(Source().c_str()), 0);
        lines_.Clear();
    }

    // Extracts into Output() and reads it back (empty when not written);
    // result is what the export must answer.
    Bytes ToFile(std::int32_t index, std::int32_t result = 0) {
        EXPECT_EQ(DemuxStreamToFile(index, Output().c_str()), result);
        return testsupport::ReadFileBytes(Output());
    }

    Receiver ToHost(std::int32_t index, std::int32_t result = 0) {
        Receiver receiver;
        EXPECT_EQ(DemuxStreamCallBack(index, &Receive, &receiver), result);
        return receiver;
    }

    struct Entry {
        std::int32_t program = -1, stream = -1, media_type = -1;
        bool operator==(const Entry&) const = default;
    };
    Entry EntryAt(std::int32_t index, std::int32_t* result = nullptr) {
        Entry entry;
        const std::int32_t status = GetStreamMediaType(index, &entry.program, &entry.stream, &entry.media_type);
        if (result != nullptr) *result = status;
        return entry;
    }

    std::int32_t Count() {
        std::int32_t count = -1;
        EXPECT_EQ(GetStreamsCount(&count), 0);
        return count;
    }

    // The plugin re-opened its file: a new instance was created and opened
    // after the last one was freed.
    static bool Reopened() {
        const auto after = scripted::CallsAfter("free");
        return after.size() >= 2 && after[0] == "create" && after[1] == "open" &&
               scripted::Current().live_instances == 1;
    }

    testsupport::TempDir dir_;
    platform::DebugLineCapture lines_;
};

TYPED_TEST_SUITE_P(ScriptedPlugin);

TYPED_TEST_P(ScriptedPlugin, LoadFileListsEveryStreamWithItsType) {
    scripted::Current().media_type = [](std::int32_t, std::int32_t stream) { return stream == 0 ? 3 : 131 + stream; };
    ASSERT_EQ(LoadFile(this->Source().c_str()), 0);
    EXPECT_EQ(scripted::Current().opened_path, this->Source());
    EXPECT_EQ(this->Count(), 3);
    using Entry = typename TestFixture::Entry;
    EXPECT_EQ(this->EntryAt(0), (Entry{0, 0, 3}));
    EXPECT_EQ(this->EntryAt(1), (Entry{0, 1, 132}));
    EXPECT_EQ(this->EntryAt(2), (Entry{0, 2, 133}));
    EXPECT_TRUE(this->lines_.Lines().empty());
}

TYPED_TEST_P(ScriptedPlugin, ExtractionToFileWritesEveryChunkAndReopens) {
    this->Load();
    EXPECT_EQ(this->ToFile(1), AsBytes("first second third"));
    EXPECT_EQ(scripted::Current().calls.back(), "stream_format 0 2") << "re-opened and listed again";
    EXPECT_TRUE(this->Reopened());
    EXPECT_TRUE(this->lines_.Lines().empty());
    EXPECT_EQ(this->Count(), 3);
}

TYPED_TEST_P(ScriptedPlugin, ExtractionToHostForwardsEveryChunkInOrder) {
    this->Load();
    const Receiver receiver = this->ToHost(2);
    ASSERT_EQ(receiver.chunks.size(), 3u);
    EXPECT_EQ(receiver.chunks[0], AsBytes("first "));
    EXPECT_EQ(receiver.chunks[2], AsBytes("third"));
    EXPECT_TRUE(this->Reopened());
    EXPECT_TRUE(this->lines_.Lines().empty());
}

TYPED_TEST_P(ScriptedPlugin, TwoExtractionsInARowBothSucceed) {
    this->Load();
    EXPECT_EQ(this->ToFile(1), AsBytes("first second third"));
    std::filesystem::remove(this->Output());
    EXPECT_EQ(this->ToFile(1), AsBytes("first second third"));
    EXPECT_EQ(this->ToHost(1).Joined(), AsBytes("first second third"));
    EXPECT_EQ(scripted::Current().instances_created, 4);
    EXPECT_TRUE(this->lines_.Lines().empty());
}

TYPED_TEST_P(ScriptedPlugin, IndexEqualToTheCountWritesWrongIndexAndReopens) {
    this->Load();
    using Entry = typename TestFixture::Entry;
    const Entry before = this->EntryAt(2);
    EXPECT_TRUE(this->ToFile(3, -1).empty());
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kToFile.wrong_index}));
    EXPECT_TRUE(this->Reopened());
    this->lines_.Clear();
    EXPECT_TRUE(this->ToHost(3, -1).chunks.empty());
    EXPECT_TRUE(this->ToHost(-1, -1).chunks.empty());
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kCallback.wrong_index, TypeParam::kCallback.wrong_index}));
    for (const auto& call : scripted::Current().calls) EXPECT_NE(call, "create_parser");
    EXPECT_EQ(this->Count(), 3);
    EXPECT_EQ(this->EntryAt(2), before);
}

TYPED_TEST_P(ScriptedPlugin, FailingPushWritesWriteErrorAndKeepsWhatWasWritten) {
    this->Load();
    scripted::Current().push_fails_at = 1;
    EXPECT_EQ(this->ToFile(0, -1), AsBytes("first "));
    EXPECT_EQ(this->ToHost(0, -1).Joined(), AsBytes("first "));
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kToFile.write_error, TypeParam::kCallback.write_error}));
    EXPECT_TRUE(this->Reopened());
}

TYPED_TEST_P(ScriptedPlugin, FailingSeekLeavesAnEmptyOutput) {
    this->Load();
    scripted::Current().seek_fails = true;
    EXPECT_TRUE(this->ToFile(1, -1).empty());
    EXPECT_TRUE(std::filesystem::exists(this->Output()));
    EXPECT_TRUE(this->ToHost(1, -1).chunks.empty());
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kToFile.no_seek, TypeParam::kCallback.no_seek}));
    EXPECT_TRUE(this->Reopened());
}

TYPED_TEST_P(ScriptedPlugin, FailingStreamChoiceAndParserHaveTheirLines) {
    this->Load();
    scripted::Current().stream_fails = true;
    EXPECT_TRUE(this->ToFile(1, -1).empty());
    EXPECT_TRUE(this->ToHost(1, -1).chunks.empty());
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kToFile.no_stream, TypeParam::kCallback.no_stream}));
    this->lines_.Clear();
    scripted::Current().parser_fails = true;
    EXPECT_TRUE(this->ToFile(1, -1).empty());
    EXPECT_TRUE(this->ToHost(1, -1).chunks.empty());
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kToFile.no_parser, TypeParam::kCallback.no_parser}));
    EXPECT_TRUE(this->Reopened());
}

TYPED_TEST_P(ScriptedPlugin, OutputThatCannotBeCreatedEndsTheExtraction) {
    this->Load();
    const std::string unreachable = this->dir_.File("no-such-folder/out.bin");
    EXPECT_EQ(DemuxStreamToFile(1, unreachable.c_str()), -1);
    EXPECT_EQ(DemuxStreamToFile(1, nullptr), -1);
    Lines expected;
    if (TypeParam::kToFile.no_sink != nullptr) expected = {TypeParam::kToFile.no_sink, TypeParam::kToFile.no_sink};
    EXPECT_EQ(this->lines_.Lines(), expected);
    for (const auto& call : scripted::Current().calls) EXPECT_NE(call, "push");
    EXPECT_TRUE(this->Reopened());
}

// A full disk: the sink refuses the first chunk, the core's push fails.
TYPED_TEST_P(ScriptedPlugin, OutputThatCannotBeWrittenFailsTheExtraction) {
    if (!std::filesystem::exists(kFullDisk)) GTEST_SKIP() << "no " << kFullDisk;
    this->Load();
    EXPECT_EQ(DemuxStreamToFile(1, kFullDisk), -1);
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kToFile.write_error}));
    EXPECT_EQ(scripted::Current().pushes, 1);
    EXPECT_TRUE(this->Reopened());
}

// Chunks the sink only buffers are lost when it finishes on a full disk: no
// step failed and no line is written, yet the output is incomplete.
TYPED_TEST_P(ScriptedPlugin, OutputThatCannotBeFinishedFailsTheExtraction) {
    if (!std::filesystem::exists(kFullDisk)) GTEST_SKIP() << "no " << kFullDisk;
    scripted::Current().reserve_chunks = true;
    this->Load();
    EXPECT_EQ(this->ToFile(1), AsBytes("first second third")) << "buffered chunks reach a writable file";
    EXPECT_EQ(DemuxStreamToFile(1, kFullDisk), -1);
    EXPECT_TRUE(this->lines_.Lines().empty());
    EXPECT_TRUE(this->Reopened());
    EXPECT_EQ(this->ToHost(1).chunks.size(), 0u) << "reserved chunks are counted, not forwarded";
}

TYPED_TEST_P(ScriptedPlugin, AbortDuringCallbackForwardsNothingMoreAndEndsAfterTheNextPush) {
    auto& script = scripted::Current();
    script.chunks.assign(10, AsBytes("chunk"));
    this->Load();
    std::promise<void> in_push, release;
    std::shared_future<void> released = release.get_future().share();
    script.on_push = [&](int push) {
        if (push != 3) return;
        in_push.set_value();
        released.wait();  // the chunk of this push is written once AbortDemux has returned
    };
    Receiver receiver;
    std::thread extraction([&] { EXPECT_EQ(DemuxStreamCallBack(0, &Receive, &receiver), 0); });
    in_push.get_future().wait();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AbortDemux(0), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    release.set_value();
    extraction.join();
    EXPECT_EQ(receiver.chunks.size(), 3u) << "the chunk written after the abort is not forwarded";
    EXPECT_EQ(script.pushes, 4) << "the extraction ends after the push under way";
    EXPECT_TRUE(this->Reopened());
    EXPECT_TRUE(this->lines_.Lines().empty());
    // The next extraction runs to its end again.
    script.on_push = nullptr;
    EXPECT_EQ(this->ToHost(0).chunks.size(), 10u);
}

// Its second send waits until released.
struct BlockingReceiver {
    std::promise<void> in_send;
    std::shared_future<void> released;
    std::atomic<int> sends{0};
    std::atomic<bool> returned{false};

    static std::int32_t TAMBERLY_STDCALL Send(void* owner, const void* /*data*/, std::int32_t /*size*/) {
        auto& r = *static_cast<BlockingReceiver*>(owner);
        if (r.sends++ == 1) {
            r.in_send.set_value();
            r.released.wait();
            r.returned = true;
        }
        return 0;
    }
};

// A send under way when the abort is asked for has returned by the time
// AbortDemux does, unless it outlasts the time the host allows.
TYPED_TEST_P(ScriptedPlugin, AbortWaitsForTheSendUnderWayWithinItsTimeOut) {
    auto& script = scripted::Current();
    script.chunks.assign(4, AsBytes("chunk"));
    this->Load();
    for (const bool released_in_time : {true, false}) {
        std::promise<void> release;
        BlockingReceiver receiver{{}, release.get_future().share()};
        std::thread extraction([&] { EXPECT_EQ(DemuxStreamCallBack(0, &BlockingReceiver::Send, &receiver), 0); });
        receiver.in_send.get_future().wait();
        std::thread releaser;
        if (released_in_time) {
            releaser = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(700));  // past the abort's half second
                release.set_value();
            });
        }
        const std::int32_t result = AbortDemux(released_in_time ? 5000 : 50);
        EXPECT_EQ(result, released_in_time ? 0 : -1);
        EXPECT_EQ(receiver.returned.load(), released_in_time);
        if (!released_in_time) release.set_value();
        if (releaser.joinable()) releaser.join();
        extraction.join();
        EXPECT_EQ(receiver.sends.load(), 2) << "nothing is sent once the abort has begun";
    }
}

TYPED_TEST_P(ScriptedPlugin, AbortDuringFileExtractionKeepsWhatWasWritten) {
    auto& script = scripted::Current();
    script.chunks.assign(10, AsBytes("chunk"));
    this->Load();
    script.on_push = [](int push) {
        if (push == 2) AbortDemux(0);
    };
    EXPECT_EQ(this->ToFile(0), AsBytes("chunkchunkchunk"));
    EXPECT_EQ(script.pushes, 3);
    EXPECT_TRUE(this->Reopened());
}

// The calls of the last extraction up to its close.
inline std::vector<std::string> StepsBeforeClose() {
    const auto& calls = scripted::Current().calls;
    return {calls.begin(), std::find(calls.begin(), calls.end(), "free_parser")};
}

// An abort arriving during any step of an extraction to the host lets that
// step finish and stops the extraction right after it; the chunk of an
// aborted push never reaches the host, and the next extraction is whole.
TYPED_TEST_P(ScriptedPlugin, AbortAtEveryStepStopsThatExtractionOnly) {
    auto& script = scripted::Current();
    this->Load();
    script.calls.clear();
    ASSERT_EQ(this->ToHost(1).Joined(), AsBytes("first second third"));
    const std::vector<std::string> steps = StepsBeforeClose();
    ASSERT_GE(steps.size(), 6u) << "parser, stream, seek and four pushes";
    for (std::size_t step = 0; step < steps.size(); ++step) {
        SCOPED_TRACE("abort during " + steps[step] + " #" + std::to_string(step));
        script.calls.clear();
        std::size_t calls_seen = 0;
        script.on_call = [&](const std::string&) {
            if (calls_seen++ == step) {
                EXPECT_EQ(AbortDemux(0), 0);
            }
        };
        const Receiver receiver = this->ToHost(1);
        script.on_call = nullptr;
        const std::vector<std::string> done = StepsBeforeClose();
        EXPECT_EQ(done, std::vector<std::string>(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(step) + 1));
        const auto pushes_before = std::count(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(step), "push");
        EXPECT_EQ(receiver.chunks.size(), static_cast<std::size_t>(std::min<std::ptrdiff_t>(pushes_before, 3)));
        EXPECT_TRUE(this->Reopened());
        EXPECT_EQ(this->ToHost(1).Joined(), AsBytes("first second third"));
    }
}

TYPED_TEST_P(ScriptedPlugin, PathOf259BytesLoadsAndOf260BytesIsRefused) {
    const std::string folder = this->dir_.Path().string() + "/";
    const std::string longest = folder + std::string(259 - folder.size(), 'a');
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_EQ(LoadFile(longest.c_str()), 0);
    EXPECT_EQ(scripted::Current().opened_path, longest);
    EXPECT_EQ(this->ToFile(1), AsBytes("first second third"));
    EXPECT_EQ(scripted::Current().opened_path, longest) << "re-opened with the whole path";
    EXPECT_EQ(UnloadFile(), 0);
    scripted::Current() = {};
    const std::string too_long = longest + "b";
    EXPECT_EQ(LoadFile(too_long.c_str()), -1);
    EXPECT_EQ(LoadFile(nullptr), -1);
    EXPECT_TRUE(scripted::Current().calls.empty()) << "the core never sees a path that does not fit";
    EXPECT_EQ(this->Count(), 0);
    EXPECT_TRUE(this->lines_.Contains("Error in LoadFile - invalid file name.\n"));
}

TYPED_TEST_P(ScriptedPlugin, FailuresToOpenAreReportedAndLeaveNothingOpen) {
    auto& script = scripted::Current();
    script.create_fails = true;
    EXPECT_EQ(LoadFile(this->Source().c_str()), -1);
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kCreateFailed}));
    this->lines_.Clear();
    script.create_fails = false;
    script.opens_allowed = 0;
    EXPECT_EQ(LoadFile(this->Source().c_str()), -1);
    EXPECT_TRUE(this->lines_.Lines().empty());
    EXPECT_EQ(script.live_instances, 0);
    script.opens_allowed = INT_MAX;
    script.file_info_fails = true;
    EXPECT_EQ(LoadFile(this->Source().c_str()), -1);
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kFileInfoFailed, TypeParam::kEnumFailed}));
    EXPECT_EQ(script.live_instances, 0);
}

TYPED_TEST_P(ScriptedPlugin, FailedReopenLeavesNoConnection) {
    scripted::Current().opens_allowed = 1;
    this->Load();
    EXPECT_EQ(this->ToFile(1), AsBytes("first second third"));
    EXPECT_EQ(scripted::Current().live_instances, 0);
    EXPECT_EQ(this->Count(), 0) << "the re-opening starts the list afresh";
    this->lines_.Clear();
    std::filesystem::remove(this->Output());
    EXPECT_TRUE(this->ToFile(0, -1).empty());
    EXPECT_TRUE(this->ToHost(0, -1).chunks.empty());
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kToFile.no_demuxer, TypeParam::kCallback.no_demuxer}));
}

TYPED_TEST_P(ScriptedPlugin, MediaTypeQueriesNeedAConnectionAndAValidIndex) {
    this->Load();
    std::int32_t status = 0;
    this->EntryAt(3, &status);
    EXPECT_EQ(status, -1);
    this->EntryAt(-1, &status);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(GetStreamMediaType(0, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(GetStreamsCount(nullptr), 0);
    EXPECT_EQ(UnloadFile(), 0);
    this->lines_.Clear();
    using Entry = typename TestFixture::Entry;
    EXPECT_EQ(this->EntryAt(1, &status), (Entry{0, 1, -1})) << "indices stored, type untouched";
    EXPECT_EQ(status, -1);
    EXPECT_EQ(this->lines_.Lines(), (Lines{TypeParam::kNoDemuxerInfo, TypeParam::kMediaTypeFailed}));
    EXPECT_EQ(this->Count(), 3) << "the list stays until the next LoadFile";
}

TYPED_TEST_P(ScriptedPlugin, LoadingAgainLetsTheFirstConnectionGo) {
    this->Load();
    this->Load();
    EXPECT_EQ(scripted::Current().instances_created, 2);
    EXPECT_EQ(scripted::Current().live_instances, 1);
    EXPECT_EQ(UnloadFile(), 0);
    EXPECT_EQ(scripted::Current().live_instances, 0);
    EXPECT_EQ(UnloadFile(), 0);
}

REGISTER_TYPED_TEST_SUITE_P(ScriptedPlugin, LoadFileListsEveryStreamWithItsType,
                            ExtractionToFileWritesEveryChunkAndReopens, ExtractionToHostForwardsEveryChunkInOrder,
                            TwoExtractionsInARowBothSucceed, IndexEqualToTheCountWritesWrongIndexAndReopens,
                            FailingPushWritesWriteErrorAndKeepsWhatWasWritten, FailingSeekLeavesAnEmptyOutput,
                            FailingStreamChoiceAndParserHaveTheirLines, OutputThatCannotBeCreatedEndsTheExtraction,
                            OutputThatCannotBeWrittenFailsTheExtraction, OutputThatCannotBeFinishedFailsTheExtraction,
                            AbortDuringCallbackForwardsNothingMoreAndEndsAfterTheNextPush,
                            AbortWaitsForTheSendUnderWayWithinItsTimeOut, AbortDuringFileExtractionKeepsWhatWasWritten,
                            AbortAtEveryStepStopsThatExtractionOnly,
                            PathOf259BytesLoadsAndOf260BytesIsRefused,
                            FailuresToOpenAreReportedAndLeaveNothingOpen, FailedReopenLeavesNoConnection,
                            MediaTypeQueriesNeedAConnectionAndAValidIndex, LoadingAgainLetsTheFirstConnectionGo);

}  // namespace ql_demux_test
