#include "viewer/ui/FrameDetailTree.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QImage>
#include <QTreeWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/viewer/ui/even_advances.h"

namespace {

using testsupport::Bytes;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using ::testing::IsEmpty;

// Exposes the option the delegate prepares for each item.
class DelegateProbe : public TFrameDetailDelegate {
public:
    using TFrameDetailDelegate::initStyleOption;
    using TFrameDetailDelegate::TFrameDetailDelegate;
};

std::vector<TFrameDetailNode> NodesOf(bool crc) {
    MpaFrameSpec params;
    params.crc = crc;
    Bytes bytes = MakeHeader(params);
    bytes.insert(bytes.end(), {0x12, 0x34});
    TMPAFrame frame{};
    parse_mpa_frame(bytes.data(), bytes.size(), frame.Header);
    return BuildFrameDetailNodes(frame);
}

class FrameDetailTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetupFrameDetailTree(&tree_);
        tree_.resize(600, 500);
        tree_.show();
    }

    [[nodiscard]] QTreeWidgetItem* Root() const { return tree_.topLevelItem(0); }
    [[nodiscard]] QTreeWidgetItem* Header() const { return Root()->child(0); }
    [[nodiscard]] QTreeWidgetItem* ErrorCheck() const { return Root()->child(1); }

    QStyleOptionViewItem OptionFor(const QTreeWidgetItem* item, bool selected) const {
        DelegateProbe probe;
        QStyleOptionViewItem option;
        option.initFrom(&tree_);
        if (selected) option.state |= QStyle::State_Selected;
        probe.initStyleOption(&option, tree_.indexFromItem(item));
        return option;
    }

    QTreeWidget tree_;
};

TEST_F(FrameDetailTreeTest, SetupGivesAFixedPitchReadOnlyTree) {
    EXPECT_TRUE(EvenAdvances(tree_.font()));
    EXPECT_EQ(tree_.font().pixelSize(), 12);
    EXPECT_EQ(tree_.columnCount(), 1);
    EXPECT_TRUE(tree_.isHeaderHidden());
    EXPECT_EQ(tree_.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_NE(qobject_cast<TFrameDetailDelegate*>(tree_.itemDelegate()), nullptr);
}

TEST_F(FrameDetailTreeTest, ShowsTheNodesWithFrameAndHeaderOpen) {
    const auto nodes = NodesOf(true);
    ShowFrameDetail(&tree_, nodes);
    ASSERT_EQ(tree_.topLevelItemCount(), 1);
    EXPECT_EQ(Root()->text(0), "frame()");
    ASSERT_EQ(Root()->childCount(), 4);
    EXPECT_EQ(Header()->text(0), "header()");
    EXPECT_EQ(Header()->childCount(), 13);
    EXPECT_EQ(Header()->child(0)->text(0), "syncword             : 0x0FFF (12 bits)");
    EXPECT_EQ(ErrorCheck()->text(0), "error_check()");
    ASSERT_EQ(ErrorCheck()->childCount(), 1);
    EXPECT_EQ(ErrorCheck()->child(0)->text(0), "crc_check            : 0x1234 (16 bits)");
    EXPECT_EQ(Root()->child(2)->text(0), "audio_data()");
    EXPECT_EQ(Root()->child(3)->text(0), "ancillary_data()");
    EXPECT_EQ(Root()->child(2)->childCount() + Root()->child(3)->childCount(), 0);

    EXPECT_TRUE(Root()->isExpanded());
    EXPECT_TRUE(Header()->isExpanded());
    EXPECT_FALSE(ErrorCheck()->isExpanded());
}

TEST_F(FrameDetailTreeTest, ErrorCheckHasNoChildWithoutCrc) {
    ShowFrameDetail(&tree_, NodesOf(false));
    EXPECT_EQ(ErrorCheck()->text(0), "error_check()");
    EXPECT_EQ(ErrorCheck()->childCount(), 0);
}

TEST_F(FrameDetailTreeTest, ShowingAgainReplacesTheContent) {
    ShowFrameDetail(&tree_, NodesOf(true));
    ErrorCheck()->setExpanded(true);
    ShowFrameDetail(&tree_, NodesOf(false));
    EXPECT_EQ(tree_.topLevelItemCount(), 1);
    EXPECT_EQ(FrameDetailTreeNodes(tree_).size(), 18u);
    EXPECT_FALSE(ErrorCheck()->isExpanded());
    ShowFrameDetail(&tree_, {});
    EXPECT_EQ(tree_.topLevelItemCount(), 0);
}

TEST_F(FrameDetailTreeTest, ReadsBackWhatItShows) {
    const auto nodes = NodesOf(true);
    ShowFrameDetail(&tree_, nodes);
    const auto shown = FrameDetailTreeNodes(tree_);
    ASSERT_EQ(shown.size(), nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(shown[i].Text, nodes[i].Text);
        EXPECT_EQ(shown[i].Parent, nodes[i].Parent) << i;
        EXPECT_EQ(shown[i].Bold, nodes[i].Bold) << i;
    }
}

TEST_F(FrameDetailTreeTest, CopyTextIsEveryNodeWithCrLf) {
    ShowFrameDetail(&tree_, NodesOf(true));
    const QString text = FrameDetailTreeCopyText(tree_);
    EXPECT_TRUE(text.startsWith("frame()\r\nheader()\r\nsyncword             : 0x0FFF (12 bits)\r\n"));
    EXPECT_TRUE(text.contains("error_check()\r\ncrc_check            : 0x1234 (16 bits)\r\naudio_data()\r\n"));
    EXPECT_TRUE(text.endsWith("audio_data()\r\nancillary_data()\r\n"));
    EXPECT_EQ(text.count("\r\n"), 19);

    CopyFrameDetailTree(tree_);
    EXPECT_EQ(QApplication::clipboard()->text(), text);
}

TEST_F(FrameDetailTreeTest, CopyOfAnEmptyTreeIsEmpty) {
    QApplication::clipboard()->setText("previous");
    EXPECT_TRUE(FrameDetailTreeCopyText(tree_).isEmpty());
    CopyFrameDetailTree(tree_);
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
}

TEST_F(FrameDetailTreeTest, DelegateStripesEvenSiblingsAndBoldsElements) {
    ShowFrameDetail(&tree_, NodesOf(true));
    const QColor stripe(0xF6, 0xF6, 0xF6);
    const QStyleOptionViewItem header = OptionFor(Header(), false);       // sibling 0
    const QStyleOptionViewItem errorCheck = OptionFor(ErrorCheck(), false);  // sibling 1
    const QStyleOptionViewItem audio = OptionFor(Root()->child(2), false);    // sibling 2
    const QStyleOptionViewItem id = OptionFor(Header()->child(1), false);     // sibling 1
    const QStyleOptionViewItem sync = OptionFor(Header()->child(0), false);   // sibling 0
    EXPECT_EQ(header.backgroundBrush.color(), stripe);
    EXPECT_EQ(errorCheck.backgroundBrush.style(), Qt::NoBrush);
    EXPECT_EQ(audio.backgroundBrush.color(), stripe);
    EXPECT_EQ(id.backgroundBrush.style(), Qt::NoBrush);
    EXPECT_EQ(sync.backgroundBrush.color(), stripe);
    EXPECT_EQ(OptionFor(Header(), true).backgroundBrush.style(), Qt::NoBrush);

    EXPECT_TRUE(header.font.bold());
    EXPECT_TRUE(errorCheck.font.bold());
    EXPECT_TRUE(audio.font.bold());
    EXPECT_FALSE(id.font.bold());
    EXPECT_FALSE(sync.font.bold());
}

TEST_F(FrameDetailTreeTest, PaintsTheStripe) {
    ShowFrameDetail(&tree_, NodesOf(true));
    const QImage image = tree_.viewport()->grab().toImage();
    const auto pixelRightOf = [&](const QTreeWidgetItem* item) {
        const QRect rect = tree_.visualItemRect(item);
        return image.pixelColor(rect.right() - 2, rect.center().y());
    };
    EXPECT_EQ(pixelRightOf(Header()), QColor(0xF6, 0xF6, 0xF6));
    EXPECT_NE(pixelRightOf(ErrorCheck()), QColor(0xF6, 0xF6, 0xF6));
    EXPECT_EQ(pixelRightOf(Root()->child(2)), QColor(0xF6, 0xF6, 0xF6));
}

}  // namespace
