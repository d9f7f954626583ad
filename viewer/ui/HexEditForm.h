#pragma once
// The hex edit dialog: the bytes of one range of a file in a grid of 16 byte
// columns, edited in hexadecimal, the bytes that differ from the file marked
// red, and on "Save Changes" (after a confirmation) only those bytes written
// back in place. The dialog paints and forwards: the grid's geometry, the
// edit rules and the changed list live in THexEditSheet, the writing in
// SaveChanges (viewer/model). Debug lines name "THexEditForm".

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <vector>

#include "viewer/model/HexEditFile.h"
#include "viewer/model/HexEditSheet.h"

class QPushButton;
class THexEditAsker;
class THexEditGridView;
class THexEditTableModel;

class THexEditForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 769;
    static constexpr int kClientHeight = 613;

    // The range [offset, offset + size) of a read-write stream (not owned;
    // it must outlive the dialog). Null asker: message boxes.
    THexEditForm(THexEditStream* stream, HexOffset offset, std::int64_t size, THexEditAsker* asker,
                 QWidget* parent = nullptr);
    ~THexEditForm() override;

    // Appended to the caption when the dialog opens.
    void SetAdditionalCaption(const QString& caption) { FAdditionalCaption = caption; }
    // Places the dialog's centre on the centre of a window, now and each
    // time the dialog is shown (its frame is known only then).
    void CentreOn(const QWidget* window);

    [[nodiscard]] THexEditGridView* Grid() const { return StringGrid1; }
    [[nodiscard]] QPushButton* SaveButton() const { return bbtnOK; }
    [[nodiscard]] QPushButton* CancelButton() const { return bbtnCancel; }
    [[nodiscard]] const THexEditSheet& Sheet() const { return FSheet; }
    // Grid cells by grid coordinates: the header row and the label column
    // included.
    [[nodiscard]] QString CellText(int column, int row) const;
    // The cell the cursor stands on; column and row 0 when none.
    [[nodiscard]] THexEditCell CurrentCell() const;

    // Grid events.
    void StringGrid1SetEditText(int column, int row, const QString& value);
    bool StringGrid1SelectCell(int column, int row);
    void StringGrid1KeyDown(int key);
    // "Save Changes".
    void bbtnOKClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void CreateControls();
    void FormShow();
    void FormClose();
    void GoToNextCell();
    void MoveTo(THexEditCell cell);
    void Centre();

    HexOffset FOffset;
    std::int64_t FSize;
    THexEditStream* FFileStream;
    THexEditSheet FSheet;
    QString FAdditionalCaption;
    THexEditAsker* FAsker;
    QPointer<const QWidget> FCentreWindow;

    THexEditTableModel* FModel = nullptr;
    THexEditGridView* StringGrid1 = nullptr;
    QPushButton* bbtnOK = nullptr;
    QPushButton* bbtnCancel = nullptr;
    bool FShown = false;
};

// Shows the dialog modally on a stream's range with the suffix appended to
// its caption, centred on parent's window. True when it was closed with
// "Save Changes", whether or not bytes were written. A null stream returns
// false after "dbg: Error in EditFile - invalid filestream.".
bool EditFile(THexEditStream* stream, const QString& captionSuffix, HexOffset offset, std::int64_t size,
              QWidget* parent = nullptr, THexEditAsker* asker = nullptr);
