#pragma once
// The frame detail tree on a QTreeWidget: the nodes of viewer/model/FrameDetail.h
// shown one column deep, striped and with bold syntax elements, and its
// "Copy" text. The main window owns the tree widget and its context menu.

#include <QString>
#include <QStyledItemDelegate>
#include <vector>

#include "viewer/model/FrameAnatomy.h"
#include "viewer/model/FrameDetail.h"
#include "viewer/model/HexFormat.h"

class QTreeWidget;
class QTreeWidgetItem;

// Draws a node on the light grey stripe (0xF6F6F6) when it is an even
// sibling and not selected, and bold when its text names a syntax element.
class TFrameDetailDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// One column, no header, read-only, a fixed-pitch font ("Courier New",
// 12 pixels high) and the delegate above (owned by the tree).
void SetupFrameDetailTree(QTreeWidget* tree);

// Replaces the tree's content with the nodes; "frame()" becomes the first
// root node. Nodes marked Expanded are opened by one level, all others stay
// closed. A node whose parent does not come before it is added as a root.
void ShowFrameDetail(QTreeWidget* tree, const std::vector<TFrameDetailNode>& nodes);

// ShowFrameDetail for the anatomy's nodes; each item keeps the file bytes of
// its field (the frame's offset plus the field's bits).
void ShowFrameAnatomy(QTreeWidget* tree, const TFrameAnatomy& anatomy, std::int64_t frameOffset);

// The file bytes an item's field takes; Length 0 for an item without bits
// (or none).
[[nodiscard]] THexByteRange FrameDetailItemBytes(const QTreeWidgetItem* item);

// The tree's nodes as they stand, parents before children, in tree order.
[[nodiscard]] std::vector<TFrameDetailNode> FrameDetailTreeNodes(const QTreeWidget& tree);

// The text the tree's "Copy" puts on the clipboard, and the copy itself
// (empty tree: empty text).
[[nodiscard]] QString FrameDetailTreeCopyText(const QTreeWidget& tree);
void CopyFrameDetailTree(const QTreeWidget& tree);
