#include "viewer/ui/FrameDetailTree.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "viewer/ui/HexViewUtils_RichEdit.h"

namespace {

constexpr int kFontPixelSize = 12;

void CollectNodes(const QTreeWidgetItem& item, int parent, std::vector<TFrameDetailNode>& nodes) {
    const std::string text = item.text(0).toStdString();
    nodes.push_back({text, parent, FrameDetailIsBold(text), item.isExpanded()});
    const int self = static_cast<int>(nodes.size()) - 1;
    for (int i = 0; i < item.childCount(); ++i) CollectNodes(*item.child(i), self, nodes);
}

}  // namespace

void TFrameDetailDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool selected = option->state.testFlag(QStyle::State_Selected);
    if (FrameDetailIsStriped(index.row(), selected)) option->backgroundBrush = QColor(0xF6, 0xF6, 0xF6);
    if (FrameDetailIsBold(option->text.toStdString())) option->font.setBold(true);
}

void SetupFrameDetailTree(QTreeWidget* tree) {
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(kFontPixelSize);
    tree->setFont(FixedPitchFont(font));
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setItemDelegate(new TFrameDetailDelegate(tree));
}

void ShowFrameDetail(QTreeWidget* tree, const std::vector<TFrameDetailNode>& nodes) {
    tree->clear();
    std::vector<QTreeWidgetItem*> items;
    items.reserve(nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const int parent = nodes[i].Parent;
        const bool hasParent = parent >= 0 && static_cast<std::size_t>(parent) < i;
        auto* item = hasParent ? new QTreeWidgetItem(items[static_cast<std::size_t>(parent)])
                               : new QTreeWidgetItem(tree);
        item->setText(0, QString::fromStdString(nodes[i].Text));
        items.push_back(item);
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) items[i]->setExpanded(nodes[i].Expanded);
}

std::vector<TFrameDetailNode> FrameDetailTreeNodes(const QTreeWidget& tree) {
    std::vector<TFrameDetailNode> nodes;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) CollectNodes(*tree.topLevelItem(i), -1, nodes);
    return nodes;
}

QString FrameDetailTreeCopyText(const QTreeWidget& tree) {
    return QString::fromStdString(FrameDetailCopyText(FrameDetailTreeNodes(tree)));
}

void CopyFrameDetailTree(const QTreeWidget& tree) {
    QApplication::clipboard()->setText(FrameDetailTreeCopyText(tree));
}
