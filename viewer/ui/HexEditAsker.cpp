#include "viewer/ui/HexEditAsker.h"

#include <QMessageBox>

#include "viewer/shell/ShellTexts.h"

void THexEditDialogAsker::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QString::fromLatin1(kProductName), text);
}

void THexEditDialogAsker::ShowError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QStringLiteral("Error"), text);
}

bool THexEditDialogAsker::AskConfirmation(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

THexEditAsker& DefaultHexEditAsker() {
    static THexEditDialogAsker asker;
    return asker;
}
