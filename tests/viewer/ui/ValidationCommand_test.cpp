// The main window's "Validation" command: the error box without a file, and
// the validation window's arguments and last-used mask with one.

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "tests/support/mpa_builder.h"
#include "tests/viewer/ui/HexEditFixture_test.h"
#include "tests/viewer/ui/form_fixture.h"

namespace {

using hexedittest::ScriptedHexEditAsker;
using Box = ScriptedHexEditAsker::Box;
using Kind = ScriptedHexEditAsker::Kind;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct ShowCall {
    QString modulesFolder;
    QString fileName;
    std::uint32_t moduleSet;
    std::uint32_t lastUsedMask;
};

class ValidationCommandTest : public formtest::FormTest {
protected:
    void ShowFormWithValidation() {
        ShowForm();
        form->SetHexEditAsker(&hexAsker);
        form->SetValidationWindowShower([this](const QString& folder, const QString& file, std::uint32_t set,
                                               std::uint32_t& mask) {
            calls.push_back({folder, file, set, mask});
            mask = 0x40000;
            return true;
        });
    }
    QAction* ValidationItem() const {
        for (QAction* menu : form->menuBar()->actions())
            if (menu->text() == QStringLiteral("Tools")) return menu->menu()->actions().value(1);
        return nullptr;
    }

    ScriptedHexEditAsker hexAsker;
    std::vector<ShowCall> calls;
};

TEST_F(ValidationCommandTest, WithoutAFileTheUserIsTold) {
    ShowFormWithValidation();
    QAction* item = ValidationItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("Validation"));
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_THAT(hexAsker.boxes, ElementsAre(Box{Kind::Error, QStringLiteral("There is no file loaded.")}));
    EXPECT_THAT(calls, IsEmpty());
}

TEST_F(ValidationCommandTest, OpensTheWindowOverTheFileAndKeepsTheMask) {
    ShowFormWithValidation();
    testsupport::MpaStreamBuilder builder;
    builder.Frames(testsupport::MpaFrameSpec{}, 20);
    const QString path = WriteFile("stream.mp2", builder.Data());
    ASSERT_TRUE(form->LoadFile(path, false));
    ASSERT_EQ(form->LastUsedModules(), 0xFFFFFFFFu);
    ValidationItem()->trigger();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].modulesFolder.toStdString(), platform::ProgramFolder());
    EXPECT_TRUE(calls[0].modulesFolder.endsWith(QLatin1Char('/')));
    EXPECT_EQ(calls[0].fileName, path);
    EXPECT_EQ(calls[0].moduleSet, 0x40000u);
    EXPECT_EQ(calls[0].lastUsedMask, 0xFFFFFFFFu);
    EXPECT_EQ(form->LastUsedModules(), 0x40000u);
    EXPECT_THAT(hexAsker.boxes, IsEmpty());
}

TEST_F(ValidationCommandTest, ARelativeFileNameReachesTheWindowAsAFullPath) {
    ShowFormWithValidation();
    testsupport::MpaStreamBuilder builder;
    builder.Frames(testsupport::MpaFrameSpec{}, 20);
    const QString path = WriteFile("relative.mp2", builder.Data());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QFileInfo(path).absolutePath());
    const bool loaded = form->LoadFile(QStringLiteral("relative.mp2"), false);
    ValidationItem()->trigger();
    QDir::setCurrent(previous);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].fileName, QFileInfo(path).absoluteFilePath());
}

}  // namespace
