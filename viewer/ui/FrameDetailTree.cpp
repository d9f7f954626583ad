#include "viewer/ui/FrameDetailTree.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "viewer/ui/HexViewUtils_RichEdit.h"

namespace {

constexpr int kFontPixelSize = 12;
constexpr int kStartRole = Qt::UserRole;
constexpr int kLengthRole = Qt::UserRole + 1;

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

namespace {

// The items made, in the order of the nodes.
std::vector<QTreeWidgetItem*> FillTree(QTreeWidget* tree, const std::vector<TFrameDetailNode>& nodes) {
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
    return items;
}

}  // namespace

void ShowFrameDetail(QTreeWidget* tree, const std::vector<TFrameDetailNode>& nodes) {
    static_cast<void>(FillTree(tree, nodes));
}

void ShowFrameAnatomy(QTreeWidget* tree, const TFrameAnatomy& anatomy, std::int64_t frameOffset) {
    const std::vector<QTreeWidgetItem*> items = FillTree(tree, anatomy.Nodes);
    for (std::size_t i = 0; i < items.size() && i < anatomy.Places.size(); ++i) {
        const TFieldPlace& place = anatomy.Places[i];
        const THexByteRange bytes = HexFieldBytes(frameOffset, place.BitOffset, place.BitWidth);
        items[i]->setData(0, kStartRole, QVariant::fromValue<qlonglong>(bytes.Start));
        items[i]->setData(0, kLengthRole, QVariant::fromValue<qlonglong>(bytes.Length));
    }
}

THexByteRange FrameDetailItemBytes(const QTreeWidgetItem* item) {
    if (item == nullptr) return {0, 0};
    return {item->data(0, kStartRole).toLongLong(), item->data(0, kLengthRole).toLongLong()};
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
