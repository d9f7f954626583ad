#pragma once
// The "Media Validation" window: runs the validation modules over the open
// file one after another, shows their report items as they arrive, counts
// them and saves them in one of five formats. What it shows is built by the
// window-free TReportView; the modules are TValidationModule.
//
// Handlers catch their failures and write one debug line naming
// "TValidationWindow".

#include <QDialog>

#include <functional>
#include <QString>

#include <cstdint>
#include <string>

#include "viewer/validation/ReportSaving.h"
#include "viewer/validation/ValidationModule.h"
#include "viewer/validation/ValidationReportView.h"
#include "viewer/validation/ValidationReports.h"
#include "viewer/validation/ValidationWindowAsker.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QShowEvent;
class QTableView;
class TReportListModel;

class TValidationWindow : public QDialog {
    Q_OBJECT
public:
    // asker not owned; null: message boxes, the file dialog and the desktop.
    explicit TValidationWindow(QWidget* parent = nullptr, TValidationAsker* asker = nullptr);
    ~TValidationWindow() override;

    // Stores the modules folder (with a trailing separator), the media file,
    // the module types to load and the ticked types of the last run.
    void FormCreate(const QString& modulesFolder, const QString& fileName, std::uint32_t moduleSet,
                    std::uint32_t lastUsedMask);
    // Loads the modules of the set from the folder, in catalogue order.
    void LoadValidationModules();

    // The ticked module types, recorded when the window closes.
    [[nodiscard]] std::uint32_t LastUsedModulesMask() const { return FLastUsedModulesMask; }
    [[nodiscard]] const validation::TValidationReports& Reports() const { return FReports; }
    [[nodiscard]] const validation::TValidationModuleList& Modules() const { return FValidationModulesList; }
    [[nodiscard]] bool IsRunning() const;

    // Called with the frame offset a double-clicked report item names.
    using TFrameOffsetHandler = std::function<void(std::int64_t offset)>;
    void SetFrameOffsetHandler(TFrameOffsetHandler handler) { FFrameOffsetHandler = std::move(handler); }
    void lvReportDblClick(int row);

    // Handlers.
    void FormShow();
    void btnStartValidationClick();
    void btnStopValidationClick() { FStopping = true; }
    void btnSettingsClick();
    void btnSaveReportClick();
    void VisualizeReports();

    // The five formats: kOk, or kFail when the report cannot be written.
    validation::HResult SaveReportHTML(const std::string& reportFileName);
    validation::HResult SaveReportPDF(const std::string& reportFileName);
    validation::HResult SaveReportXML(const std::string& reportFileName);
    validation::HResult SaveReportCSV(const std::string& reportFileName);
    validation::HResult SaveReportTXT(const std::string& reportFileName);

public slots:
    // Refused while a run is under way.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateReportGroup();
    QWidget* CreateModulesGroup();
    QWidget* CreateCountersGroup();
    QWidget* CreateProgressRow();

    void FormClose();
    void ClearReports();
    void UnloadValidationModules();
    void SetRunning(bool running);
    [[nodiscard]] bool IsModuleLineTicked(int line) const;
    [[nodiscard]] bool AnyModuleTicked() const;
    void RunModule(validation::TValidationModule& module);
    void PollModule(validation::IQuillonControl& control);
    void ShowProgress(double percent);
    void ShowCounters();
    validation::HResult SaveReport(validation::ReportFormat format, const std::string& reportFileName);

    std::string FValidationModulesFolder;
    std::uint32_t FModulesFlags = 0;
    std::string FFileName;
    // The user agreed to replace the existing report file being saved: the
    // complete report takes its place (nothing is deleted before).
    bool FReplaceReport = false;
    // The report list outlives the modules that report into it.
    validation::TValidationReports FReports;
    validation::TValidationModuleList FValidationModulesList;
    bool FStopping = false;
    std::uint32_t FLastUsedModulesMask = 0;
    validation::TReportView FReportView;  // holds the Infos, Warnings and Errors counts
    bool FClosed = false;

    TValidationDialogAsker FDialogAsker;
    TValidationAsker* FAsker;

    TFrameOffsetHandler FFrameOffsetHandler;
    QTableView* lvReport = nullptr;
    TReportListModel* FReportModel = nullptr;  // owned by the window
    QListWidget* clbValidationModules = nullptr;
    QPushButton* btnSettings = nullptr;
    QLineEdit* edInfos = nullptr;
    QLineEdit* edWarnings = nullptr;
    QLineEdit* edErrors = nullptr;
    QPushButton* btnStartValidation = nullptr;
    QPushButton* btnStopValidation = nullptr;
    QPushButton* btnSaveReport = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* lblProgress = nullptr;
    QProgressBar* pbProgress = nullptr;
};

// Opens the window modally over the file with the modules of the set and
// hands back the ticked module types in lastUsedMask. True when the window
// was shown; false (with "Error in ShowValidationWindow call...") otherwise.
bool ShowValidationWindow(const QString& modulesFolder, const QString& fileName, std::uint32_t moduleSet,
                          std::uint32_t& lastUsedMask, TValidationAsker* asker = nullptr,
                          QWidget* parent = nullptr, TValidationWindow::TFrameOffsetHandler onFrameOffset = {});
