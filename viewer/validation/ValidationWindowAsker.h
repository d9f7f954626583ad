#pragma once
// The validation window's dealings with the user and the desktop, behind an
// interface so that tests can answer them.

#include <QString>
#include <QStringList>

class QWidget;

class TValidationAsker {
public:
    virtual ~TValidationAsker() = default;
    // A message with OK.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No. True for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
    // The save dialog, proposing a file; empty when the user cancelled.
    virtual QString AskSaveFileName(QWidget* parent, const QString& proposed, const QStringList& nameFilters,
                                    const QString& defaultSuffix) = 0;
    // Opens a file with the desktop's application for its type.
    virtual bool OpenFile(const QString& fileName) = 0;
};

// Message boxes, the file dialog and the desktop.
class TValidationDialogAsker : public TValidationAsker {
public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text) override;
    QString AskSaveFileName(QWidget* parent, const QString& proposed, const QStringList& nameFilters,
                            const QString& defaultSuffix) override;
    bool OpenFile(const QString& fileName) override;
};
