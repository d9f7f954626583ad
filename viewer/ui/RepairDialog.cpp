#include "viewer/ui/RepairDialog.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/debug_output.h"

namespace {

constexpr int kProgressSteps = 1000;

std::string LocalName(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

TRepairDialog::TRepairDialog(const QString& inputFileName, QWidget* parent)
    : QDialog(parent), FInput(inputFileName) {
    setWindowTitle(QStringLiteral("Save Repaired Copy"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Repair of %1").arg(QFileInfo(inputFileName).fileName()), this));

    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(new QLabel(QStringLiteral("Repaired copy:"), this));
    FOutputEdit = new QLineEdit(ProposedOutputName(inputFileName), this);
    outputRow->addWidget(FOutputEdit, 1);
    FBrowseButton = new QPushButton(QStringLiteral("Browse..."), this);
    outputRow->addWidget(FBrowseButton);
    layout->addLayout(outputRow);

    auto* boxes = new QGridLayout;
    FKeepJunk = new QCheckBox(QStringLiteral("Keep junk between frames"), this);
    FDropTags = new QCheckBox(QStringLiteral("Drop tags (ID3, APE, Lyrics3)"), this);
    FFixCrc = new QCheckBox(QStringLiteral("Rewrite frame CRCs that do not match"), this);
    FUpdateVbr = new QCheckBox(QStringLiteral("Update the VBR header's counts"), this);
    FUpdateVbr->setChecked(true);
    boxes->addWidget(FKeepJunk, 0, 0);
    boxes->addWidget(FDropTags, 0, 1);
    boxes->addWidget(FFixCrc, 1, 0);
    boxes->addWidget(FUpdateVbr, 1, 1);
    layout->addLayout(boxes);

    FProgress = new QProgressBar(this);
    FProgress->setRange(0, kProgressSteps);
    FProgress->setValue(0);
    layout->addWidget(FProgress);
    FReport = new QPlainTextEdit(this);
    FReport->setReadOnly(true);
    FReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(FReport, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    FRepairButton = new QPushButton(QStringLiteral("Repair"), this);
    FOpenButton = new QPushButton(QStringLiteral("Open Repaired File"), this);
    FOpenButton->setEnabled(false);
    FCloseButton = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* button : {FRepairButton, FOpenButton, FCloseButton}) buttons->addWidget(button);
    layout->addLayout(buttons);
    FRepairButton->setDefault(true);
    resize(720, 480);

    FProgressTimer = new QTimer(this);
    FProgressTimer->setInterval(100);
    connect(FProgressTimer, &QTimer::timeout, this, &TRepairDialog::ShowProgress);
    connect(FBrowseButton, &QPushButton::clicked, this, &TRepairDialog::BrowseClick);
    connect(FRepairButton, &QPushButton::clicked, this, &TRepairDialog::RepairClick);
    connect(FOpenButton, &QPushButton::clicked, this, &TRepairDialog::OpenClick);
    connect(FCloseButton, &QPushButton::clicked, this, &TRepairDialog::CloseClick);
    // Typing a name by hand takes back the save dialog's permission to replace.
    connect(FOutputEdit, &QLineEdit::textEdited, this, [this] { FReplace = false; });
}

TRepairDialog::~TRepairDialog() {
    FCancel = true;
    if (FWorker.joinable()) FWorker.join();
}

QString TRepairDialog::ProposedOutputName(const QString& inputFileName) {
    const QFileInfo info(inputFileName);
    const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("-repaired") + suffix);
}

mparepair::options TRepairDialog::Choice() const {
    mparepair::options choice;
    choice.keep_junk = FKeepJunk->isChecked();
    choice.drop_tags = FDropTags->isChecked();
    choice.fix_crc = FFixCrc->isChecked();
    choice.update_vbr = FUpdateVbr->isChecked();
    return choice;
}

void TRepairDialog::BrowseClick() {
    // The dialog asks before an existing file is chosen; that answer allows the replacement.
    const QString chosen =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save Repaired Copy"), FOutputEdit->text());
    if (chosen.isEmpty()) return;
    FOutputEdit->setText(chosen);
    FReplace = QFileInfo::exists(chosen);
}

void TRepairDialog::SetRunning(bool running) {
    for (QWidget* control : {static_cast<QWidget*>(FOutputEdit), static_cast<QWidget*>(FBrowseButton),
                             static_cast<QWidget*>(FKeepJunk), static_cast<QWidget*>(FDropTags),
                             static_cast<QWidget*>(FFixCrc), static_cast<QWidget*>(FUpdateVbr),
                             static_cast<QWidget*>(FRepairButton)})
        control->setEnabled(!running);
    FCloseButton->setText(running ? QStringLiteral("Cancel") : QStringLiteral("Close"));
    if (running)
        FProgressTimer->start();
    else
        FProgressTimer->stop();
}

void TRepairDialog::RepairClick() {
    if (Running()) return;
    try {
        const QString output = FOutputEdit->text().trimmed();
        if (output.isEmpty()) return;
        FRepaired = output;
        FOpenButton->setEnabled(false);
        FReport->clear();
        FProgress->setValue(0);
        FCancel = false;
        FDone = 0;
        FTotal = 0;
        SetRunning(true);
        const std::string input = LocalName(FInput);
        const std::string target = LocalName(output);
        const mparepair::options choice = Choice();
        const bool replace = FReplace;
        FWorker = std::thread([this, input, target, choice, replace] {
            const mparepair::file_result outcome =
                mparepair::repair_file(input, target, choice, replace, [this](std::uint64_t done, std::uint64_t total) {
                    FDone = done;
                    FTotal = total;
                    return !FCancel.load();
                });
            QMetaObject::invokeMethod(this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
        });
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TRepairDialog.RepairClick call...");
    }
}

void TRepairDialog::ShowProgress() {
    const std::uint64_t total = FTotal;
    if (total > 0) FProgress->setValue(static_cast<int>(FDone * kProgressSteps / total));
}

void TRepairDialog::Finish(const mparepair::file_result& outcome) {
    if (FWorker.joinable()) FWorker.join();
    SetRunning(false);
    const bool succeeded = outcome.error.empty();
    if (succeeded) {
        FProgress->setValue(kProgressSteps);
        FReport->setPlainText(QString::fromStdString(
            mparepair::report_text(outcome.repaired.changes, QFileInfo(FRepaired).fileName().toStdString())));
    } else {
        FProgress->setValue(0);
        FReport->setPlainText(QString::fromStdString(outcome.error));
    }
    FOpenButton->setEnabled(succeeded);
    if (succeeded) FOpenButton->setDefault(true);
    emit RepairFinished(succeeded);
}

void TRepairDialog::CloseClick() {
    if (Running()) {
        FCancel = true;
        return;
    }
    reject();
}

void TRepairDialog::OpenClick() {
    FFileToOpen = FRepaired;
    accept();
}
