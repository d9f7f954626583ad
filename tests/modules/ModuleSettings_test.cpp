// The module's settings dialog, driven through ShowSettings on the offscreen
// platform: the choice made there is what the next run reports.

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <memory>

#include "modules/mpeg_audio_validator/CheckerSwitches.h"
#include "platform/utf16_text.h"
#include "tests/modules/module_test_support.h"
#include "tests/support/hostile_stream.h"
#include "tests/support/temp_dir.h"

namespace moduletest {
namespace {

using validation::kOk;

// Once the dialog is up: lets `change` work on it, then presses the button.
void AnswerDialog(QDialogButtonBox::StandardButton button, std::function<void(QDialog&)> change,
                  QDialog** seen = nullptr) {
    QTimer::singleShot(0, [button, change = std::move(change), seen] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (seen != nullptr) *seen = dialog;
        change(*dialog);
        dialog->findChild<QDialogButtonBox*>()->button(button)->click();
    });
}

// A new module object that reports into sink; null on failure.
validation::IQuillonControl* CreateReportingTo(const LoadedModule& module, RecordingReport& sink) {
    validation::IQuillonControl* control = module.Create();
    validation::IQuillonReportSet* reportSet = nullptr;
    if (control == nullptr ||
        control->QueryInterface(validation::IID_IQuillonReportSet, reinterpret_cast<void**>(&reportSet)) != kOk)
        return nullptr;
    const bool set = reportSet->SetQuillonReport(&sink) == kOk;
    reportSet->Release();
    return set ? control : nullptr;
}

TEST(ModuleSettings, TheChoiceMadeWithOkIsUsedByTheNextRunAndCancelKeepsIt) {
    LoadedModule module;
    ASSERT_TRUE(module.Loaded());
    RecordingReport sink;
    validation::IQuillonControl* control = CreateReportingTo(module, sink);
    ASSERT_NE(control, nullptr);

    QDialog* first = nullptr;
    int boxes = 0;
    AnswerDialog(
        QDialogButtonBox::Ok,
        [&boxes](QDialog& dialog) {
            boxes = static_cast<int>(dialog.findChildren<QCheckBox*>().size());
            for (const char* name : {"junk", "padding"}) {
                auto* box = dialog.findChild<QCheckBox*>(name);
                ASSERT_NE(box, nullptr) << name;
                EXPECT_TRUE(box->isChecked());
                box->setChecked(false);
            }
            EXPECT_EQ(dialog.findChild<QCheckBox*>("bitrate")->text(), "Bitrate changes");
            auto* crc = dialog.findChild<QCheckBox*>("crc-mismatch");
            ASSERT_NE(crc, nullptr);
            EXPECT_EQ(crc->text(), "Frame CRC mismatches");
            EXPECT_TRUE(crc->isChecked());
        },
        &first);
    EXPECT_EQ(control->ShowSettings(0), kOk);
    // One box per walker kind and one per checker kind the walker does not know.
    EXPECT_EQ(boxes, static_cast<int>(std::size(mpeg_audio_validation::kSwitchableKinds) +
                                      std::size(mpeg_audio_validation::kCheckerSwitches)));

    QDialog* second = nullptr;
    AnswerDialog(
        QDialogButtonBox::Cancel,
        [](QDialog& dialog) {
            EXPECT_FALSE(dialog.findChild<QCheckBox*>("junk")->isChecked());  // the choice is shown again
            dialog.findChild<QCheckBox*>("bitrate")->setChecked(false);
        },
        &second);
    EXPECT_EQ(control->ShowSettings(0), kOk);
    EXPECT_EQ(first, second);  // one dialog for the module's lifetime

    ASSERT_EQ(control->LoadMediaFile(platform::Utf8ToUtf16(FaultyFixture()).c_str()), kOk);
    ASSERT_EQ(control->StartFileValidation(), kOk);
    ASSERT_TRUE(WaitForCompletion(*control));
    const Items all = FaultyFixtureItems();
    EXPECT_EQ(sink.AsItems(), (Items{all[1], all[2], all.back()}));
    EXPECT_EQ(control->Release(), 0u);
    EXPECT_EQ(sink.References(), 1u);
}

// The share of each kind shown in full is a setting too: the module's items
// are those of a run with the same share.
TEST(ModuleSettings, TheItemsShownPerKindAreASetting) {
    const testsupport::TempDir dir;
    const std::string hostile = dir.Write("hostile.mp2", testsupport::AlternatingHeaderStream(64 * 1024));
    LoadedModule module;
    ASSERT_TRUE(module.Loaded());
    RecordingReport sink;
    validation::IQuillonControl* control = CreateReportingTo(module, sink);
    ASSERT_NE(control, nullptr);

    AnswerDialog(QDialogButtonBox::Ok, [](QDialog& dialog) {
        auto* kept = dialog.findChild<QSpinBox*>("keptPerKind");
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->value(), static_cast<int>(mpeg_audio_validation::kDefaultKeptPerKind));
        kept->setValue(3);
    });
    EXPECT_EQ(control->ShowSettings(0), kOk);
    ASSERT_EQ(control->LoadMediaFile(platform::Utf8ToUtf16(hostile).c_str()), kOk);
    ASSERT_EQ(control->StartFileValidation(), kOk);
    ASSERT_TRUE(WaitForCompletion(*control));
    mpeg_audio_validation::EnabledKinds threePerKind;
    threePerKind.keptPerKind = 3;
    const Items expected = Validate(hostile, threePerKind).items;
    EXPECT_LT(expected.size(), 50u);
    EXPECT_EQ(sink.AsItems(), expected);
    EXPECT_EQ(control->Release(), 0u);
}

}  // namespace
}  // namespace moduletest
