#pragma once
// The frame list's data: a table model that holds no rows of its own. Its row
// count is the item count the page model reports, and every text is asked
// from TFrameNavigator::ListView1Data when the list paints.

#include <QAbstractTableModel>

#include "viewer/model/FrameNavigator.h"

class TNavigatorActions;

class TFrameListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Offset, Length, FrameTime, Layer, SamplingRate, Bitrate, Mode, ColumnCount };
    static_assert(ColumnCount == TFrameNavigator::kColumnCount);

    // Background of the shaded rows (ListView1CustomDrawItem).
    static constexpr unsigned kShadedRowColour = 0xF0F0F0;

    TFrameListModel(const TFrameNavigator& navigator, QObject* parent = nullptr);

    // Shading follows the actions' row parity; without actions no row is shaded.
    void SetShading(const TNavigatorActions* actions) { actions_ = actions; }

    // The list's item count. Rows that stay keep their selection.
    void SetItemCount(int count);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const TFrameNavigator& navigator_;
    const TNavigatorActions* actions_ = nullptr;
    int itemCount_ = 0;
};
