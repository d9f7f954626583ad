#include "viewer/ui/QlDemuxStreamForm.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>
#include <new>
#include <vector>

#include "platform/atomic_output.h"
#include "platform/debug_output.h"
#include "viewer/media/QlDemuxEx.h"
#include "viewer/ui/CaptionFit.h"
#include "viewer/ui/ProcessingForm.h"
#include "viewer/ui/WaitCursor.h"

namespace {

void Log(const char* line) { platform::OutputDebugLine(line); }

std::string ToFileSystemName(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString FromFileSystemName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// The dialog's designed size, kept wherever the captions fit in it.
constexpr QSize kDesignedSize(341, 230);

}  // namespace

// ---------------------------------------------------------------- asker

QString TQlDemuxStreamDialogAsker::AskSaveFileName(QWidget* parent, const QString& folder, const QString& proposed) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the dialog asks on its own terms
    dialog.setDirectory(folder);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool TQlDemuxStreamDialogAsker::AskConfirmation(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QString(), text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void TQlDemuxStreamDialogAsker::ShowError(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QString(), text, QMessageBox::Ok);
}

// ---------------------------------------------------------------- dialog

TQlDemuxStreamForm::TQlDemuxStreamForm(QWidget* parent, TQlDemuxEx* demux, std::string fileNameIn,
                                       std::int32_t mediaCategory, std::string saveFolder, TQlDemuxStreamAsker* asker)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      FFileNameIn(std::move(fileNameIn)),
      FQuillonMediaType(mediaCategory),
      FSaveFolder(std::move(saveFolder)),
      FDemux(demux),
      FAsker(asker != nullptr ? asker : &FDialogAsker) {
    setObjectName(QStringLiteral("QlDemuxStreamForm"));
    setWindowTitle(QStringLiteral("Extract Elementary Stream"));
    CreateControls();
    resize(kDesignedSize.expandedTo(minimumSizeHint()));
}

TQlDemuxStreamForm::~TQlDemuxStreamForm() = default;

void TQlDemuxStreamForm::CreateControls() {
    ListViewStreamInfo = new QTableWidget(0, 3, this);
    ListViewStreamInfo->setObjectName(QStringLiteral("ListViewStreamInfo"));
    ListViewStreamInfo->setHorizontalHeaderLabels(
        {QStringLiteral("Prog ID"), QStringLiteral("Stream ID"), QStringLiteral("Stream Type")});
    ListViewStreamInfo->setColumnWidth(0, 60);
    ListViewStreamInfo->setColumnWidth(1, 60);
    ListViewStreamInfo->setColumnWidth(2, 185);
    WidenSectionsToCaptions(ListViewStreamInfo->horizontalHeader());
    ListViewStreamInfo->verticalHeader()->hide();
    ListViewStreamInfo->setShowGrid(true);
    ListViewStreamInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewStreamInfo->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewStreamInfo->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every column shows without scrolling sideways.
    ListViewStreamInfo->setMinimumWidth(ListViewStreamInfo->horizontalHeader()->length() +
                                        2 * ListViewStreamInfo->frameWidth() +
                                        ListViewStreamInfo->verticalScrollBar()->sizeHint().width());

    auto* label = new QLabel(QStringLiteral("Output Filename"), this);
    leOutputFileName = new QLineEdit(QStringLiteral("C:\\Temp\\"), this);
    leOutputFileName->setObjectName(QStringLiteral("leOutputFileName"));
    leOutputFileName->setReadOnly(true);
    btnSaveFile = MakeButton(this, "btnSaveFile", QStringLiteral("..."));
    btnSaveFile->setMaximumWidth(btnSaveFile->fontMetrics().horizontalAdvance(QStringLiteral("...")) * 4);
    btnDemuxAndLoad = MakeButton(this, "btnDemuxAndLoad", QStringLiteral("Demultiplex and Load"));
    btnDemuxAndLoad->setEnabled(false);
    btnCancel = MakeButton(this, "btnCancel", QStringLiteral("Cancel"));

    auto* fileRow = new QHBoxLayout;
    fileRow->setSpacing(1);
    fileRow->addWidget(leOutputFileName, 1);
    fileRow->addWidget(btnSaveFile);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(btnDemuxAndLoad);
    buttonRow->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->setSpacing(4);
    layout->addWidget(ListViewStreamInfo, 1);
    layout->addWidget(label);
    layout->addLayout(fileRow);
    layout->addLayout(buttonRow);

    connect(ListViewStreamInfo, &QTableWidget::itemSelectionChanged, this, [this] { ListViewStreamInfoSelectItem(); });
    connect(ListViewStreamInfo, &QTableWidget::cellDoubleClicked, this, [this] { ListViewStreamInfoDblClick(); });
    connect(btnSaveFile, &QPushButton::clicked, this, [this] { btnSaveFileClick(); });
    // A failed extraction has been reported to the user and left no file:
    // the dialog then closes as cancelled, so that nothing is opened.
    connect(btnDemuxAndLoad, &QPushButton::clicked, this, [this] {
        btnDemuxAndLoadClick();
        if (FExtractionFailed)
            reject();
        else
            accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TQlDemuxStreamForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FShown) return;
    FShown = true;
    if (parentWidget() != nullptr) move(parentWidget()->frameGeometry().center() - rect().center());
    FormShow();
}

void TQlDemuxStreamForm::FormShow() {
    try {
        RefreshStreamList();
        if (ListViewStreamInfo->rowCount() > 0) ListViewStreamInfo->selectRow(0);
    } catch (...) {
        Log("vld: Error in TQlDemuxStreamForm.FormShow call...\r\n");
    }
}

void TQlDemuxStreamForm::RefreshStreamList() {
    try {
        if (FDemux == nullptr) {
            Log("vld: Error in TQlDemuxStreamForm.RefreshStreamList - demultiplexer not set.\r\n");
            return;
        }
        std::int32_t count = 0;
        if (!FDemux->GetStreamsCount(&count)) {
            Log("vld: Error in TQlDemuxStreamForm.RefreshStreamList - could not get the stream count.\r\n");
            count = 0;
        }
        ListViewStreamInfo->setRowCount(0);
        TWaitCursor wait;
        const int rows = std::min<int>(count, kMaxStreams);
        for (int i = 0; i < rows; ++i) {
            TStreamInfo& info = FStreamInfo[static_cast<std::size_t>(i)];
            FDemux->GetStreamMediaType(i, &info.ProgramID, &info.StreamID, &info.MediaType);
            ListViewStreamInfo->insertRow(i);
            ListViewStreamInfo->setItem(i, 0, new QTableWidgetItem(QString::number(info.ProgramID)));
            ListViewStreamInfo->setItem(i, 1, new QTableWidgetItem(QString::number(info.StreamID)));
            ListViewStreamInfo->setItem(i, 2,
                                        new QTableWidgetItem(QString::fromStdString(MediaTypeToStr(info.MediaType))));
        }
    } catch (...) {
        Log("vld: Error in RefreshStreamList call...\r\n");
    }
}

int TQlDemuxStreamForm::SelectedRow() const {
    const QList<QTableWidgetSelectionRange> ranges = ListViewStreamInfo->selectedRanges();
    if (ranges.isEmpty()) return -1;
    const int row = ranges.constFirst().topRow();
    return row >= 0 && row < std::min(ListViewStreamInfo->rowCount(), kMaxStreams) ? row : -1;
}

std::string TQlDemuxStreamForm::MakeOutputFileName(const std::string& fileNameIn, std::int32_t mediaType) const {
    return ::MakeOutputFileName(FSaveFolder, fileNameIn, mediaType);
}

void TQlDemuxStreamForm::ListViewStreamInfoSelectItem() {
    try {
        const int row = SelectedRow();
        if (row < 0) {
            btnDemuxAndLoad->setEnabled(false);
            return;
        }
        const std::int32_t mediaType = FStreamInfo[static_cast<std::size_t>(row)].MediaType;
        FFileNameOut = MakeOutputFileName(FFileNameIn, mediaType);
        FOutputNameKind = TOutputNameKind::kProposed;
        leOutputFileName->setText(FromFileSystemName(FFileNameOut));
        btnDemuxAndLoad->setEnabled(MediaTypeInCategory(FQuillonMediaType, mediaType));
    } catch (...) {
        Log("vld: Error in TQlDemuxStreamForm.ListViewStreamInfoSelectItem call...\r\n");
    }
}

void TQlDemuxStreamForm::ListViewStreamInfoDblClick() {
    try {
        const int row = SelectedRow();
        if (row < 0 || !MediaTypeInCategory(FQuillonMediaType, FStreamInfo[static_cast<std::size_t>(row)].MediaType))
            return;
        btnDemuxAndLoad->click();
    } catch (...) {
        Log("vld: Error in TQlDemuxStreamFrom.ListViewStreamInfoSelectedItem call...\r\n");
    }
}

void TQlDemuxStreamForm::btnSaveFileClick() {
    try {
        const QString current = FromFileSystemName(FFileNameOut);
        const QString picked = FAsker->AskSaveFileName(this, QFileInfo(current).absolutePath(), current);
        if (picked.isEmpty()) return;
        const std::string name = ToFileSystemName(picked);
        const platform::OutputName existing = platform::CheckOutputName(name);
        if (existing != platform::OutputName::kFree) {
            if (!FAsker->AskConfirmation(
                    this, QStringLiteral("The file %1 already exists. Do you want to replace it?").arg(picked)))
                return;
            // Nothing is deleted now: a complete extraction replaces the
            // file, and only a regular file.
            if (existing != platform::OutputName::kRegularFile) {
                FAsker->ShowError(this, QStringLiteral("Cannot delete %1 file.").arg(picked));
                return;
            }
        }
        FFileNameOut = name;
        FOutputNameKind =
            existing == platform::OutputName::kRegularFile ? TOutputNameKind::kReplace : TOutputNameKind::kPicked;
        const QFileInfo info(picked);
        if (info.dir().exists() && !info.fileName().isEmpty()) leOutputFileName->setText(picked);
    } catch (...) {
        Log("vld: Error in TQlDemuxStreamForm.btnSaveFileClick call...\r\n");
    }
}

void TQlDemuxStreamForm::btnDemuxAndLoadClick() {
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(kTransferBufferSize);
    } catch (const std::bad_alloc&) {
        Log("vld: Error in TQlDemuxStreamForm.btnDemuxAndLoadClick - cannot allocate buffer.\r\n");
        return;
    }
    TWaitCursor wait;
    FExtractionFailed = false;
    FPluginHung = false;
    try {
        ShowProcessingForm(parentWidget() != nullptr ? parentWidget() : this);
        AddMessageToProcessingForm(QStringLiteral("Demultiplexing..."));
        AddMessageToProcessingForm(QStringLiteral("Size : 0 bytes"));
        const int row = SelectedRow();
        if (FDemux != nullptr && row >= 0) FExtractionFailed = !ExtractToOutput(row, buffer);
    } catch (...) {
        Log("vld: Error in TQlDemuxStreamForm.btnDemuxAndLoadClick call...\r\n");
    }
    CloseProcessingForm();
    if (FPluginHung)
        FAsker->ShowError(this, QStringLiteral("The plugin did not stop when asked and was left running; "
                                               "%1 was not written.")
                                    .arg(FromFileSystemName(FFileNameOut)));
    else if (FExtractionFailed)
        FAsker->ShowError(this, QStringLiteral("The extraction failed; %1 was not written.")
                                    .arg(FromFileSystemName(FFileNameOut)));
}

bool TQlDemuxStreamForm::ExtractToOutput(int row, std::vector<std::uint8_t>& buffer) {
    platform::AtomicOutputFile output;
    if (!output.Create(FFileNameOut)) {
        Log("vld: Error in TQlDemuxStreamForm.btnDemuxAndLoadClick call...\r\n");
        return false;
    }
    const TExtraction extraction =
        ExtractStreamToHandle(*FDemux, row, output.Handle(), buffer, [](std::int64_t size) {
            UpdateLastMessageToProcessingForm(QStringLiteral("Size : %1 bytes").arg(size));
            return !IsProcessingCanceled();
        });
    FPluginHung = extraction.end == TExtractionEnd::kPluginHung;
    // A cancelled extraction keeps what was written, for the viewer to open.
    if (!extraction.Kept()) return false;
    return CommitExtractedFile(output, FFileNameOut, FOutputNameKind, FSaveFolder, FFileNameIn,
                               FStreamInfo[static_cast<std::size_t>(row)].MediaType);
}

// ---------------------------------------------------------------- the whole exchange

namespace {

void ReportHungPlugin(QWidget* parent, const TQlDemuxEx& demux, const std::string& fileName,
                      TQlDemuxStreamAsker* asker) {
    if (!demux.PluginHung()) return;
    TQlDemuxStreamDialogAsker dialogAsker;
    (asker != nullptr ? asker : &dialogAsker)
        ->ShowError(parent, QStringLiteral("The plugin did not answer and was left running; %1 was not opened.")
                                .arg(FromFileSystemName(fileName)));
}

}  // namespace

bool LoadFileForDemux(QWidget* parent, const std::string& fileName, std::int32_t mediaCategory,
                      std::string& outputName, bool& cancelled, std::string& saveFolder,
                      const std::string& libraryPath, TQlDemuxStreamAsker* asker, const TPluginTimeOuts& timeOuts) {
    cancelled = false;
    try {
        std::unique_ptr<TQlDemuxEx> demux;
        try {
            demux = std::make_unique<TQlDemuxEx>(libraryPath, timeOuts);
        } catch (...) {
            Log("vld: Error in LoadFileForDemux - cannot create demux object.");
            return false;
        }
        if (!demux->LoadFile(fileName)) {
            Log("vld: Error in LoadFileForDemux - cannot load file calling Demux.LoadFile.");
            ReportHungPlugin(parent, *demux, fileName, asker);
            return false;
        }
        std::int32_t count = 0;
        if (!demux->GetStreamsCount(&count) || count <= 0) {
            Log("vld: Error in LoadFileForDemux - no streams found with Demux.GetStreamsCount.");
            ReportHungPlugin(parent, *demux, fileName, asker);
            return false;
        }
        TQlDemuxStreamForm form(parent, demux.get(), fileName, mediaCategory, saveFolder, asker);
        if (form.exec() == QDialog::Accepted) {
            outputName = form.FileNameOut();
            saveFolder = FolderOf(outputName);
        } else {
            cancelled = true;
        }
        return true;
    } catch (...) {
        Log("vld: Error in LoadFileForDemux call...");
        return false;
    }
}

bool TQlDemuxStreamExtractor::LoadFileForDemux(const std::string& fileName, std::int32_t mediaCategory,
                                               std::string& outputName, std::string& folder, bool& cancelled) {
    return ::LoadFileForDemux(FParent, fileName, mediaCategory, outputName, cancelled, folder, FLibraryPath, FAsker);
}
