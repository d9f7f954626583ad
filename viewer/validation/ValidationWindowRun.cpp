// The validation window: running the ticked modules over the file and
// showing what they report.

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <chrono>
#include <thread>

#include "platform/debug_output.h"
#include "platform/file_exists.h"
#include "platform/utf16_text.h"
#include "viewer/validation/ValidationWindow.h"
#include "viewer/validation/ValidationWindowReportModel.h"

// ---------------------------------------------------------------- start, stop

void TValidationWindow::btnStartValidationClick() {
    try {
        if (!platform::IsExistingFile(FFileName)) {
            FAsker->ShowMessage(this, QString::fromLatin1(validation::kNoFileLoadedMessage));
            return;
        }
        FStopping = false;
        ClearReports();
        if (!AnyModuleTicked()) {
            FAsker->ShowMessage(this, QString::fromLatin1(validation::kNoModulesSelectedMessage));
            return;
        }
        SetRunning(true);
        FReportModel->Clear();
        FReportView.Reset();
        ShowCounters();
        for (std::size_t index = 0; index < FValidationModulesList.size() && !FStopping; ++index)
            if (IsModuleLineTicked(static_cast<int>(index))) RunModule(*FValidationModulesList[index].second);
        VisualizeReports();
        SetRunning(false);
        if (!FStopping) {
            lblProgress->setText(QString::fromStdString(validation::ProgressDoneText()));
            pbProgress->setValue(100);
        }
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.btnValidationClick call...");
        // Back to idle, so that the window can still be closed.
        SetRunning(false);
    }
}

bool TValidationWindow::AnyModuleTicked() const {
    for (int line = 0; line < clbValidationModules->count(); ++line)
        if (IsModuleLineTicked(line)) return true;
    return false;
}

void TValidationWindow::SetRunning(bool running) {
    btnSettings->setEnabled(!running);
    btnClose->setEnabled(!running);
    btnStartValidation->setEnabled(!running);
    btnSaveReport->setEnabled(!running);
    btnStopValidation->setEnabled(running);
}

void TValidationWindow::RunModule(validation::TValidationModule& module) {
    validation::IQuillonControl* control = module.Control();
    if (control == nullptr) return;
    if (validation::IQuillonReset* reset = module.ResetInterface()) reset->Reset();
    const std::u16string fileName = platform::Utf8ToUtf16(FFileName);
    if (control->LoadMediaFile(fileName.c_str()) < 0) return;
    if (control->StartFileValidation() < 0) {
        platform::OutputDebugLine("Error in TValidationWindow.btnStartValidationClick - cannot start file validation.");
        // The module still holds the file it loaded.
        control->UnloadMediaFile();
        return;
    }
    PollModule(*control);
    if (control->StopFileValidation() < 0)
        platform::OutputDebugLine("Error in TValidationWindow.btnStartValidationClick - cannot stop file validation.");
    if (control->UnloadMediaFile() < 0)
        platform::OutputDebugLine("Error in TValidationWindow.btnStartValidationClick - cannot unload file.");
    ShowCounters();
}

void TValidationWindow::PollModule(validation::IQuillonControl& control) {
    using namespace std::chrono_literals;
    while (true) {
        double progress = 0.0;
        control.GetProgress(&progress);
        ShowProgress(progress);
        VisualizeReports();
        if (validation::IsProgressComplete(progress)) {
            VisualizeReports();
            return;
        }
        std::this_thread::sleep_for(10ms);
        // Lets the user press "Stop Validation".
        QCoreApplication::processEvents();
        if (FStopping) return;
    }
}

void TValidationWindow::ShowProgress(double percent) {
    lblProgress->setText(QString::fromStdString(validation::ProgressText(percent)));
    pbProgress->setValue(validation::ProgressBarValue(percent));
}

// ---------------------------------------------------------------- report lines

void TValidationWindow::VisualizeReports() {
    try {
        FReportModel->Append(FReportView.NewRows(FReports, static_cast<std::size_t>(FReportModel->rowCount())));
        ShowCounters();
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.VisualizeReports call...");
    }
}

void TValidationWindow::ShowCounters() {
    const validation::TReportCounters& counters = FReportView.Counters();
    edInfos->setText(QString::number(counters.FInfosCount));
    edWarnings->setText(QString::number(counters.FWarningsCount));
    edErrors->setText(QString::number(counters.FErrorsCount));
}
