#pragma once
// The hex edit grid as a Qt table model over THexEditSheet. The grid's header
// row and label column are the view's headers, so model row r is grid row
// r + 1 and model column c is grid column c + 1 (the byte columns, then the
// text column). Only byte cells can be selected and edited.

#include <QAbstractTableModel>

#include "viewer/model/HexEditSheet.h"

class THexEditTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // True for a cell whose byte differs from the file.
    static constexpr int ChangedRole = Qt::UserRole + 1;

    explicit THexEditTableModel(THexEditSheet& sheet, QObject* parent = nullptr);

    // Call around any change of the sheet's range.
    void BeginReload() { beginResetModel(); }
    void EndReload() { endResetModel(); }

    [[nodiscard]] static THexEditCell CellOf(const QModelIndex& index);
    [[nodiscard]] QModelIndex IndexOf(THexEditCell cell) const;

    // The sheet's edit and selection rules, with the views told what changed.
    QString SetEditText(THexEditCell cell, const QString& editText);
    bool SelectCell(THexEditCell cell);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void CellChanged(THexEditCell cell);

    THexEditSheet& FSheet;
};
