// Opening containers in the main window with the real MPEG-2 plugin: the
// dialog appears, the chosen MPEG audio stream is extracted and opened, and
// its frames are those of the elementary stream the container was made of.

#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/viewer/ui/form_fixture.h"
#include "viewer/ui/QlDemuxStreamForm.h"

namespace {

using ::testing::IsEmpty;

const QString kQuestion = QStringLiteral("This is not a valid MPEG audio stream.\r\nDo you want to open it anyway?");

class ContainerOpening : public formtest::FormTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(testsupport::BinPath("demo_ql_demux_mp2.so")) ||
            !std::filesystem::exists(testsupport::BinPath("demo_demux_mp2.so")))
            GTEST_SKIP() << "the MPEG-2 demultiplexer plugin (demo_ql_demux_mp2.so) is not built yet";
        saveFolder = dir.Path().string() + "/";
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvanne Media Solutions"),
                  QStringLiteral("tamberly"))
            .setValue("DemuxFolder", QString::fromStdString(saveFolder));
        ShowForm();
        form->UseDemultiplexerPlugins();
    }

    std::string saveFolder;
};

TEST_F(ContainerOpening, ExtractedAudioOpensWithTheFramesOfTheOriginal) {
    {
        const char* container = "tone_l2.ts";
        const QString name = CopyFixture(container);
        QStringList types;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<TQlDemuxStreamForm*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            watcher.stop();
            auto* list = dialog->findChild<QTableWidget*>(QStringLiteral("ListViewStreamInfo"));
            for (int row = 0; row < list->rowCount(); ++row) {
                types << list->item(row, 2)->text();
                if (types.last() == QStringLiteral("MPEG audio")) list->selectRow(row);
            }
            dialog->findChild<QPushButton*>(QStringLiteral("btnDemuxAndLoad"))->click();
        });
        watcher.start(10);
        ASSERT_TRUE(form->OpenFileInteractive(name, kQuestion));
        EXPECT_TRUE(types.contains(QStringLiteral("MPEG audio"))) << types.join(QStringLiteral(", ")).toStdString();
        const std::string base = std::filesystem::path(container).stem().string();
        const std::string extracted = saveFolder + base + "_0000.mpa";
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly(") + QString::fromStdString(extracted) + ")");
        EXPECT_EQ(form->SaveFolder(), QString::fromStdString(saveFolder));
        EXPECT_THAT(asker.questions, IsEmpty());

        const auto reference = formtest::ReferenceFrames("tone_l2_44k_128k.ffprobe.csv");
        const auto listed = ListedOffsets();
        ASSERT_FALSE(listed.empty());
        ASSERT_LE(listed.size(), reference.size());
        for (std::size_t i = 0; i < listed.size(); ++i)
            EXPECT_EQ(listed[i], formtest::HexOffset(reference[i].offset)) << "row " << i;
        EXPECT_TRUE(testsupport::ReadFileBytes(extracted) ==
                    testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2")));
    }
}

TEST_F(ContainerOpening, CancelledDialogAsksNothingAndElementaryStreamsStayAccepted) {
    const QString ts = CopyFixture("tone_l2.ts");
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TQlDemuxStreamForm*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        watcher.stop();
        dialog->reject();
    });
    watcher.start(10);
    EXPECT_FALSE(form->OpenFileInteractive(ts, kQuestion));
    EXPECT_THAT(asker.questions, IsEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly"));
    // With the plugin present the acceptance test asks it too; an MPEG audio
    // stream is still shown directly.
    EXPECT_TRUE(form->LoadFile(CopyFixture("tone_l2_44k_128k.mp2"), false));
}

}  // namespace
