// File > Recent Files: the list's order and limit, the menu, and the list
// kept in the settings from one run to the next.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/viewer/ui/form_fixture.h"
#include "viewer/shell/RecentFiles.h"
#include "viewer/ui/TamberlyForm.h"

namespace {

using Names = std::vector<std::string>;

TEST(RecentFilesList, MovesTheNameToTheFrontOnceAndKeepsTen) {
    const struct {
        Names before;
        std::string added;
        Names after;
    } cases[] = {
        {{}, "a", {"a"}},
        {{"a", "b", "c"}, "c", {"c", "a", "b"}},
        {{"a", "b"}, "a", {"a", "b"}},
        {{"a", "", "b"}, "", {"a", "b"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "11", {"11", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, "10", {"10", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
    };
    for (const auto& c : cases) EXPECT_EQ(WithRecentFile(c.before, c.added), c.after) << c.added;
}

class RecentFilesMenu : public formtest::FormTest {
protected:
    [[nodiscard]] QStringList MenuTexts() const {
        QStringList texts;
        for (const QAction* action : form->findChild<QMenu*>(QStringLiteral("RecentFilesMenu"))->actions())
            texts << action->text();
        return texts;
    }
};

TEST_F(RecentFilesMenu, ListsOpenedFilesNewestFirstAndKeepsThemInTheSettings) {
    const QString first = CopyFixture("tone_l2_44k_128k.mp2", "first.mp2");
    const QString second = CopyFixture("tone_l3_44k_128k.mp3", "second & more.mp3");
    ShowForm(first);
    ProcessEvents();
    ASSERT_TRUE(form->LoadFile(second, false));
    ASSERT_TRUE(form->LoadFile(first, false));
    EXPECT_EQ(form->RecentFiles(), (QStringList{first, second}));
    EXPECT_EQ(MenuTexts(), (QStringList{QStringLiteral("&1 ") + first,
                                        QStringLiteral("&2 ") + QString(second).replace(QStringLiteral("&"),
                                                                                          QStringLiteral("&&"))}));

    // An entry opens its file.
    form->findChild<QMenu*>(QStringLiteral("RecentFilesMenu"))->actions()[1]->trigger();
    ProcessEvents();
    EXPECT_EQ(QString::fromStdString(form->Navigator().FileName()), second);
    EXPECT_EQ(form->RecentFiles().front(), second);

    // Kept through a close and read by the next window.
    form->close();
    form.reset();
    ShowForm();
    EXPECT_EQ(form->RecentFiles(), (QStringList{second, first}));
}

}  // namespace
