#include "viewer/ui/FrameListModel.h"

#include <QColor>

#include <algorithm>

#include "viewer/model/NavigatorActions.h"

TFrameListModel::TFrameListModel(const TFrameNavigator& navigator, QObject* parent)
    : QAbstractTableModel(parent), navigator_(navigator) {}

void TFrameListModel::SetItemCount(int count) {
    count = std::max(count, 0);
    if (count > itemCount_) {
        beginInsertRows(QModelIndex(), itemCount_, count - 1);
        itemCount_ = count;
        endInsertRows();
    } else if (count < itemCount_) {
        beginRemoveRows(QModelIndex(), count, itemCount_ - 1);
        itemCount_ = count;
        endRemoveRows();
    }
    if (itemCount_ > 0) emit dataChanged(index(0, 0), index(itemCount_ - 1, ColumnCount - 1));
}

int TFrameListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : itemCount_; }

int TFrameListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TFrameListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= itemCount_) return {};
    if (role == Qt::DisplayRole) {
        const TFrameNavigator::RowTexts texts = navigator_.ListView1Data(index.row());
        return QString::fromStdString(texts[static_cast<std::size_t>(index.column())]);
    }
    if (role == Qt::BackgroundRole && actions_ != nullptr && actions_->IsRowShaded(index.row()))
        return QColor::fromRgb(kShadedRowColour);
    return {};
}

QVariant TFrameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(TFrameNavigator::ColumnCaptions()[static_cast<std::size_t>(section)]);
}

Qt::ItemFlags TFrameListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
