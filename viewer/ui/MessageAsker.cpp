#include "viewer/ui/MessageAsker.h"

#include <QFileDialog>
#include <QMessageBox>

bool TDialogAsker::AskWarningYesNo(QWidget* parent, const QString& text) {
    return QMessageBox::warning(parent, QStringLiteral("Warning"), text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) == QMessageBox::Yes;
}

QString TDialogAsker::AskOpenFileName(QWidget* parent, const QStringList& nameFilters) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The filters carry their patterns twice: in the description, as the user
    // reads them, and in the parentheses the dialog matches with.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(nameFilters);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}
