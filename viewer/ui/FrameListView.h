#pragma once
// The frame list control: a read-only report list with grid lines and
// whole-row selection. It only forwards events: navigation keys reach the
// window before the list moves its own selection, key releases and mouse
// presses after it; dropped files go to the window as names.

#include <QStringList>
#include <QTableView>

#include <optional>

#include "viewer/model/NavigatorActions.h"

class TFrameListView : public QTableView {
    Q_OBJECT
public:
    // Design width of the "Offset" column.
    static constexpr int kOffsetColumnWidth = 120;

    explicit TFrameListView(QWidget* parent = nullptr);

    // Rows that fit in the client area.
    [[nodiscard]] int VisibleRows() const;
    // The selected row, or -1.
    [[nodiscard]] int SelectedRow() const;
    // Selects a row as the current one.
    void SelectRow(int row);

    // Accepts or refuses files dropped on the list.
    void SetDropTarget(bool enabled);

    [[nodiscard]] static std::optional<TNavigationKey> NavigationKeyOf(int qtKey);

signals:
    void NavigationKeyPressed(TNavigationKey key);  // before the list's own handling
    void KeyReleased();                             // after it (not for auto-repeat)
    void MousePressed();                            // after the list selected the row
    void FilesDropped(const QStringList& fileNames);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
};
