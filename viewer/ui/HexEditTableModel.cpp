#include "viewer/ui/HexEditTableModel.h"

#include <QColor>

namespace {

const QColor kChangedBackground(255, 0, 0);
const QColor kChangedText(255, 255, 255);

}  // namespace

THexEditTableModel::THexEditTableModel(THexEditSheet& sheet, QObject* parent)
    : QAbstractTableModel(parent), FSheet(sheet) {}

THexEditCell THexEditTableModel::CellOf(const QModelIndex& index) {
    return {index.column() + 1, index.row() + 1};
}

QModelIndex THexEditTableModel::IndexOf(THexEditCell cell) const { return index(cell.Row - 1, cell.Column - 1); }

QString THexEditTableModel::SetEditText(THexEditCell cell, const QString& editText) {
    const std::string text = FSheet.SetEditText(cell, editText.toStdString());
    CellChanged(cell);
    CellChanged({HexEditTextColumn, cell.Row});
    return QString::fromStdString(text);
}

bool THexEditTableModel::SelectCell(THexEditCell cell) {
    std::optional<THexEditCell> left;
    const bool accepted = FSheet.SelectCell(cell, &left);
    if (left) CellChanged(*left);
    return accepted;
}

void THexEditTableModel::CellChanged(THexEditCell cell) {
    const QModelIndex at = IndexOf(cell);
    if (at.isValid()) emit dataChanged(at, at);
}

int THexEditTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FSheet.Grid().RowCount() - 1;
}

int THexEditTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : HexEditColumnCount - 1;
}

QVariant THexEditTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const THexEditCell cell = CellOf(index);
    const bool changed = FSheet.IsChanged(cell);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (cell.Column == HexEditTextColumn) return QString::fromStdU16String(FSheet.RowText(cell.Row));
            return QString::fromStdString(FSheet.CellText(cell));
        case ChangedRole: return changed;
        case Qt::BackgroundRole: return changed ? QVariant(kChangedBackground) : QVariant();
        case Qt::ForegroundRole: return changed ? QVariant(kChangedText) : QVariant();
        default: return {};
    }
}

QVariant THexEditTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole) return QString::fromStdString(THexEditGrid::HeaderText(section + 1));
        return {};
    }
    if (role == Qt::DisplayRole) return QString::fromStdString(FSheet.Grid().RowLabel(section + 1));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags THexEditTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // Every cell stays enabled so that the cursor keys stop at the range's
    // ends instead of jumping over the empty cells.
    if (!FSheet.Grid().HoldsByte(CellOf(index))) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
