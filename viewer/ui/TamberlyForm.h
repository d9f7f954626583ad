#pragma once
// The viewer's main window: the frame list with its scroll bar on the left,
// the frame detail tree on the right, the hex view across the bottom, the
// menus, and the way a file gets in (open dialog, drop, command line) with
// the acceptance test that decides whether it is shown as a stream.
//
// The window paints and forwards: the page model is TFrameNavigator, its
// movements TNavigatorActions, the texts and the settings store live in
// window-free units. Every handler catches its failures and writes one debug
// line naming "TForm1".

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "viewer/model/FrameNavigator.h"
#include "viewer/model/HexEditFile.h"
#include "viewer/model/NavigatorActions.h"
#include "viewer/ui/FormSettings.h"

class QAction;
class QLabel;
class QMenu;
class QSettings;
struct TGoToTarget;
class QLabel;
class QScrollBar;
class QSplitter;
class QTextEdit;
class QTreeWidget;
class TDialogAsker;
class TFormNavigatorSurface;
class TFrameListModel;
class TFrameListView;
class THexEditAsker;
class THexView;
class TMessageAsker;
class TNavigatorScrollBar;
class TStreamExtractor;
class TWheelKeyFilter;

// Opens the validation window: modules folder, media file, module set, and the
// last-used modules mask it may change. True when the window was shown.
using TValidationWindowShower = std::function<bool(const QString& modulesFolder, const QString& fileName,
                                                   std::uint32_t moduleSet, std::uint32_t& lastUsedMask)>;

// Runs the "Save Repaired Copy" dialog over the open file; returns the
// repaired file the user chose to open (empty: none).
using TRepairRunner = std::function<QString(QWidget* parent, const QString& fileName)>;

class TTamberlyForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kBottomPanelHeight = 210;

    explicit TTamberlyForm(QWidget* parent = nullptr);
    ~TTamberlyForm() override;

    // The file named first on a command line (arguments[1]); empty if none.
    [[nodiscard]] static QString CommandLineFile(const QStringList& arguments);
    // Opened once, when the window is first shown.
    void SetCommandLineFile(const QString& fileName) { FCommandLineFile = fileName; }
    // Who answers the questions and the open dialog (not owned; null: the
    // message boxes and the file dialog).
    void SetMessageAsker(TMessageAsker* asker);
    // Who extracts streams from containers (not owned; null: nobody, every
    // extraction fails).
    void SetStreamExtractor(TStreamExtractor* extractor) { FExtractor = extractor; }
    // Extracts through the demultiplexer plugins in the plugin folder (the
    // program's folder unless set before) with the extraction dialog.
    void UseDemultiplexerPlugins();
    // Where the plugin host looks for the demultiplexer plugins (empty: the
    // program's folder).
    void SetPluginFolder(std::string folder) { FPluginFolder = std::move(folder); }
    // Who answers the hex edit command's and dialog's message boxes (not
    // owned; null: the message boxes).
    void SetHexEditAsker(THexEditAsker* asker) { FHexEditAsker = asker; }
    // How the hex edit command opens the file for writing (empty:
    // OpenHexEditFile).
    void SetHexEditOpener(THexEditOpener opener) { FHexEditOpener = std::move(opener); }
    // How the validation command opens the validation window (empty:
    // ShowValidationWindow).
    void SetValidationWindowShower(TValidationWindowShower shower) { FValidationShower = std::move(shower); }
    // How "Save Repaired Copy" runs its dialog (empty: TRepairDialog).
    void SetRepairRunner(TRepairRunner runner) { FRepairRunner = std::move(runner); }

    // Acceptance test and load steps; with unsecureLoad the file is loaded
    // without any test.
    bool LoadFile(const QString& fileName, bool unsecureLoad);
    bool TryDemuxFile(const QString& fileName, bool& cancelled);
    // The opening sequence: load, else extract, else ask (unless the user
    // cancelled the extraction) and on Yes load without testing.
    bool OpenFileInteractive(const QString& fileName, const QString& question);
    void UnloadFile();
    // Shows the frame at this offset in the detail tree and the hex view.
    void UpdatePack(std::int64_t offset);
    void RefreshCaption();
    void LoadRegistrySettings();
    void SaveRegistrySettings();

    // Commands.
    void Open1Click();
    void Close1Click();
    void Copy1Click();
    void Copy2Click();
    void About1Click();
    void CheckForUpdates1Click();
    // "Show audio data in the frame tree": switches the deeper tree on or off
    // and shows the selected frame again.
    void ShowAudioData1Click();
    void SetShowAudioData(bool show);
    void HexEditSelectedFrame1Click();
    void Validation1Click();
    void SaveRepairedCopy1Click();
    // Edit > Go To: asks for a byte offset, a time or a percentage.
    void GoTo1Click();
    // Goes to what the text names (see ParseGoToText); false when the text is
    // malformed or no frame is found there.
    bool GoToText(const QString& text);
    // Goes to the first usable frame header at or after offset (a validation
    // report item's frame).
    bool GoToFrameOffset(std::int64_t offset);
    // File > Recent Files, the most recent first.
    [[nodiscard]] const QStringList& RecentFiles() const { return FRecentFiles; }
    void WMDROPFILES(const QStringList& fileNames);

    [[nodiscard]] const TFrameNavigator& Navigator() const { return FNavigator; }
    [[nodiscard]] const TNavigatorActions& Actions() const { return *FActions; }
    [[nodiscard]] bool CheckForUpdates() const { return FCheckForUpdates; }
    [[nodiscard]] bool ShowAudioData() const { return FShowAudioData; }
    [[nodiscard]] std::uint32_t LastUsedModules() const { return FLastUsedModules; }
    [[nodiscard]] const QString& SaveFolder() const { return FSaveFolder; }
    [[nodiscard]] THexView* HexView() const { return FHexView.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateListPanel();
    QWidget* CreateHexPanel();
    void CreateMenus();
    void CreateContextMenus();
    void ConnectList();

    // Highlights the bytes of the field chosen in the detail tree.
    void DetailTreeItemChanged();
    void FormShow();
    void FormClose();

    bool PassesAcceptanceTest(const std::string& fileName);
    bool RunLoadSteps(const std::string& fileName);
    void ShowSelectedRow();
    void ListView1KeyDown(TNavigationKey key);
    void ListView1KeyUp();
    void ListView1MouseDown();
    void MyScrollMouseDown();

    TFormSettings CollectSettings() const;
    void ApplySettings(const TFormSettings& settings);
    void CreateEditMenu();
    void CreateStatusBar();
    // The status bar's line for the frame at offset (empty without a file).
    void ShowFramePosition(std::int64_t offset);
    bool GoToTarget(const TGoToTarget& target);
    void CreateRecentFilesMenu(QMenu* file);
    void RefreshRecentFilesMenu();
    void RememberRecentFile(const QString& fileName);
    void ReadRecentFiles(const QSettings& store);
    void WriteRecentFiles(QSettings& store) const;

    TFrameNavigator FNavigator;
    std::unique_ptr<TFormNavigatorSurface> FSurface;
    std::unique_ptr<TNavigatorActions> FActions;
    std::unique_ptr<THexView> FHexView;
    std::unique_ptr<TDialogAsker> FDialogAsker;
    TMessageAsker* FAsker = nullptr;
    TStreamExtractor* FExtractor = nullptr;
    std::unique_ptr<TStreamExtractor> FPluginExtractor;
    std::string FPluginFolder;
    THexEditAsker* FHexEditAsker = nullptr;
    THexEditOpener FHexEditOpener;
    TValidationWindowShower FValidationShower;
    TRepairRunner FRepairRunner;
    TWheelKeyFilter* FWheelFilter = nullptr;

    TFrameListModel* FListModel = nullptr;
    TFrameListView* FrameList = nullptr;
    TNavigatorScrollBar* ScrollBar1 = nullptr;
    QSplitter* ListTreeSplitter = nullptr;
    QWidget* ListPanel = nullptr;
    QTreeWidget* DetailTree = nullptr;
    QWidget* HexPanel = nullptr;
    QTextEdit* HexText = nullptr;
    QScrollBar* HexScrollBar = nullptr;

    QAction* OpenAction = nullptr;
    QAction* CloseAction = nullptr;
    QAction* SaveRepairedAction = nullptr;
    QAction* ExitAction = nullptr;
    QAction* HexEditAction = nullptr;
    QAction* ValidationAction = nullptr;
    QAction* CheckForUpdatesAction = nullptr;
    QAction* AboutAction = nullptr;
    QAction* CopyListAction = nullptr;
    QAction* CopyTreeAction = nullptr;
    QAction* ShowAudioDataAction = nullptr;
    QAction* GoToAction = nullptr;
    QLabel* FramePositionLabel = nullptr;
    QMenu* RecentFilesMenu = nullptr;
    QStringList FRecentFiles;

    QString FSaveFolder;
    std::uint32_t FLastUsedModules = 0xFFFFFFFF;
    bool FCheckForUpdates = true;
    bool FShowAudioData = true;
    std::int64_t FDetailOffset = -1;  // the frame the detail tree shows
    QString FCommandLineFile;
    bool FShown = false;
    bool FClosed = false;
};
