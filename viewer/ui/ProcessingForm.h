#pragma once
// The "Processing..." window shown while a stream is extracted: a text of
// progress lines and a Cancel button. One window at a time; the functions
// below act on the one shown and do nothing when none is.
//
// Pending window messages run at most once a second (the first time always),
// so Cancel and repainting respond about once a second during a long copy.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TProcessingForm : public QWidget {
    Q_OBJECT
public:
    explicit TProcessingForm(QWidget* parent = nullptr);

    [[nodiscard]] bool Canceled() const { return FCanceled; }
    [[nodiscard]] QPlainTextEdit* Memo() const { return Memo1; }
    [[nodiscard]] QPushButton* CancelButton() const { return btnCancel; }

    void btnCancelClick() { FCanceled = true; }

private:
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btnCancel = nullptr;
    bool FCanceled = false;
};

// Creates the window centred on parent (or the screen) and shows it, not
// modal.
void ShowProcessingForm(QWidget* parent = nullptr);
void CloseProcessingForm();
void AddMessageToProcessingForm(const QString& text);
void UpdateLastMessageToProcessingForm(const QString& text);
void ClearProcessingForm();
[[nodiscard]] bool IsProcessingCanceled();
// The window shown, or null.
[[nodiscard]] TProcessingForm* ShownProcessingForm();
