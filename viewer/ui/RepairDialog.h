#pragma once
// "Save Repaired Copy": writes a repaired copy of the open file to a new
// file (libs/mparepair) with the options as checkboxes, shows the progress
// while it runs on a worker thread, then the report, and offers to open the
// repaired copy. The open file itself is never written.

#include <QDialog>
#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

#include "libs/mparepair/repair_file.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

class TRepairDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRepairDialog(const QString& inputFileName, QWidget* parent = nullptr);
    // Stops a repair still running and waits for it.
    ~TRepairDialog() override;

    // "<base>-repaired.<extension>" beside the input.
    [[nodiscard]] static QString ProposedOutputName(const QString& inputFileName);

    [[nodiscard]] QLineEdit* OutputEdit() const { return FOutputEdit; }
    [[nodiscard]] QCheckBox* KeepJunkBox() const { return FKeepJunk; }
    [[nodiscard]] QCheckBox* DropTagsBox() const { return FDropTags; }
    [[nodiscard]] QCheckBox* FixCrcBox() const { return FFixCrc; }
    [[nodiscard]] QCheckBox* UpdateVbrBox() const { return FUpdateVbr; }
    [[nodiscard]] QPushButton* RepairButton() const { return FRepairButton; }
    [[nodiscard]] QPushButton* OpenButton() const { return FOpenButton; }
    [[nodiscard]] QPushButton* CloseButton() const { return FCloseButton; }
    [[nodiscard]] QProgressBar* Progress() const { return FProgress; }
    [[nodiscard]] QPlainTextEdit* ReportView() const { return FReport; }

    [[nodiscard]] bool Running() const { return FWorker.joinable(); }
    // After "Open Repaired File": the file to open.
    [[nodiscard]] const QString& FileToOpen() const { return FFileToOpen; }

    // "Repair": starts the repair on a worker thread.
    void RepairClick();
    // "Close": cancels a running repair, or closes.
    void CloseClick();
    void OpenClick();
    void BrowseClick();

signals:
    void RepairFinished(bool succeeded);

private:
    [[nodiscard]] mparepair::options Choice() const;
    void ShowProgress();
    void Finish(const mparepair::file_result& outcome);
    void SetRunning(bool running);

    QString FInput;
    QString FRepaired;
    QString FFileToOpen;
    bool FReplace = false;  // the save dialog asked about an existing file
    std::thread FWorker;
    std::atomic<bool> FCancel{false};
    std::atomic<std::uint64_t> FDone{0};
    std::atomic<std::uint64_t> FTotal{0};

    QLineEdit* FOutputEdit = nullptr;
    QPushButton* FBrowseButton = nullptr;
    QCheckBox* FKeepJunk = nullptr;
    QCheckBox* FDropTags = nullptr;
    QCheckBox* FFixCrc = nullptr;
    QCheckBox* FUpdateVbr = nullptr;
    QProgressBar* FProgress = nullptr;
    QPlainTextEdit* FReport = nullptr;
    QPushButton* FRepairButton = nullptr;
    QPushButton* FOpenButton = nullptr;
    QPushButton* FCloseButton = nullptr;
    QTimer* FProgressTimer = nullptr;
};
