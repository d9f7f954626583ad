#pragma once
// The window's report list as a table model: each line is kept as its five
// texts and drawn on demand, with no widget item per cell, so a long report
// costs only its texts.

#include <QAbstractTableModel>

#include <vector>

#include "viewer/validation/ValidationReportView.h"

class TReportListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 5;
    static constexpr int kMessageColumn = 4;

    using QAbstractTableModel::QAbstractTableModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // Display: the line's text; background and (first column) icon by its
    // type.
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Append(std::vector<validation::TReportRow> rows);
    void Clear();

private:
    std::vector<validation::TReportRow> rows_;
};
