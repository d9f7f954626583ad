#include "viewer/ui/HexEditForm.h"

#include <QFont>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>
#include <utility>

#include "platform/debug_output.h"
#include "viewer/model/HexEditText.h"
#include "viewer/ui/HexEditAsker.h"
#include "viewer/ui/HexEditGridView.h"
#include "viewer/ui/HexEditTableModel.h"
#include "viewer/ui/HexViewUtils_RichEdit.h"
#include "viewer/ui/WaitCursor.h"

namespace {

constexpr int kGridFontPointSize = 9;

}  // namespace

THexEditForm::THexEditForm(THexEditStream* stream, HexOffset offset, std::int64_t size, THexEditAsker* asker,
                           QWidget* parent)
    : QDialog(parent),
      FOffset(offset),
      FSize(size),
      FFileStream(stream),
      FAsker(asker != nullptr ? asker : &DefaultHexEditAsker()) {
    setObjectName(QStringLiteral("HexEditForm"));
    setWindowTitle(QString::fromLatin1(kHexEditCaption));
    CreateControls();
    resize(kClientWidth, kClientHeight);
}

THexEditForm::~THexEditForm() = default;

void THexEditForm::CreateControls() {
    FModel = new THexEditTableModel(FSheet, this);
    StringGrid1 = new THexEditGridView(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setFont(FixedPitchFont(QFont(QStringLiteral("Courier New"), kGridFontPointSize)));
    StringGrid1->SetModel(FModel, [this](const QModelIndex& index) {
        const THexEditCell cell = THexEditTableModel::CellOf(index);
        return StringGrid1SelectCell(cell.Column, cell.Row);
    });
    connect(StringGrid1->Delegate(), &THexEditDelegate::EditTextChanged, this,
            [this](const QModelIndex& index, const QString& text) {
                const THexEditCell cell = THexEditTableModel::CellOf(index);
                StringGrid1SetEditText(cell.Column, cell.Row, text);
            });
    connect(StringGrid1, &THexEditGridView::EnterPressed, this, [this] { StringGrid1KeyDown(Qt::Key_Return); });

    bbtnOK = new QPushButton(QString::fromLatin1(kHexEditSaveButton), this);
    bbtnOK->setObjectName(QStringLiteral("bbtnOK"));
    bbtnOK->setDefault(true);
    connect(bbtnOK, &QPushButton::clicked, this, &THexEditForm::bbtnOKClick);
    bbtnCancel = new QPushButton(QString::fromLatin1(kHexEditCancelButton), this);
    bbtnCancel->setObjectName(QStringLiteral("bbtnCancel"));
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bbtnOK);
    buttons->addWidget(bbtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(buttons);
}

void THexEditForm::CentreOn(const QWidget* window) {
    FCentreWindow = window;
    Centre();
}

void THexEditForm::Centre() {
    if (FCentreWindow == nullptr) return;
    QRect frame = frameGeometry();
    frame.moveCenter(FCentreWindow->frameGeometry().center());
    move(frame.topLeft());
}

QString THexEditForm::CellText(int column, int row) const {
    if (column == HexEditTextColumn) return QString::fromStdU16String(FSheet.RowText(row));
    return QString::fromStdString(FSheet.CellText({column, row}));
}

THexEditCell THexEditForm::CurrentCell() const {
    const QModelIndex current = StringGrid1->currentIndex();
    return current.isValid() ? THexEditTableModel::CellOf(current) : THexEditCell{};
}

// ---------------------------------------------------------------- show and close

void THexEditForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FShown) return;
    FShown = true;
    Centre();
    FormShow();
}

void THexEditForm::FormShow() {
    TWaitCursor wait;
    try {
        if (FFileStream == nullptr) throw std::invalid_argument("no stream");
        std::vector<std::uint8_t> bytes = ReadHexEditRange(*FFileStream, FOffset, FSize);
        FModel->BeginReload();
        try {
            FSheet.Load(FOffset, std::move(bytes));
        } catch (...) {
            FModel->EndReload();
            throw;
        }
        FModel->EndReload();
        StringGrid1->ApplyGeometry();
        setWindowTitle(QString::fromLatin1(kHexEditCaption) + FAdditionalCaption);
        if (FSheet.Grid().Size() > 0) MoveTo(FSheet.Grid().CellOfByte(0));
        StringGrid1->setFocus();
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexEditForm.FormShow call...");
    }
}

void THexEditForm::done(int result) {
    FormClose();
    QDialog::done(result);
}

// Releases the range and the changed list; the stream belongs to the caller.
void THexEditForm::FormClose() {
    FModel->BeginReload();
    FSheet.Clear();
    FModel->EndReload();
    FShown = false;
}

// ---------------------------------------------------------------- grid events

void THexEditForm::StringGrid1SetEditText(int column, int row, const QString& value) {
    FModel->SetEditText({column, row}, value);
}

bool THexEditForm::StringGrid1SelectCell(int column, int row) { return FModel->SelectCell({column, row}); }

void THexEditForm::StringGrid1KeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) GoToNextCell();
}

void THexEditForm::GoToNextCell() {
    const THexEditCell current = CurrentCell();
    const THexEditCell next = FSheet.Grid().NextCell(current);
    if (next != current) MoveTo(next);
}

void THexEditForm::MoveTo(THexEditCell cell) { StringGrid1->setCurrentIndex(FModel->IndexOf(cell)); }

// ---------------------------------------------------------------- save

void THexEditForm::bbtnOKClick() {
    try {
        if (FSheet.Changes().ChangedCells().empty()) {
            FAsker->ShowMessage(this, QString::fromLatin1(kHexEditNoChangesMessage));
        } else if (FAsker->AskConfirmation(this, QString::fromLatin1(kHexEditSaveQuestion))) {
            if (FFileStream == nullptr) throw std::invalid_argument("no stream");
            if (!SaveChanges(*FFileStream, FSheet.Grid().LineStart(), FSheet.Changes().ChangedCells()))
                FAsker->ShowError(this, QString::fromLatin1(kHexEditPartialSaveMessage));
        }
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexEditForm.bbtnOKClick call...");
    }
    accept();
}

// ---------------------------------------------------------------- EditFile

bool EditFile(THexEditStream* stream, const QString& captionSuffix, HexOffset offset, std::int64_t size,
              QWidget* parent, THexEditAsker* asker) {
    if (stream == nullptr) {
        platform::OutputDebugLine("dbg: Error in EditFile - invalid filestream.");
        return false;
    }
    try {
        THexEditForm form(stream, offset, size, asker, parent);
        form.SetAdditionalCaption(captionSuffix);
        if (parent != nullptr) form.CentreOn(parent->window());
        return form.exec() == QDialog::Accepted;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in EditFile call...");
        return false;
    }
}
