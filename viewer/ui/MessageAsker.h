#pragma once
// The questions the main window puts to the user, behind an interface so that
// tests can answer them.

#include <QString>
#include <QStringList>

class QWidget;

class TMessageAsker {
public:
    virtual ~TMessageAsker() = default;
    // A warning with Yes and No, Yes the default. True for Yes.
    virtual bool AskWarningYesNo(QWidget* parent, const QString& text) = 0;
    // The open dialog with its name filters; empty when the user cancelled.
    virtual QString AskOpenFileName(QWidget* parent, const QStringList& nameFilters) = 0;
};

// Message boxes and file dialogs.
class TDialogAsker : public TMessageAsker {
public:
    bool AskWarningYesNo(QWidget* parent, const QString& text) override;
    QString AskOpenFileName(QWidget* parent, const QStringList& nameFilters) override;
};
