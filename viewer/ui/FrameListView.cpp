#include "viewer/ui/FrameListView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QUrl>

namespace {

QStringList LocalFiles(const QMimeData* data) {
    QStringList names;
    if (data == nullptr || !data->hasUrls()) return names;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) names << url.toLocalFile();
    return names;
}

// The offset column's design width holds "0x" and 16 digits in a compact
// font; a wider system font is stepped down until the text fits.
QFont FontFittingOffsets(QFont font, int availableWidth) {
    const QString widest = QStringLiteral("0x0000000000000000");
    while (font.pointSizeF() > 6.0 && QFontMetrics(font).horizontalAdvance(widest) > availableWidth)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

}  // namespace

TFrameListView::TFrameListView(QWidget* parent) : QTableView(parent) {
    const int cellMargins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    setFont(FontFittingOffsets(font(), kOffsetColumnWidth - cellMargins));
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The selection stays visible while another control has the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

int TFrameListView::VisibleRows() const {
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? std::max(viewport()->height(), 0) / rowHeight : 0;
}

int TFrameListView::SelectedRow() const {
    if (selectionModel() == nullptr) return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TFrameListView::SelectRow(int row) {
    if (model() == nullptr || row < 0 || row >= model()->rowCount()) return;
    setCurrentIndex(model()->index(row, 0));
    selectRow(row);
}

void TFrameListView::SetDropTarget(bool enabled) {
    setAcceptDrops(enabled);
    viewport()->setAcceptDrops(enabled);
}

std::optional<TNavigationKey> TFrameListView::NavigationKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Up: return TNavigationKey::Up;
        case Qt::Key_Down: return TNavigationKey::Down;
        case Qt::Key_PageUp: return TNavigationKey::PageUp;
        case Qt::Key_PageDown: return TNavigationKey::PageDown;
        case Qt::Key_Home: return TNavigationKey::Home;
        case Qt::Key_End: return TNavigationKey::End;
        default: return std::nullopt;
    }
}

void TFrameListView::keyPressEvent(QKeyEvent* event) {
    if (const auto key = NavigationKeyOf(event->key())) emit NavigationKeyPressed(*key);
    QTableView::keyPressEvent(event);
}

void TFrameListView::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) emit KeyReleased();
}

void TFrameListView::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    emit MousePressed();
}

void TFrameListView::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty()) event->ignore();
    else event->acceptProposedAction();
}

void TFrameListView::dragMoveEvent(QDragMoveEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty()) event->ignore();
    else event->acceptProposedAction();
}

void TFrameListView::dropEvent(QDropEvent* event) {
    const QStringList names = LocalFiles(event->mimeData());
    if (names.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit FilesDropped(names);
}

// Home and End go to the first and the last row, as in a report list,
// rather than to the first and the last column of a table.
QModelIndex TFrameListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if (model() != nullptr && (cursorAction == MoveHome || cursorAction == MoveEnd)) {
        const int rows = model()->rowCount();
        if (rows == 0) return {};
        const int column = std::max(currentIndex().column(), 0);
        return model()->index(cursorAction == MoveHome ? 0 : rows - 1, column);
    }
    return QTableView::moveCursor(cursorAction, modifiers);
}
