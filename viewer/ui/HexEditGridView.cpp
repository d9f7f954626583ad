#include "viewer/ui/HexEditGridView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <utility>

#include "viewer/ui/HexEditTableModel.h"

namespace {

bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Set while the delegate itself puts text into an editor, so that only the
// user's changes are reported.
constexpr char kFillingProperty[] = "hexEditFilling";

}  // namespace

// ---------------------------------------------------------------- selection

THexEditSelectionModel::THexEditSelectionModel(QAbstractItemModel* model, Gate gate, QObject* parent)
    : QItemSelectionModel(model, parent), FGate(std::move(gate)) {}

void THexEditSelectionModel::setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) {
    if (index.isValid() && index != currentIndex() && !FGate(index)) return;
    QItemSelectionModel::setCurrentIndex(index, command);
}

// The gate has already seen the cursor's move; here only cells that can
// hold the cursor may be highlighted. A click beside them selects nothing,
// which must not clear the highlight either.
void THexEditSelectionModel::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) {
    if (command & QItemSelectionModel::Select) {
        if (selection.isEmpty()) return;
        for (const QItemSelectionRange& range : selection) {
            for (int row = range.top(); row <= range.bottom(); ++row)
                for (int column = range.left(); column <= range.right(); ++column)
                    if (!(model()->flags(model()->index(row, column, range.parent())) & Qt::ItemIsSelectable)) return;
        }
    }
    QItemSelectionModel::select(selection, command);
}

// ---------------------------------------------------------------- editor and painting

QWidget* THexEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setFont(option.font);
    editor->setInputMask(QString::fromLatin1(kInputMask));
    const QPersistentModelIndex cell(index);
    connect(editor, &QLineEdit::textChanged, this, [this, editor, cell] {
        if (!editor->property(kFillingProperty).toBool()) emit EditTextChanged(cell, editor->displayText());
    });
    return editor;
}

// The first fill shows the cell's text selected, so that typing replaces
// it; later fills (the cell's text after each change) keep the cursor where
// the user is typing.
void THexEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr) return;
    const QString text = index.data(Qt::EditRole).toString();
    if (!line->property(kFillingProperty).isValid()) {
        ShowText(line, text);
        line->selectAll();
        return;
    }
    if (line->displayText() == text) return;
    const int cursor = line->cursorPosition();
    ShowText(line, text);
    line->setCursorPosition(cursor);
}

void THexEditDelegate::ShowText(QLineEdit* editor, const QString& text) const {
    editor->setProperty(kFillingProperty, true);
    editor->setText(text);
    editor->setProperty(kFillingProperty, false);
}

// Every change reached the model while it was typed; committing the editor
// again would undo what the selection rule did to the cell since.
void THexEditDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {}

void THexEditDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!index.data(THexEditTableModel::ChangedRole).toBool()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QColor>());
    painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

bool THexEditDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor == nullptr || !IsEnterKey(event)) return QStyledItemDelegate::eventFilter(object, event);
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    emit EnterPressed();
    return true;
}

// ---------------------------------------------------------------- grid

THexEditGridView::THexEditGridView(QWidget* parent) : QTableView(parent), FDelegate(new THexEditDelegate(this)) {
    setItemDelegate(FDelegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setWordWrap(false);
    connect(FDelegate, &THexEditDelegate::EnterPressed, this, &THexEditGridView::EnterPressed);
}

void THexEditGridView::SetModel(QAbstractItemModel* model, THexEditSelectionModel::Gate gate) {
    QItemSelectionModel* previous = selectionModel();
    setModel(model);
    setSelectionModel(new THexEditSelectionModel(model, std::move(gate), this));
    delete previous;
}

void THexEditGridView::ApplyGeometry() {
    QHeaderView* rows = verticalHeader();
    rows->setMinimumSectionSize(0);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(THexEditGrid::kRowHeight);
    rows->setFixedWidth(THexEditGrid::ColumnWidth(HexEditLabelColumn));
    QHeaderView* columns = horizontalHeader();
    columns->setMinimumSectionSize(0);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setFixedHeight(THexEditGrid::kRowHeight);
    for (int column = HexEditFirstByteColumn; column < HexEditColumnCount; ++column)
        setColumnWidth(column - 1, THexEditGrid::ColumnWidth(column));
}

QLineEdit* THexEditGridView::Editor() const {
    return qobject_cast<QLineEdit*>(indexWidget(currentIndex()));
}

void THexEditGridView::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(event)) {
        event->accept();
        emit EnterPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}
