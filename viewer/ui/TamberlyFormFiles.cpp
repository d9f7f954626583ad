// The main window's files and frames: the acceptance test, the load and
// unload steps, the opening sequence (open dialog, drop, command line), the
// extraction hand-off and the detail of the selected frame.

#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextEdit>
#include <QTreeWidget>

#include <filesystem>
#include <stdexcept>

#include "platform/debug_output.h"
#include "viewer/media/FileAcceptance.h"
#include "viewer/media/QlDemux.h"
#include "viewer/model/FrameAnatomy.h"
#include "viewer/model/FrameDetail.h"
#include "viewer/ui/FrameDetailTree.h"
#include "viewer/ui/FrameListView.h"
#include "viewer/ui/HexViewUtils_RichEdit.h"
#include "viewer/ui/MessageAsker.h"
#include "viewer/ui/QlDemuxStreamForm.h"
#include "viewer/shell/ShellTexts.h"
#include "viewer/ui/StreamExtractor.h"
#include "viewer/ui/TamberlyForm.h"
#include "viewer/ui/WaitCursor.h"

namespace {

std::string ToFileSystemName(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString FromFileSystemName(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

// What the open dialog and a drop accept: an existing file, not a folder.
bool IsExistingFile(const QString& name) { return QFileInfo(name).isFile(); }

}  // namespace

// ---------------------------------------------------------------- acceptance and load

bool TTamberlyForm::LoadFile(const QString& fileName, bool unsecureLoad) {
    try {
        const std::string name = ToFileSystemName(fileName);
        if (!unsecureLoad && !PassesAcceptanceTest(name)) return false;
        return RunLoadSteps(name);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.LoadFile call...");
        return false;
    }
}

// The window-free decision; the vote's version, layer and sampling index become the
// navigator's expectation once the container probes have passed.
bool TTamberlyForm::PassesAcceptanceTest(const std::string& fileName) {
    const TFileAcceptance acceptance = DecideFileAcceptance(fileName, FPluginFolder);
    if (acceptance.Verdict == TFileVerdict::Unreadable) throw std::runtime_error("the file cannot be opened");
    if (acceptance.HasExpectation())
        FNavigator.SetExpectation(acceptance.Probes.Layer, acceptance.Probes.SamplingIndex, acceptance.Probes.ExpectedVersion());
    return acceptance.Verdict == TFileVerdict::MpegAudio;
}

void TTamberlyForm::UseDemultiplexerPlugins() {
    FPluginExtractor = std::make_unique<TQlDemuxStreamExtractor>(this, FPluginFolder);
    FExtractor = FPluginExtractor.get();
}

bool TTamberlyForm::RunLoadSteps(const std::string& fileName) {
    HexText->clear();
    DetailTree->clear();
    // The new file gets a new hex view once the first frame is shown, so the
    // hex view ends at offset 0 without a highlight.
    FHexView.reset();
    if (!FNavigator.OpenFile(fileName)) {
        UnloadFile();  // nothing of the previous file stays half open
        throw std::runtime_error("the file cannot be opened");
    }
    RefreshCaption();
    FActions->ShowFromStart();
    if (FNavigator.FramesCount() > 0) {
        FrameList->setFocus();
        FrameList->SelectRow(0);
        ShowSelectedRow();
    }
    FHexView = std::make_unique<THexView>();
    FHexView->Init(HexText, HexScrollBar);
    FHexView->OpenFile(fileName);
    FrameList->viewport()->update();
    RememberRecentFile(FromFileSystemName(fileName));
    return true;
}

void TTamberlyForm::UnloadFile() {
    try {
        FNavigator.CloseFile();
        RefreshCaption();
        FActions->ShowNothing();
        // The hex view object stays, but it no longer shows the closed file.
        if (FHexView) FHexView->CloseFile();
        HexText->clear();
        DetailTree->clear();
        ShowFramePosition(-1);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.UnloadFile call...");
    }
}

// ---------------------------------------------------------------- extraction and opening

bool TTamberlyForm::TryDemuxFile(const QString& fileName, bool& cancelled) {
    cancelled = false;
    try {
        if (FExtractor == nullptr) return false;  // no demultiplexer: the extraction fails
        std::string outputName = FNavigator.FileName();
        std::string folder = ToFileSystemName(FSaveFolder);
        const bool extracted = FExtractor->LoadFileForDemux(ToFileSystemName(fileName), kMediaCategoryMPEGAudio,
                                                            outputName, folder, cancelled);
        FSaveFolder = FromFileSystemName(folder);
        std::error_code error;
        if (!extracted || cancelled || !std::filesystem::exists(outputName, error)) return false;
        return LoadFile(FromFileSystemName(outputName), false);
    } catch (...) {
        platform::OutputDebugLine("vld: Error in TForm1.TryDemuxFile() call...");
        return false;
    }
}

bool TTamberlyForm::OpenFileInteractive(const QString& fileName, const QString& question) {
    if (LoadFile(fileName, false)) return true;
    bool cancelled = false;
    if (TryDemuxFile(fileName, cancelled)) return true;
    if (cancelled) return false;
    if (!FAsker->AskWarningYesNo(this, question)) return false;
    return LoadFile(fileName, true);
}

void TTamberlyForm::Open1Click() {
    try {
        QStringList filters;
        for (const TNameFilter& filter : ParseNameFilters(kOpenDialogFilter))
            filters << QString::fromStdString(DialogNameFilter(filter));
        const QString fileName = FAsker->AskOpenFileName(this, filters);
        if (fileName.isEmpty() || !IsExistingFile(fileName)) return;
        TWaitCursor wait;
        OpenFileInteractive(fileName, QString::fromLatin1(kOpenAnywayQuestion));
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.Open1Click call...");
    }
}

void TTamberlyForm::WMDROPFILES(const QStringList& fileNames) {
    try {
        for (const QString& fileName : fileNames) {
            if (!IsExistingFile(fileName)) continue;
            UnloadFile();
            OpenFileInteractive(fileName, QString::fromLatin1(kDroppedOpenAnywayQuestion));
        }
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.WMDROPFILES call...");
    }
}

// ---------------------------------------------------------------- selected frame

void TTamberlyForm::UpdatePack(std::int64_t offset) {
    TWaitCursor wait;
    try {
        TMPAFrame frame{};
        if (!FNavigator.ReadFrameAt(offset, frame)) return;
        if (FHexView) {
            FHexView->RefreshFileData(offset);
            FHexView->SetSelection(offset, frame.PackLength);
        }
        TFrameBytes bytes;
        const bool deep = FShowAudioData && FNavigator.ReadFrameBytes(offset, bytes);
        FDetailOffset = offset;
        ShowFrameAnatomy(DetailTree, BuildFrameAnatomy(frame, FNavigator.AudioStart(), deep ? &bytes : nullptr), offset);
        ShowFramePosition(offset);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.UpdatePack call...");
    }
}

// The selected row in the detail tree; an empty row clears the tree.
void TTamberlyForm::ShowSelectedRow() {
    const int row = FrameList->SelectedRow();
    if (row < 0) return;
    const std::string text = FNavigator.ListView1Data(row)[0];
    std::int64_t offset = 0;
    if (text.empty() || !TFrameNavigator::TextToOffset(text, offset)) {
        DetailTree->clear();
        return;
    }
    UpdatePack(offset);
}

void TTamberlyForm::ListView1KeyDown(TNavigationKey key) {
    FActions->ListView1KeyDown(key, FrameList->SelectedRow());
}

void TTamberlyForm::ListView1KeyUp() {
    try {
        ShowSelectedRow();
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.ListView1KeyUp call...");
    }
}

void TTamberlyForm::ListView1MouseDown() {
    try {
        ShowSelectedRow();
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.ListView1MouseDown call...");
    }
}
