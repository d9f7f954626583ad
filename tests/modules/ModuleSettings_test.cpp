// The module's settings dialog, driven through ShowSettings on the offscreen
// platform: the choice made there is what the next run reports.

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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
#include <fstream>

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

// A module with a report sink set.
class ModuleSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.Loaded());
        control = module.Create();
        ASSERT_NE(control, nullptr);
        validation::IQuillonReportSet* reportSet = nullptr;
        ASSERT_EQ(control->QueryInterface(validation::IID_IQuillonReportSet, reinterpret_cast<void**>(&reportSet)), kOk);
        ASSERT_EQ(reportSet->SetQuillonReport(&sink), kOk);
        reportSet->Release();
    }

    LoadedModule module;
    RecordingReport sink;
    validation::IQuillonControl* control = nullptr;
};

TEST_F(ModuleSettings, TheChoiceMadeWithOkIsUsedByTheNextRunAndCancelKeepsIt) {

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

// A profile chosen in the dialog judges the next run: its verdict and a line
// per rule open the report; a profile file that cannot be read is refused
// in the dialog, which keeps the choice made before.
TEST_F(ModuleSettings, TheChosenProfileJudgesTheNextRun) {

    AnswerDialog(QDialogButtonBox::Ok, [](QDialog& dialog) {
        auto* choice = dialog.findChild<QComboBox*>("profile");
        ASSERT_NE(choice, nullptr);
        EXPECT_EQ(choice->currentData().toString(), "");  // none at first
        EXPECT_FALSE(dialog.findChild<QLineEdit*>("profile-file")->isEnabled());
        choice->setCurrentIndex(choice->findData(QStringLiteral("dvb")));
    });
    EXPECT_EQ(control->ShowSettings(0), kOk);

    const testsupport::TempDir dir;
    const std::string broken = dir.File("broken.profile");
    std::ofstream(broken) << "[profile]\nname = b\n[crc]\nrequired = maybe\n";
    AnswerDialog(QDialogButtonBox::Cancel, [&broken](QDialog& dialog) {
        auto* choice = dialog.findChild<QComboBox*>("profile");
        EXPECT_EQ(choice->currentData().toString(), "dvb");  // the choice is shown again
        choice->setCurrentIndex(choice->findData(QStringLiteral("file")));
        auto* file = dialog.findChild<QLineEdit*>("profile-file");
        EXPECT_TRUE(file->isEnabled());
        file->setText(QString::fromStdString(broken));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(dialog.isVisible());  // refused
        EXPECT_EQ(dialog.findChild<QLabel*>("profile-error")->text().toStdString(),
                  broken + ":4:12: expected yes or no");
    });
    EXPECT_EQ(control->ShowSettings(0), kOk);  // Cancel closes the refused dialog

    ASSERT_EQ(control->LoadMediaFile(platform::Utf8ToUtf16(FaultyFixture()).c_str()), kOk);
    ASSERT_EQ(control->StartFileValidation(), kOk);
    ASSERT_TRUE(WaitForCompletion(*control));
    const Items items = sink.AsItems();
    ASSERT_GT(items.size(), 2u);
    EXPECT_EQ(items[0].message.rfind("Profile dvb: ", 0), 0u) << items[0].message;
    EXPECT_EQ(items[1].message.rfind("Rule versions (error): ", 0), 0u) << items[1].message;
    // Then the run's own items, as a run without a profile reports them.
    const Items all = FaultyFixtureItems();
    ASSERT_GE(items.size(), all.size());
    EXPECT_EQ(Items(items.end() - static_cast<long>(all.size()), items.end()), all);
    EXPECT_EQ(control->Release(), 0u);
}

// The share of each kind shown in full is a setting too: the module's items
// are those of a run with the same share.
TEST_F(ModuleSettings, TheItemsShownPerKindAreASetting) {
    const testsupport::TempDir dir;
    const std::string hostile = dir.Write("hostile.mp2", testsupport::AlternatingHeaderStream(64 * 1024));

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
