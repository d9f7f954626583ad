#pragma once
// The message boxes of the hex edit dialog and its command, behind an
// interface so that tests can answer them.

#include <QString>

class QWidget;

class THexEditAsker {
public:
    virtual ~THexEditAsker() = default;
    // A plain message with OK.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // An error box with OK.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // A confirmation with Yes and No. True for Yes.
    virtual bool AskConfirmation(QWidget* parent, const QString& text) = 0;
};

// Message boxes.
class THexEditDialogAsker : public THexEditAsker {
public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    bool AskConfirmation(QWidget* parent, const QString& text) override;
};

// The message boxes everybody shares when nobody else answers.
[[nodiscard]] THexEditAsker& DefaultHexEditAsker();
