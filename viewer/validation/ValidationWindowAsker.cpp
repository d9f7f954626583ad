#include "viewer/validation/ValidationWindowAsker.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "viewer/validation/ValidationReportView.h"

void TValidationDialogAsker::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QString::fromLatin1(validation::kValidationFormCaption), text);
}

bool TValidationDialogAsker::AskYesNo(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QString::fromLatin1(validation::kValidationFormCaption), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString TValidationDialogAsker::AskSaveFileName(QWidget* parent, const QString& proposed,
                                                const QStringList& nameFilters, const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The window asks about an existing file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // The descriptions already name their patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(nameFilters);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool TValidationDialogAsker::OpenFile(const QString& fileName) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}
