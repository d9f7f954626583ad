#include "tests/viewer/ui/HexEditFixture_test.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <utility>

#include "viewer/ui/HexEditForm.h"
#include "viewer/ui/HexEditGridView.h"

namespace hexedittest {

void ScriptedHexEditAsker::ShowMessage(QWidget*, const QString& text) { boxes.push_back({Kind::Message, text}); }

void ScriptedHexEditAsker::ShowError(QWidget*, const QString& text) { boxes.push_back({Kind::Error, text}); }

bool ScriptedHexEditAsker::AskConfirmation(QWidget*, const QString& text) {
    boxes.push_back({Kind::Confirmation, text});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

FaultyStream::FaultyStream(std::unique_ptr<THexEditStream> file) : file_(std::move(file)) {}

std::int64_t FaultyStream::Size() const { return file_->Size(); }

bool FaultyStream::Seek(HexOffset position) {
    position_ = position;
    return file_->Seek(position);
}

std::int64_t FaultyStream::Read(void* buffer, std::int64_t count) {
    return failReads ? -1 : file_->Read(buffer, count);
}

std::int64_t FaultyStream::Write(const void* buffer, std::int64_t count) {
    const bool fail = static_cast<int>(writes.size()) == failingWrite;
    writes.push_back({position_, count});
    return fail ? -1 : file_->Write(buffer, count);
}

namespace {

THexEditForm* ShownDialog() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<THexEditForm*>(window);
        if (form != nullptr && form->isVisible()) return form;
    }
    return nullptr;
}

QModelIndex IndexOf(const THexEditForm& form, THexEditCell cell) {
    return form.Grid()->model()->index(cell.Row - 1, cell.Column - 1);
}

}  // namespace

void DialogDriver::WhenShown(std::function<void(THexEditForm&)> steps) {
    QTimer::singleShot(0, &context_, [this, steps = std::move(steps)] {
        THexEditForm* form = ShownDialog();
        if (form == nullptr) return;
        ++shown_;
        steps(*form);
        if (form->isVisible()) {
            ADD_FAILURE() << "the hex edit dialog was left open";
            form->reject();
        }
    });
}

QString SeenText(const THexEditForm& form, THexEditCell cell) {
    const QAbstractItemModel* model = form.Grid()->model();
    if (cell.Row == 0) {
        if (cell.Column == 0) return {};
        return model->headerData(cell.Column - 1, Qt::Horizontal).toString();
    }
    if (cell.Column == 0) return model->headerData(cell.Row - 1, Qt::Vertical).toString();
    return IndexOf(form, cell).data().toString();
}

void TypeText(THexEditForm& form, const QString& text) {
    for (const QChar c : text) {
        QWidget* target = form.Grid()->Editor() != nullptr ? static_cast<QWidget*>(form.Grid()->Editor())
                                                            : static_cast<QWidget*>(form.Grid());
        QTest::keyClick(target, c.toLatin1());
    }
}

void PressKey(THexEditForm& form, int key) {
    QWidget* target = form.Grid()->Editor() != nullptr ? static_cast<QWidget*>(form.Grid()->Editor())
                                                        : static_cast<QWidget*>(form.Grid());
    QTest::keyClick(target, static_cast<Qt::Key>(key));
    QApplication::processEvents();
}

void ClickCell(THexEditForm& form, THexEditCell cell) {
    THexEditGridView* grid = form.Grid();
    if (cell.Column == 0) {
        QHeaderView* labels = grid->verticalHeader();
        const int y = labels->sectionViewportPosition(cell.Row - 1) + labels->sectionSize(cell.Row - 1) / 2;
        QTest::mouseClick(labels->viewport(), Qt::LeftButton, {}, QPoint(labels->width() / 2, y));
        return;
    }
    const QRect rect = grid->visualRect(IndexOf(form, cell));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
}

QColor PaintedColour(THexEditForm& form, THexEditCell cell) {
    THexEditGridView* grid = form.Grid();
    const QRect rect = grid->visualRect(IndexOf(form, cell));
    const QImage image = grid->viewport()->grab().toImage();
    return image.pixelColor(rect.topLeft() + QPoint(1, 1));
}

}  // namespace hexedittest
