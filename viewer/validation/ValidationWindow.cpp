// The validation window: controls, showing and closing, and opening it.
// Running: ValidationWindowRun.cpp; saving and settings:
// ValidationWindowSave.cpp.

#include "viewer/validation/ValidationWindow.h"

#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>
#include <vector>

#include "platform/debug_output.h"
#include "viewer/ui/CaptionFit.h"
#include "viewer/validation/ValidationWindowReportModel.h"

namespace {

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QPushButton* AddButton(QBoxLayout* layout, const char* text, const char* name) {
    auto* button = new QPushButton(QString::fromLatin1(text));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

QLineEdit* AddCounter(QBoxLayout* layout, const char* label, const char* name) {
    layout->addWidget(new QLabel(QString::fromLatin1(label)));
    auto* field = new QLineEdit(QStringLiteral("0"));
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setMaximumWidth(60);
    layout->addWidget(field);
    return field;
}

}  // namespace

TValidationWindow::TValidationWindow(QWidget* parent, TValidationAsker* asker)
    : QDialog(parent), FAsker(asker != nullptr ? asker : &FDialogAsker) {
    setObjectName(QStringLiteral("ValidationWindow"));
    setWindowTitle(QString::fromLatin1(validation::kValidationFormCaption));
    CreateControls();
    resize(1004, 352);
}

TValidationWindow::~TValidationWindow() {
    if (!FClosed) FormClose();
}

bool TValidationWindow::IsRunning() const { return !btnStartValidation->isEnabled(); }

// ---------------------------------------------------------------- controls

void TValidationWindow::CreateControls() {
    auto* top = new QHBoxLayout;
    top->addWidget(CreateReportGroup(), 1);
    auto* side = new QVBoxLayout;
    side->addWidget(CreateModulesGroup(), 1);
    side->addWidget(CreateCountersGroup());
    top->addLayout(side);

    auto* buttons = new QHBoxLayout;
    btnStartValidation = AddButton(buttons, "Start Validation", "btnStartValidation");
    btnStopValidation = AddButton(buttons, "Stop Validation", "btnStopValidation");
    btnSaveReport = AddButton(buttons, "Save Report", "btnSaveReport");
    buttons->addStretch(1);
    btnClose = AddButton(buttons, "Close", "btnClose");
    btnStopValidation->setEnabled(false);
    btnSaveReport->setEnabled(false);
    connect(btnStartValidation, &QPushButton::clicked, this, &TValidationWindow::btnStartValidationClick);
    connect(btnStopValidation, &QPushButton::clicked, this, &TValidationWindow::btnStopValidationClick);
    connect(btnSaveReport, &QPushButton::clicked, this, &TValidationWindow::btnSaveReportClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(CreateProgressRow());
    layout->addLayout(buttons);
}

QWidget* TValidationWindow::CreateReportGroup() {
    auto* group = new QGroupBox(QStringLiteral("Media Validation Report"));
    lvReport = new QTableView(group);
    lvReport->setObjectName(QStringLiteral("lvReport"));
    FReportModel = new TReportListModel(this);
    lvReport->setModel(FReportModel);
    lvReport->verticalHeader()->hide();
    lvReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvReport->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvReport->setSelectionMode(QAbstractItemView::SingleSelection);
    lvReport->setShowGrid(true);
    lvReport->setWordWrap(false);
    lvReport->setColumnWidth(0, 50);
    lvReport->setColumnWidth(1, 160);
    lvReport->setColumnWidth(2, 50);
    lvReport->setColumnWidth(3, 60);
    lvReport->setColumnWidth(4, 460);
    connect(lvReport, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { lvReportDblClick(index.row()); });
    WidenSectionsToCaptions(lvReport->horizontalHeader());
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(lvReport);
    return group;
}

QWidget* TValidationWindow::CreateModulesGroup() {
    auto* group = new QGroupBox(QStringLiteral("Validation Modules"));
    clbValidationModules = new QListWidget(group);
    clbValidationModules->setObjectName(QStringLiteral("clbValidationModules"));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(clbValidationModules, 1);
    btnSettings = AddButton(layout, "Validation Module Settings", "btnSettings");
    connect(btnSettings, &QPushButton::clicked, this, &TValidationWindow::btnSettingsClick);
    return group;
}

QWidget* TValidationWindow::CreateCountersGroup() {
    auto* group = new QGroupBox(QStringLiteral("Validation Reports"));
    auto* layout = new QHBoxLayout(group);
    edInfos = AddCounter(layout, "Infos", "edInfos");
    edWarnings = AddCounter(layout, "Warnings", "edWarnings");
    edErrors = AddCounter(layout, "Errors", "edErrors");
    return group;
}

QWidget* TValidationWindow::CreateProgressRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    lblProgress = new QLabel(QStringLiteral("Progress:"), row);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setMinimumWidth(200);
    pbProgress = new QProgressBar(row);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setRange(0, 100);
    pbProgress->setValue(0);
    layout->addWidget(lblProgress);
    layout->addWidget(pbProgress, 1);
    return row;
}

// ---------------------------------------------------------------- create, show, close

void TValidationWindow::FormCreate(const QString& modulesFolder, const QString& fileName,
                                   std::uint32_t moduleSet, std::uint32_t lastUsedMask) {
    try {
        FValidationModulesFolder = ToPath(modulesFolder);
        FFileName = ToPath(fileName);
        FModulesFlags = moduleSet;
        FLastUsedModulesMask = lastUsedMask;
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.FormCreate call...");
    }
}

void TValidationWindow::LoadValidationModules() {
    try {
        FValidationModulesList = validation::LoadValidationModules(FValidationModulesFolder, FModulesFlags, &FReports);
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.LoadValidationModules call...");
    }
}

void TValidationWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TValidationWindow::FormShow() {
    try {
        ClearReports();
        clbValidationModules->clear();
        std::vector<std::string> names;
        for (const auto& [path, module] : FValidationModulesList) {
            auto* line = new QListWidgetItem(QString::fromStdString(module->Name()), clbValidationModules);
            line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
            line->setCheckState(validation::IsModuleTicked(module->Name(), FLastUsedModulesMask) ? Qt::Checked
                                                                                                 : Qt::Unchecked);
            names.push_back(module->Name());
        }
        if (clbValidationModules->count() > 0) clbValidationModules->setCurrentRow(0);
        setWindowTitle(QString::fromStdString(
            validation::ValidationCaption(validation::kValidationFormCaption, FFileName, names)));
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.FormShow call...");
    }
}

void TValidationWindow::done(int result) {
    if (IsRunning()) return;
    if (!FClosed) FormClose();
    QDialog::done(result);
}

void TValidationWindow::FormClose() {
    try {
        FClosed = true;
        ClearReports();
        std::vector<std::pair<std::string, bool>> lines;
        for (int line = 0; line < clbValidationModules->count(); ++line)
            lines.emplace_back(clbValidationModules->item(line)->text().toStdString(), IsModuleLineTicked(line));
        if (!lines.empty() || !FValidationModulesList.empty())
            FLastUsedModulesMask = validation::TickedModulesMask(lines);
        UnloadValidationModules();
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.FormClose call...");
    }
}

void TValidationWindow::ClearReports() {
    try {
        FReports.Clear();
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.ClearReports call...");
    }
}

void TValidationWindow::UnloadValidationModules() {
    try {
        FValidationModulesList.clear();
    } catch (...) {
        platform::OutputDebugLine("Error in TValidationWindow.UnloadValidationModules call...");
    }
}

bool TValidationWindow::IsModuleLineTicked(int line) const {
    const QListWidgetItem* item = clbValidationModules->item(line);
    return item != nullptr && item->checkState() == Qt::Checked;
}

// ---------------------------------------------------------------- opening

bool ShowValidationWindow(const QString& modulesFolder, const QString& fileName, std::uint32_t moduleSet,
                          std::uint32_t& lastUsedMask, TValidationAsker* asker, QWidget* parent,
                          TValidationWindow::TFrameOffsetHandler onFrameOffset) {
    try {
        TValidationWindow window(parent, asker);
        window.SetFrameOffsetHandler(std::move(onFrameOffset));
        window.FormCreate(modulesFolder, fileName, moduleSet, lastUsedMask);
        window.LoadValidationModules();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = window.frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window.move(frame.topLeft());
        }
        window.exec();
        lastUsedMask = window.LastUsedModulesMask();
        return true;
    } catch (...) {
        platform::OutputDebugLine("Error in ShowValidationWindow call...");
        return false;
    }
}
