#pragma once
// A main window per test, with its settings in a fresh folder, a scripted
// user and a folder for the test's files.

#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/viewer/ui/form_test_support.h"
#include "viewer/ui/TamberlyForm.h"

class QScrollBar;
class QTextEdit;
class QTreeWidget;
class TFrameListView;

namespace formtest {

// The stream most window tests open.
inline constexpr const char* kSample = "tone_l2_44k_128k.mp2";

struct ReferenceFrame {
    std::int64_t offset;
    int size;
};

// The frames of a fixture as an independent tool listed them
// (tests/data/<name>.ffprobe.csv).
std::vector<ReferenceFrame> ReferenceFrames(const std::string& csvName);

// "0x" and 16 upper-case digits, written out here rather than taken from the
// code under test.
std::string HexOffset(std::int64_t offset);

class FormTest : public ::testing::Test {
protected:
    FormTest();
    ~FormTest() override;

    void ShowForm(const QString& commandLineFile = {});
    // Copies a fixture into the test folder (under another name if given).
    QString CopyFixture(const std::string& fixture, const std::string& name = {}) const;
    QString WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

    [[nodiscard]] TFrameListView* List() const;
    [[nodiscard]] QScrollBar* ListScrollBar() const;
    [[nodiscard]] QTreeWidget* Tree() const;
    [[nodiscard]] QTextEdit* HexText() const;
    // The Offset texts of the rows the list shows.
    [[nodiscard]] std::vector<std::string> ListedOffsets() const;
    [[nodiscard]] QString TreeText() const;
    // Lets queued work (drops) run.
    static void ProcessEvents();

    SettingsSandbox settings;
    ScriptedAsker asker;
    testsupport::TempDir dir;
    std::unique_ptr<TTamberlyForm> form;
};

}  // namespace formtest
