// The validation window: saving the report and the module settings.

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QStringList>

#include "platform/atomic_output.h"
#include "platform/debug_output.h"
#include "viewer/shell/ShellTexts.h"
#include "viewer/validation/ValidationWindow.h"

namespace {

QStringList SaveDialogFilters() {
    QStringList filters;
    for (const TNameFilter& filter : ParseNameFilters(validation::kReportSaveFilter))
        filters << QString::fromStdString(DialogNameFilter(filter));
    return filters;
}

}  // namespace

// ---------------------------------------------------------------- settings

void TValidationWindow::btnSettingsClick() {
    try {
        const int line = clbValidationModules->currentRow();
        if (line < 0 || static_cast<std::size_t>(line) >= FValidationModulesList.size()) return;
        if (validation::IQuillonControl* control = FValidationModulesList[line].second->Control())
            control->ShowSettings(0);
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.btnSettingsClick call...");
    }
}

// ---------------------------------------------------------------- saving

void TValidationWindow::btnSaveReportClick() {
    try {
        if (FReports.Count() == 0) {
            FAsker->ShowMessage(this, QString::fromLatin1(validation::kReportListEmptyMessage));
            return;
        }
        const QString proposed = QFile::decodeName(QByteArray::fromStdString(
            validation::ProposedReportFileName(FFileName)));
        const QString chosen = FAsker->AskSaveFileName(this, proposed, SaveDialogFilters(),
                                                       QString::fromLatin1(validation::kReportDefaultExtension));
        if (chosen.isEmpty()) return;
        const std::string reportFileName = QFile::encodeName(chosen).toStdString();
        const platform::OutputName existing = platform::CheckOutputName(reportFileName);
        if (existing != platform::OutputName::kFree) {
            if (!FAsker->AskYesNo(this, QString::fromLatin1(validation::kReplaceReportQuestion))) return;
            // Only a regular file is replaced, and only by a complete report.
            if (existing != platform::OutputName::kRegularFile) {
                FAsker->ShowMessage(this, QString::fromLatin1(validation::kCannotDeleteReportMessage));
                return;
            }
        }
        FReplaceReport = existing == platform::OutputName::kRegularFile;
        const validation::HResult saved = SaveReport(validation::ReportFormatForFileName(reportFileName), reportFileName);
        FReplaceReport = false;
        if (saved == validation::kOk)
            FAsker->OpenFile(chosen);
        else
            FAsker->ShowMessage(this, QString::fromLatin1(validation::kErrorSavingReportMessage));
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.btnSaveReportClick call...");
    }
}

validation::HResult TValidationWindow::SaveReport(validation::ReportFormat format,
                                                  const std::string& reportFileName) {
    switch (format) {
        case validation::ReportFormat::HTML: return SaveReportHTML(reportFileName);
        case validation::ReportFormat::PDF: return SaveReportPDF(reportFileName);
        case validation::ReportFormat::XML: return SaveReportXML(reportFileName);
        case validation::ReportFormat::CSV: return SaveReportCSV(reportFileName);
        default: return SaveReportTXT(reportFileName);
    }
}

namespace {

// No run is under way while saving, so the items are read as they stand.
validation::HResult SaveItems(validation::ReportFormat format, const std::string& mediaFileName,
                              const std::string& reportFileName, const validation::TValidationReports& reports,
                              bool replace) {
    try {
        return validation::SaveReportItems(format, mediaFileName, reportFileName, reports.Snapshot(), replace);
    } catch (...) {
        platform::OutputDebugLine(std::string("Error in TValidationWindow.SaveReport") +
                                  validation::ReportFormatName(format) + " call...");
        return validation::kFail;
    }
}

}  // namespace

validation::HResult TValidationWindow::SaveReportHTML(const std::string& reportFileName) {
    return SaveItems(validation::ReportFormat::HTML, FFileName, reportFileName, FReports, FReplaceReport);
}

validation::HResult TValidationWindow::SaveReportPDF(const std::string& reportFileName) {
    return SaveItems(validation::ReportFormat::PDF, FFileName, reportFileName, FReports, FReplaceReport);
}

validation::HResult TValidationWindow::SaveReportXML(const std::string& reportFileName) {
    return SaveItems(validation::ReportFormat::XML, FFileName, reportFileName, FReports, FReplaceReport);
}

validation::HResult TValidationWindow::SaveReportCSV(const std::string& reportFileName) {
    return SaveItems(validation::ReportFormat::CSV, FFileName, reportFileName, FReports, FReplaceReport);
}

validation::HResult TValidationWindow::SaveReportTXT(const std::string& reportFileName) {
    return SaveItems(validation::ReportFormat::TXT, FFileName, reportFileName, FReports, FReplaceReport);
}
