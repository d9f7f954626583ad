#pragma once
// The "Extract Elementary Stream" dialog: lists a container's streams with
// their media types, proposes an output file for the selected one and, on
// "Demultiplex and Load", copies a stream of the wanted category into it
// while the processing window shows the size. LoadFileForDemux runs the
// whole exchange.

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer/media/QlDemuxEx.h"
#include "viewer/media/QlDemuxStream.h"
#include "viewer/ui/StreamExtractor.h"

class QLineEdit;
class QPushButton;
class QTableWidget;
class TQlDemuxEx;

// The save dialog and the two message boxes of the "..." button, behind an
// interface so that tests can answer them.
class TQlDemuxStreamAsker {
public:
    virtual ~TQlDemuxStreamAsker() = default;
    // The chosen file name; empty when the user cancelled.
    virtual QString AskSaveFileName(QWidget* parent, const QString& folder, const QString& proposed) = 0;
    // A confirmation with OK and Cancel; true for OK.
    virtual bool AskConfirmation(QWidget* parent, const QString& text) = 0;
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
};

// The file dialog and message boxes.
class TQlDemuxStreamDialogAsker : public TQlDemuxStreamAsker {
public:
    QString AskSaveFileName(QWidget* parent, const QString& folder, const QString& proposed) override;
    bool AskConfirmation(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
};

class TQlDemuxStreamForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxStreams = 128;

    // demux is not owned; asker null: the dialogs and message boxes.
    TQlDemuxStreamForm(QWidget* parent, TQlDemuxEx* demux, std::string fileNameIn, std::int32_t mediaCategory,
                       std::string saveFolder, TQlDemuxStreamAsker* asker = nullptr);
    ~TQlDemuxStreamForm() override;

    [[nodiscard]] const std::string& FileNameOut() const { return FFileNameOut; }

    void ListViewStreamInfoSelectItem();
    void ListViewStreamInfoDblClick();
    void btnSaveFileClick();
    void btnDemuxAndLoadClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void FormShow();
    void RefreshStreamList();
    [[nodiscard]] int SelectedRow() const;
    [[nodiscard]] std::string MakeOutputFileName(const std::string& fileNameIn, std::int32_t mediaType) const;
    // Extracts the row's stream into FFileNameOut, which the file takes only
    // when the extraction is kept; false when it failed.
    bool ExtractToOutput(int row, std::vector<std::uint8_t>& buffer);

    std::string FFileNameIn;
    std::int32_t FQuillonMediaType = 0;
    std::string FFileNameOut;
    std::string FSaveFolder;
    TOutputNameKind FOutputNameKind = TOutputNameKind::kProposed;
    bool FExtractionFailed = false;
    bool FPluginHung = false;  // the plugin did not stop and was left running
    std::array<TStreamInfo, kMaxStreams> FStreamInfo{};
    TQlDemuxEx* FDemux = nullptr;
    TQlDemuxStreamDialogAsker FDialogAsker;
    TQlDemuxStreamAsker* FAsker = nullptr;
    bool FShown = false;

    QTableWidget* ListViewStreamInfo = nullptr;
    QLineEdit* leOutputFileName = nullptr;
    QPushButton* btnSaveFile = nullptr;
    QPushButton* btnDemuxAndLoad = nullptr;
    QPushButton* btnCancel = nullptr;
};

// Opens fileName through the threaded reader (plugins in libraryPath; empty:
// the program's folder), shows the dialog modally and, after OK, sets
// outputName and saveFolder (with its trailing delimiter) from the chosen
// output. False when no plugin takes the file or it holds no stream; true
// otherwise, also when the user cancelled. A plugin that does not answer
// within timeOuts is reported through asker and left running.
bool LoadFileForDemux(QWidget* parent, const std::string& fileName, std::int32_t mediaCategory,
                      std::string& outputName, bool& cancelled, std::string& saveFolder,
                      const std::string& libraryPath = {}, TQlDemuxStreamAsker* asker = nullptr,
                      const TPluginTimeOuts& timeOuts = {});

// The main window's extractor: LoadFileForDemux with the plugins beside the
// program.
class TQlDemuxStreamExtractor : public TStreamExtractor {
public:
    explicit TQlDemuxStreamExtractor(QWidget* parent = nullptr, std::string libraryPath = {},
                                     TQlDemuxStreamAsker* asker = nullptr)
        : FParent(parent), FLibraryPath(std::move(libraryPath)), FAsker(asker) {}

    bool LoadFileForDemux(const std::string& fileName, std::int32_t mediaCategory, std::string& outputName,
                          std::string& folder, bool& cancelled) override;

private:
    QWidget* FParent;
    std::string FLibraryPath;
    TQlDemuxStreamAsker* FAsker;
};
