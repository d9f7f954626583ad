#include "viewer/validation/ValidationWindowReportModel.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QStyle>

#include <iterator>

namespace {

QStyle::StandardPixmap IconFor(validation::TReportLineIcon icon) {
    switch (icon) {
        case validation::TReportLineIcon::Information: return QStyle::SP_MessageBoxInformation;
        case validation::TReportLineIcon::Warning: return QStyle::SP_MessageBoxWarning;
        default: return QStyle::SP_MessageBoxCritical;
    }
}

const std::string& ColumnText(const validation::TReportRow& row, int column) {
    const std::string* texts[] = {&row.Number, &row.Module, &row.Stream, &row.Type, &row.Message};
    return *texts[column];
}

}  // namespace

int TReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TReportListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumns) return {};
    const validation::TReportRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return QString::fromStdString(ColumnText(row, index.column()));
    if (role != Qt::BackgroundRole && role != Qt::DecorationRole) return {};
    const validation::TReportLineStyle style = validation::ReportLineStyle(row.Type);
    if (style.Icon == validation::TReportLineIcon::None) return {};
    if (role == Qt::BackgroundRole) return QColor(style.Red, style.Green, style.Blue);
    if (index.column() != 0) return {};
    return QApplication::style()->standardIcon(IconFor(style.Icon));
}

QVariant TReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kCaptions[] = {"#", "Module", "Stream", "Type", "Message"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
    return QString::fromLatin1(kCaptions[section]);
}

void TReportListModel::Append(std::vector<validation::TReportRow> rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

void TReportListModel::Clear() {
    beginResetModel();
    rows_ = {};
    endResetModel();
}
