#pragma once
// The hex edit grid control. It only forwards: the cursor moves after the
// dialog's selection rule allows it (CanSelectCell), every change of a cell
// editor's text goes to the dialog as it happens (EditTextChanged), Enter
// goes to the dialog instead of the default button (EnterPressed), and cells
// the model marks as changed are painted red with white text.

#include <QItemSelectionModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

#include "viewer/model/HexEditGrid.h"

class QLineEdit;

// Asks before the cursor or the selection moves to a cell.
class THexEditSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    using Gate = std::function<bool(const QModelIndex&)>;

    THexEditSelectionModel(QAbstractItemModel* model, Gate gate, QObject* parent = nullptr);

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
    using QItemSelectionModel::select;

private:
    Gate FGate;
};

// The byte cell editor: two characters, forced to upper case.
class THexEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Two alphanumeric characters, upper-cased; an unfilled position reads
    // as a space.
    static constexpr char kInputMask[] = ">NN";

    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

signals:
    void EditTextChanged(const QModelIndex& index, const QString& editText) const;
    void EnterPressed() const;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void ShowText(QLineEdit* editor, const QString& text) const;
};

class THexEditGridView : public QTableView {
    Q_OBJECT
public:
    explicit THexEditGridView(QWidget* parent = nullptr);

    // Binds the model and the selection rule.
    void SetModel(QAbstractItemModel* model, THexEditSelectionModel::Gate gate);
    // Sets the column widths and row heights of the grid's geometry.
    void ApplyGeometry();
    // The open cell editor, if any.
    [[nodiscard]] QLineEdit* Editor() const;
    [[nodiscard]] THexEditDelegate* Delegate() const { return FDelegate; }

signals:
    void EnterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    THexEditDelegate* FDelegate;
};
