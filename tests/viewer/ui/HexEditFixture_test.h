#pragma once
// Helpers of the hex edit tests: a user who answers the message boxes from a
// script, a read-write stream on a real file that records its writes and can
// be told to fail, a driver for the modal dialog, and the keys and clicks a
// user sends into the grid.

#include <QColor>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "viewer/model/HexEditFile.h"
#include "viewer/model/HexEditGrid.h"
#include "viewer/ui/HexEditAsker.h"

class THexEditForm;

namespace hexedittest {

// The question asked before the changes are written to the file.
inline const QString kSaveQuestion = QStringLiteral(
    "This action will permanently change the file content. Are you sure you want to save all changes?");

class ScriptedHexEditAsker : public THexEditAsker {
public:
    enum class Kind { Message, Error, Confirmation };
    struct Box {
        Kind kind;
        QString text;
        bool operator==(const Box&) const = default;
    };

    std::vector<Box> boxes;
    std::deque<bool> answers;  // for the confirmations, in order; No once exhausted

    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    bool AskConfirmation(QWidget* parent, const QString& text) override;
};

// A read-write stream on a real file.
class FaultyStream : public THexEditStream {
public:
    explicit FaultyStream(std::unique_ptr<THexEditStream> file);

    struct WriteCall {
        std::int64_t position;
        std::int64_t count;
        bool operator==(const WriteCall&) const = default;
    };
    std::vector<WriteCall> writes;
    int failingWrite = -1;  // index of the write that fails; -1: none
    bool failReads = false;

    [[nodiscard]] std::int64_t Size() const override;
    bool Seek(HexOffset position) override;
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;

private:
    std::unique_ptr<THexEditStream> file_;
    HexOffset position_ = 0;
};

// Runs steps on the hex edit dialog once it shows modally. The steps must
// close it; a dialog left open is a test failure and gets cancelled.
class DialogDriver {
public:
    void WhenShown(std::function<void(THexEditForm&)> steps);
    [[nodiscard]] int Shown() const { return shown_; }

private:
    QObject context_;  // ends pending steps with the test
    int shown_ = 0;
};

// The text a user sees in a grid cell: the header row and the label column
// come from the grid's headers.
QString SeenText(const THexEditForm& form, THexEditCell cell);
// Keys into the open cell editor, or into the grid when none is open.
void TypeText(THexEditForm& form, const QString& text);
void PressKey(THexEditForm& form, int key);
// A left click on a grid cell, or on a row label (column 0).
void ClickCell(THexEditForm& form, THexEditCell cell);
// The colour a cell is painted with, one pixel inside its top-left corner.
QColor PaintedColour(THexEditForm& form, THexEditCell cell);

}  // namespace hexedittest
