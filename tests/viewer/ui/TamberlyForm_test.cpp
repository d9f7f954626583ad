// The main window's layout, menus, list and navigation as a user drives them.

#include "viewer/ui/TamberlyForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/viewer/ui/form_fixture.h"
#include "viewer/model/FrameDetail.h"
#include "viewer/ui/FrameListView.h"

namespace {

using formtest::HexOffset;
using formtest::kSample;
using formtest::ReferenceFrames;

constexpr const char* kSampleFrames = "tone_l2_44k_128k.ffprobe.csv";

struct MenuItem {
    std::string text;
    std::string shortcut;
};

std::vector<MenuItem> ItemsOf(const QMenu* menu) {
    std::vector<MenuItem> items;
    for (const QAction* action : menu->actions())
        items.push_back({action->isSeparator() ? "-" : action->text().toStdString(),
                         action->shortcut().toString(QKeySequence::PortableText).toStdString()});
    return items;
}

class TamberlyFormTest : public formtest::FormTest {
protected:
    void LoadSample() {
        ShowForm();
        sample = CopyFixture(kSample);
        ASSERT_TRUE(form->LoadFile(sample, false));
        reference = ReferenceFrames(kSampleFrames);
        ASSERT_GT(reference.size(), 100u);
    }
    std::vector<std::string> ReferenceOffsets(std::size_t first, std::size_t count) const {
        std::vector<std::string> offsets;
        for (std::size_t i = first; i < first + count; ++i) offsets.push_back(HexOffset(reference[i].offset));
        return offsets;
    }
    // The reference frame whose header starts at an offset.
    std::size_t ReferenceIndexOf(const std::string& offsetText) const {
        for (std::size_t i = 0; i < reference.size(); ++i)
            if (HexOffset(reference[i].offset) == offsetText) return i;
        ADD_FAILURE() << "no reference frame at " << offsetText;
        return 0;
    }
    [[nodiscard]] int Rows() const { return List()->model()->rowCount(); }
    [[nodiscard]] QString PaddingLine(int padding) const {
        return QStringLiteral("padding_bit").leftJustified(20) + QStringLiteral(" : %1 (1 bit)").arg(padding);
    }

    QString sample;
    std::vector<formtest::ReferenceFrame> reference;
};

// ---------------------------------------------------------------- layout and menus

TEST_F(TamberlyFormTest, OpensWithDesignLayout) {
    ShowForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly"));
    EXPECT_EQ(form->centralWidget()->size(), QSize(1124, 486));
    EXPECT_EQ(form->geometry().topLeft(), QPoint(111, 77));
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("ListPanel"))->width(), 700);
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("HexPanel"))->height(), 210);
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Hex View"));
    EXPECT_TRUE(HexText()->isReadOnly());
    EXPECT_EQ(HexText()->lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_EQ(Tree()->width() + 700 + form->findChild<QWidget*>(QStringLiteral("ListTreeSplitter"))
                                         ->property("handleWidth").toInt(),
              1124);
}

TEST_F(TamberlyFormTest, FrameListHasSevenColumnsGridAndRowSelection) {
    ShowForm();
    const QHeaderView* header = List()->horizontalHeader();
    const std::vector<std::pair<QString, int>> expected{{"Offset", 120}, {"Length", 70}, {"Frame Time", 70},
                                                        {"Layer", 50},   {"Sampling Rate", 90}, {"Bitrate", 100},
                                                        {"Mode", 80}};
    ASSERT_EQ(List()->model()->columnCount(), 7);
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(List()->model()->headerData(column, Qt::Horizontal).toString(), expected[column].first);
        EXPECT_EQ(header->sectionSize(column), expected[column].second) << column;
    }
    EXPECT_TRUE(List()->showGrid());
    EXPECT_EQ(List()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(List()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(List()->editTriggers(), QAbstractItemView::NoEditTriggers);
    const QPalette colours = List()->palette();
    EXPECT_EQ(colours.color(QPalette::Inactive, QPalette::Highlight),
              colours.color(QPalette::Active, QPalette::Highlight));
    // The offset text fits its design width.
    const int margins = 2 * (List()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, List()) + 1);
    EXPECT_LE(List()->fontMetrics().horizontalAdvance(QStringLiteral("0x0000000000000000")) + margins, 120);

    EXPECT_EQ(ListScrollBar()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(ListScrollBar()->singleStep(), 1);
    EXPECT_EQ(ListScrollBar()->pageStep(), 10);
    EXPECT_EQ(ListScrollBar()->orientation(), Qt::Vertical);
}

TEST_F(TamberlyFormTest, MainMenuItemsAndShortcuts) {
    ShowForm();
    const QList<QAction*> menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("Tools"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("Help"));
    const auto file = ItemsOf(menus[0]->menu());
    ASSERT_EQ(file.size(), 5u);
    EXPECT_EQ(file[0].text, "&Open");
    EXPECT_EQ(file[0].shortcut, "Ctrl+O");
    EXPECT_EQ(file[1].text, "&Close");
    EXPECT_EQ(file[1].shortcut, "");
    EXPECT_EQ(file[2].text, "Save Repaired Copy\u2026");
    EXPECT_EQ(file[2].shortcut, "");
    EXPECT_EQ(file[3].text, "&Recent Files");
    EXPECT_EQ(file[4].text, "E&xit");
    EXPECT_EQ(file[4].shortcut, "Ctrl+Q");
    const auto edit = ItemsOf(menus[1]->menu());
    ASSERT_EQ(edit.size(), 1u);
    EXPECT_EQ(edit[0].text, "Go To…");
    EXPECT_EQ(edit[0].shortcut, "Ctrl+G");
    const auto tools = ItemsOf(menus[2]->menu());
    ASSERT_EQ(tools.size(), 2u);
    EXPECT_EQ(tools[0].text, "Hex Edit Selected Frame");
    EXPECT_EQ(tools[1].text, "Validation");
    const auto help = ItemsOf(menus[3]->menu());
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].text, "Check For Updates");
    EXPECT_EQ(help[1].text, "About");
    EXPECT_TRUE(menus[3]->menu()->actions()[0]->isChecked());
}

TEST_F(TamberlyFormTest, ContextMenusOfListAndTree) {
    ShowForm();
    EXPECT_EQ(List()->contextMenuPolicy(), Qt::ActionsContextMenu);
    std::vector<std::string> listItems;
    for (const QAction* action : List()->actions())
        listItems.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    EXPECT_THAT(listItems, ::testing::ElementsAre("Hex Edit Selected Frame", "-", "Copy"));
    EXPECT_EQ(Tree()->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(Tree()->actions().size(), 3);
    EXPECT_EQ(Tree()->actions()[0]->text(), QStringLiteral("Copy"));
    EXPECT_TRUE(Tree()->actions()[1]->isSeparator());
    EXPECT_EQ(Tree()->actions()[2]->text(), QStringLiteral("Show audio data in the frame tree"));
    EXPECT_TRUE(Tree()->actions()[2]->isChecked());
}

TEST_F(TamberlyFormTest, CheckForUpdatesTogglesOptionAndMark) {
    ShowForm();
    QAction* item = form->menuBar()->actions()[3]->menu()->actions()[0];
    ASSERT_TRUE(form->CheckForUpdates());
    item->trigger();
    EXPECT_FALSE(form->CheckForUpdates());
    EXPECT_FALSE(item->isChecked());
    form->CheckForUpdates1Click();
    EXPECT_TRUE(form->CheckForUpdates());
    EXPECT_TRUE(item->isChecked());
}

// ---------------------------------------------------------------- loading

TEST_F(TamberlyFormTest, LoadShowsFirstPageSelectsFirstFrameAndShowsFileInHexView) {
    LoadSample();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly(") + sample + QStringLiteral(")"));
    const int rows = List()->VisibleRows();
    ASSERT_GT(rows, 5);
    EXPECT_EQ(form->Navigator().RowsCount(), rows);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(0, static_cast<std::size_t>(rows)));
    for (int row = 0; row < rows; ++row)
        EXPECT_EQ(List()->model()->index(row, 1).data().toString().toInt(), reference[row].size) << row;

    EXPECT_EQ(List()->SelectedRow(), 0);
    EXPECT_TRUE(List()->hasFocus());
    EXPECT_TRUE(TreeText().startsWith(QStringLiteral("frame()\r\nheader()\r\nsyncword")));
    EXPECT_TRUE(TreeText().contains(PaddingLine(reference[0].size == 418 ? 1 : 0)));
    EXPECT_TRUE(HexText()->toPlainText().startsWith(QStringLiteral("0x0000000000000000   ")));
    EXPECT_EQ(ListScrollBar()->maximum(), static_cast<int>(std::filesystem::file_size(sample.toStdString()) / 100 - 1));
    EXPECT_EQ(ListScrollBar()->value(), 0);
    ASSERT_NE(form->HexView(), nullptr);
}

TEST_F(TamberlyFormTest, CloseItemUnloadsEverything) {
    LoadSample();
    form->menuBar()->actions()[0]->menu()->actions()[1]->trigger();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tamberly"));
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Tree()->topLevelItemCount(), 0);
    EXPECT_TRUE(HexText()->toPlainText().isEmpty());
    EXPECT_FALSE(form->Navigator().IsFileOpen());
}

TEST_F(TamberlyFormTest, RowsAreShadedByParityThatUpOnFirstRowFlips) {
    LoadSample();
    const QColor grey = QColor::fromRgb(0xF0F0F0);
    const auto shade = [&](int row) { return List()->model()->index(row, 3).data(Qt::BackgroundRole); };
    EXPECT_EQ(shade(0).value<QColor>(), grey);
    EXPECT_FALSE(shade(1).isValid());
    EXPECT_EQ(shade(2).value<QColor>(), grey);

    formtest::TypeKey(List(), Qt::Key_Up);  // row 0 of the first page: the same page again
    EXPECT_EQ(ListedOffsets()[0], HexOffset(0));
    EXPECT_FALSE(shade(0).isValid());
    EXPECT_EQ(shade(1).value<QColor>(), grey);
}

// ---------------------------------------------------------------- keys, mouse, wheel

TEST_F(TamberlyFormTest, DownOnLastRowMovesPageAndShowsNewLastFrame) {
    LoadSample();
    const int rows = Rows();
    for (int i = 0; i < rows - 1; ++i) formtest::TypeKey(List(), Qt::Key_Down);  // the list's own moves
    ASSERT_EQ(List()->SelectedRow(), rows - 1);
    EXPECT_EQ(ListedOffsets()[0], HexOffset(0));

    formtest::TypeKey(List(), Qt::Key_Down);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(1, static_cast<std::size_t>(rows)));
    EXPECT_EQ(List()->SelectedRow(), rows - 1);
    const auto& shown = reference[static_cast<std::size_t>(rows)];
    EXPECT_TRUE(TreeText().contains(PaddingLine(shown.size == 418 ? 1 : 0)));
    EXPECT_TRUE(HexText()->toPlainText().startsWith(QString::fromStdString(HexOffset(shown.offset & ~15)) + "   "));
    EXPECT_EQ(ListScrollBar()->value(), reference[1].offset / 100);
}

TEST_F(TamberlyFormTest, HomeEndAndPageKeysMoveThePage) {
    LoadSample();
    const auto rows = static_cast<std::size_t>(Rows());
    formtest::TypeKey(List(), Qt::Key_PageDown);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(rows, rows));
    EXPECT_EQ(List()->SelectedRow(), static_cast<int>(rows) - 1);

    formtest::TypeKey(List(), Qt::Key_End);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(reference.size() - rows, rows - 1));
    EXPECT_EQ(ListScrollBar()->value(), reference[reference.size() - rows].offset / 100);
    EXPECT_EQ(List()->SelectedRow(), static_cast<int>(rows) - 2);
    EXPECT_TRUE(QApplication::overrideCursor() == nullptr);

    formtest::TypeKey(List(), Qt::Key_Home);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(0, rows));
    EXPECT_EQ(List()->SelectedRow(), 0);
    EXPECT_EQ(ListScrollBar()->value(), 0);
    EXPECT_TRUE(TreeText().contains(PaddingLine(reference[0].size == 418 ? 1 : 0)));
}

TEST_F(TamberlyFormTest, MouseDownOnRowShowsItsFrame) {
    LoadSample();
    const QRect row4 = List()->visualRect(List()->model()->index(4, 2));
    formtest::ClickAt(List()->viewport(), row4.center());
    EXPECT_EQ(List()->SelectedRow(), 4);
    EXPECT_TRUE(TreeText().contains(PaddingLine(reference[4].size == 418 ? 1 : 0)));
    EXPECT_TRUE(HexText()->toPlainText().startsWith(QString::fromStdString(HexOffset(reference[4].offset & ~15))));
}

TEST_F(TamberlyFormTest, WheelBecomesNavigationKeysOfFocusedControl) {
    LoadSample();
    ASSERT_EQ(QApplication::focusWidget(), List());
    formtest::TurnWheel(List()->viewport(), -120, false);  // Down: the list moves its selection
    EXPECT_EQ(List()->SelectedRow(), 1);
    formtest::TurnWheel(HexText()->viewport(), 120, false);  // Up goes to the focused list, wherever the mouse is
    EXPECT_EQ(List()->SelectedRow(), 0);
    EXPECT_EQ(ListedOffsets()[0], HexOffset(0));

    const auto rows = static_cast<std::size_t>(Rows());
    formtest::TurnWheel(List()->viewport(), -120, true);  // Page Down
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(rows, rows));
    formtest::TurnWheel(List()->viewport(), 120, true);  // Page Up
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(0, rows));

    Tree()->setFocus();
    formtest::TurnWheel(List()->viewport(), -120, true);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(0, rows));
}

// ---------------------------------------------------------------- scroll bar and resize

TEST_F(TamberlyFormTest, ScrollBarArrowsAndPageAreasMoveThePage) {
    LoadSample();
    const auto rows = static_cast<std::size_t>(Rows());
    formtest::ClickScrollBarPart(ListScrollBar(), QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(1, rows));
    EXPECT_EQ(List()->SelectedRow(), -1);
    EXPECT_EQ(ListScrollBar()->value(), reference[1].offset / 100);

    formtest::ClickScrollBarPart(ListScrollBar(), QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(1 + rows, rows));

    formtest::ClickScrollBarPart(ListScrollBar(), QStyle::SC_ScrollBarSubLine);
    EXPECT_EQ(ListedOffsets(), ReferenceOffsets(rows, rows));
    EXPECT_EQ(form->Actions().CurrentPosition(), 0);
}

TEST_F(TamberlyFormTest, ScrollBarThumbJumpAndResizeReturnToJumpPosition) {
    LoadSample();
    ListScrollBar()->setValue(150);  // dragged to byte 15000, then let go
    formtest::ClickScrollBarPart(ListScrollBar(), QStyle::SC_ScrollBarSlider);
    const int value = ListScrollBar()->value();
    const std::size_t first = ReferenceIndexOf(ListedOffsets()[0]);
    EXPECT_GE(reference[first].offset, std::int64_t{value} * 100);
    EXPECT_LT(reference[first - 1].offset, std::int64_t{value} * 100);
    EXPECT_EQ(form->Actions().CurrentPosition(), reference[first].offset);

    formtest::TypeKey(List(), Qt::Key_End);
    const int rowsBefore = Rows();
    form->resize(form->width(), form->height() + 100);
    EXPECT_GT(form->Navigator().RowsCount(), rowsBefore);
    EXPECT_EQ(ListedOffsets()[0], HexOffset(reference[first].offset));
    EXPECT_EQ(Rows(), List()->VisibleRows());
}

// ---------------------------------------------------------------- copy

TEST_F(TamberlyFormTest, CopyPutsEveryRowOfThePageOnClipboard) {
    LoadSample();
    QAction* copy = List()->actions().last();
    copy->trigger();
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), Rows() + 1);
    EXPECT_TRUE(lines.last().isEmpty());
    for (int row = 0; row < Rows(); ++row) {
        const QString expectedStart = QString::fromStdString(HexOffset(reference[row].offset)) +
                                      QStringLiteral(", %1, 26 ms, Layer II, 44100 Hz, 128 kbps, ").arg(reference[row].size);
        EXPECT_TRUE(lines[row].startsWith(expectedStart)) << lines[row].toStdString();
        EXPECT_TRUE(lines[row].endsWith(QStringLiteral(", "))) << lines[row].toStdString();
        EXPECT_EQ(lines[row].count(QStringLiteral(", ")), 7);
    }

    Tree()->actions().first()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), TreeText());
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("frame()\r\nheader()\r\n")));
}

// ---------------------------------------------------------------- frame anatomy

TEST_F(TamberlyFormTest, AudioDataSettingSwitchesBetweenTheDeepTreeAndTodaysTree) {
    LoadSample();
    ASSERT_TRUE(form->ShowAudioData());
    EXPECT_TRUE(TreeText().contains(QStringLiteral("sblimit").leftJustified(20) + QStringLiteral(" : 27\r\n")));

    QAction* item = Tree()->actions().last();
    ASSERT_EQ(item->text(), QStringLiteral("Show audio data in the frame tree"));
    item->trigger();
    EXPECT_FALSE(form->ShowAudioData());
    EXPECT_FALSE(item->isChecked());
    TFrameNavigator navigator;
    ASSERT_TRUE(navigator.OpenFile(sample.toStdString()));
    TMPAFrame frame{};
    ASSERT_TRUE(navigator.ReadFrameAt(0, frame));
    EXPECT_EQ(TreeText().toStdString(), FrameDetailCopyText(BuildFrameDetailNodes(frame)));
}

// Choosing allocation[0][0] (bits 32-35 of the first frame) paints byte 4 in
// the field colour and byte 5 in the frame's.
TEST_F(TamberlyFormTest, ChoosingAFieldPaintsItsBytesInTheFieldColour) {
    LoadSample();
    form->UpdatePack(0);
    const auto items = Tree()->findItems(QStringLiteral("allocation[0][0]"), Qt::MatchStartsWith | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1);
    Tree()->setCurrentItem(items.first());
    const auto background = [&](int column) {
        QTextCursor cursor(HexText()->document()->findBlockByNumber(0));
        cursor.setPosition(cursor.block().position() + column + 1);
        return cursor.charFormat().background().color();
    };
    EXPECT_EQ(background(21 + 3 * 4), QColor(0, 96, 192));
    EXPECT_EQ(background(21 + 3 * 5), QColor(255, 255, 160));
}

}  // namespace
