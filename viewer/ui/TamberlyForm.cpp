// The main window: controls, menus, show and close, and the small commands.
// Files and frames: TamberlyFormFiles.cpp; saved settings:
// TamberlyFormSettings.cpp.

#include "viewer/ui/TamberlyForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/debug_output.h"
#include "platform/dynamic_library.h"
#include "viewer/model/HexEditText.h"
#include "viewer/ui/AboutWindow.h"
#include "viewer/ui/FrameDetailTree.h"
#include "viewer/ui/FrameListModel.h"
#include "viewer/ui/FrameListView.h"
#include "viewer/ui/HexEditAsker.h"
#include "viewer/ui/HexViewUtils_RichEdit.h"
#include "viewer/ui/MessageAsker.h"
#include "viewer/ui/NavigatorScrollBar.h"
#include "viewer/ui/NavigatorSurface.h"
#include "viewer/shell/ShellTexts.h"
#include "viewer/ui/SplashWindow.h"
#include "viewer/ui/StreamExtractor.h"
#include "viewer/ui/WheelKeyFilter.h"
#include "viewer/validation/ValidationCatalogue.h"
#include "viewer/validation/ValidationWindow.h"

TTamberlyForm::TTamberlyForm(QWidget* parent)
    : QMainWindow(parent), FDialogAsker(std::make_unique<TDialogAsker>()) {
    FAsker = FDialogAsker.get();
    setObjectName(QStringLiteral("TamberlyForm"));
    // The compact size the column widths were laid out for.
    QFont compact = font();
    compact.setPointSize(8);
    setFont(compact);
    CreateControls();
    FSurface = std::make_unique<TFormNavigatorSurface>(*FrameList, *ScrollBar1);
    FActions = std::make_unique<TNavigatorActions>(FNavigator, *FSurface);
    FListModel->SetShading(FActions.get());
    FNavigator.SetItemCountSink([this](int count) { FListModel->SetItemCount(count); });
    CreateMenus();
    CreateStatusBar();
    CreateContextMenus();
    ConnectList();
    FWheelFilter = new TWheelKeyFilter(this);
    qApp->installEventFilter(FWheelFilter);

    const TFormSettings design;
    ApplySettings(design);
    RefreshCaption();
}

TTamberlyForm::~TTamberlyForm() {
    qApp->removeEventFilter(FWheelFilter);
    FNavigator.SetItemCountSink({});
    FHexView.reset();
}

QString TTamberlyForm::CommandLineFile(const QStringList& arguments) { return arguments.value(1); }

void TTamberlyForm::SetMessageAsker(TMessageAsker* asker) { FAsker = asker != nullptr ? asker : FDialogAsker.get(); }

// ---------------------------------------------------------------- controls

void TTamberlyForm::CreateControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ListTreeSplitter = new QSplitter(Qt::Horizontal, central);
    ListTreeSplitter->setObjectName(QStringLiteral("ListTreeSplitter"));
    ListTreeSplitter->setChildrenCollapsible(false);
    ListTreeSplitter->addWidget(CreateListPanel());
    DetailTree = new QTreeWidget(ListTreeSplitter);
    DetailTree->setObjectName(QStringLiteral("DetailTree"));
    SetupFrameDetailTree(DetailTree);
    ListTreeSplitter->addWidget(DetailTree);
    ListTreeSplitter->setStretchFactor(0, 0);  // the left panel keeps its width
    ListTreeSplitter->setStretchFactor(1, 1);

    layout->addWidget(ListTreeSplitter, 1);
    layout->addWidget(CreateHexPanel());
    setCentralWidget(central);
}

QWidget* TTamberlyForm::CreateListPanel() {
    ListPanel = new QWidget(this);
    ListPanel->setObjectName(QStringLiteral("ListPanel"));
    auto* layout = new QHBoxLayout(ListPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FrameList = new TFrameListView(ListPanel);
    FrameList->setObjectName(QStringLiteral("FrameList"));
    FListModel = new TFrameListModel(FNavigator, FrameList);
    FrameList->setModel(FListModel);
    ScrollBar1 = new TNavigatorScrollBar(ListPanel);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    layout->addWidget(FrameList, 1);
    layout->addWidget(ScrollBar1);
    return ListPanel;
}

QWidget* TTamberlyForm::CreateHexPanel() {
    HexPanel = new QWidget(this);
    HexPanel->setObjectName(QStringLiteral("HexPanel"));
    HexPanel->setFixedHeight(kBottomPanelHeight);
    auto* layout = new QVBoxLayout(HexPanel);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    auto* label = new QLabel(QStringLiteral("Hex View"), HexPanel);
    label->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label);

    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    HexText = new QTextEdit(HexPanel);
    HexText->setObjectName(QStringLiteral("HexText"));
    HexText->setReadOnly(true);
    HexText->setLineWrapMode(QTextEdit::NoWrap);
    HexText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HexScrollBar = new QScrollBar(Qt::Vertical, HexPanel);
    HexScrollBar->setObjectName(QStringLiteral("HexScrollBar"));
    row->addWidget(HexText, 1);
    row->addWidget(HexScrollBar);
    layout->addLayout(row, 1);
    return HexPanel;
}

void TTamberlyForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    OpenAction = file->addAction(QStringLiteral("&Open"), this, &TTamberlyForm::Open1Click);
    OpenAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    CloseAction = file->addAction(QStringLiteral("&Close"), this, &TTamberlyForm::Close1Click);
    SaveRepairedAction =
        file->addAction(QStringLiteral("Save Repaired Copy\u2026"), this, &TTamberlyForm::SaveRepairedCopy1Click);
    ExitAction = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    ExitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    CreateRecentFilesMenu(file);
    CreateEditMenu();

    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    HexEditAction = tools->addAction(QStringLiteral("Hex Edit Selected Frame"), this,
                                             &TTamberlyForm::HexEditSelectedFrame1Click);
    ValidationAction = tools->addAction(QStringLiteral("Validation"), this, &TTamberlyForm::Validation1Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    CheckForUpdatesAction =
        help->addAction(QStringLiteral("Check For Updates"), this, &TTamberlyForm::CheckForUpdates1Click);
    CheckForUpdatesAction->setCheckable(true);
    CheckForUpdatesAction->setChecked(FCheckForUpdates);
    AboutAction = help->addAction(QStringLiteral("About"), this, &TTamberlyForm::About1Click);
}

void TTamberlyForm::CreateContextMenus() {
    CopyListAction = new QAction(QStringLiteral("Copy"), this);
    connect(CopyListAction, &QAction::triggered, this, &TTamberlyForm::Copy1Click);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    FrameList->setContextMenuPolicy(Qt::ActionsContextMenu);
    FrameList->addActions({HexEditAction, separator, CopyListAction});

    CopyTreeAction = new QAction(QStringLiteral("Copy"), this);
    connect(CopyTreeAction, &QAction::triggered, this, &TTamberlyForm::Copy2Click);
    DetailTree->setContextMenuPolicy(Qt::ActionsContextMenu);
    DetailTree->addAction(CopyTreeAction);
    auto* treeSeparator = new QAction(this);
    treeSeparator->setSeparator(true);
    ShowAudioDataAction = new QAction(QStringLiteral("Show audio data in the frame tree"), this);
    ShowAudioDataAction->setCheckable(true);
    ShowAudioDataAction->setChecked(FShowAudioData);
    connect(ShowAudioDataAction, &QAction::triggered, this, &TTamberlyForm::ShowAudioData1Click);
    DetailTree->addActions({treeSeparator, ShowAudioDataAction});
    connect(DetailTree, &QTreeWidget::currentItemChanged, this, &TTamberlyForm::DetailTreeItemChanged);
}

void TTamberlyForm::ConnectList() {
    connect(FrameList, &TFrameListView::NavigationKeyPressed, this, &TTamberlyForm::ListView1KeyDown);
    connect(FrameList, &TFrameListView::KeyReleased, this, &TTamberlyForm::ListView1KeyUp);
    connect(FrameList, &TFrameListView::MousePressed, this, &TTamberlyForm::ListView1MouseDown);
    // Queued: the questions of the opening sequence must not run inside the
    // drop itself.
    connect(FrameList, &TFrameListView::FilesDropped, this, &TTamberlyForm::WMDROPFILES, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- show, close, resize

void TTamberlyForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShown) return;
    FShown = true;
    FormShow();
}

void TTamberlyForm::FormShow() {
    try {
        FCheckForUpdates = true;
        FLastUsedModules = 0xFFFFFFFF;
        RefreshCaption();
        LoadRegistrySettings();
        FSaveFolder = FSaveFolder.isEmpty() ? DefaultDemuxFolder() : WithTrailingSeparator(FSaveFolder);
        connect(ScrollBar1, &TNavigatorScrollBar::MouseInteractionEnded, this, &TTamberlyForm::MyScrollMouseDown,
                Qt::UniqueConnection);
        ShowSplash(QString::fromLatin1(kProductName), this);
        FrameList->SetDropTarget(true);
        RefreshCaption();
        CheckForUpdatesAction->setChecked(FCheckForUpdates);
        if (!FCommandLineFile.isEmpty())
            OpenFileInteractive(FCommandLineFile, QString::fromLatin1(kOpenAnywayQuestion));
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.FormShow call...");
    }
}

void TTamberlyForm::closeEvent(QCloseEvent* event) {
    if (!FClosed) {
        FClosed = true;
        FormClose();
    }
    QMainWindow::closeEvent(event);
}

void TTamberlyForm::FormClose() {
    try {
        UnloadFile();
        FrameList->SetDropTarget(false);
        FNavigator.CloseFile();
        SaveRegistrySettings();
        FHexView.reset();
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.FormClose call...");
    }
}

void TTamberlyForm::MyScrollMouseDown() { FActions->MyScrollMouseDown(); }

void TTamberlyForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FActions->FormResize();
}

// ---------------------------------------------------------------- small commands

void TTamberlyForm::RefreshCaption() {
    try {
        const QString name = QFile::decodeName(QByteArray::fromStdString(FNavigator.FileName()));
        setWindowTitle(QString::fromStdString(FormCaption(name.toStdString())));
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.RefreshCaption call...");
    }
}

void TTamberlyForm::Close1Click() {
    try {
        UnloadFile();
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.Close1Click call...");
    }
}

void TTamberlyForm::Copy1Click() {
    try {
        QApplication::clipboard()->setText(QString::fromStdString(FrameListCopyText(FNavigator)));
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.Copy1Click call...");
    }
}

void TTamberlyForm::Copy2Click() {
    try {
        CopyFrameDetailTree(*DetailTree);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.Copy2Click call...");
    }
}

void TTamberlyForm::About1Click() { ShowAbout(QString::fromLatin1(kProductName), std::nullopt, this); }

void TTamberlyForm::Validation1Click() {
    try {
        if (!FNavigator.IsFileOpen()) {
            // The main window's commands share the no-file error box.
            THexEditAsker& asker = FHexEditAsker != nullptr ? *FHexEditAsker : DefaultHexEditAsker();
            asker.ShowError(this, QString::fromLatin1(kHexEditNoFileMessage));
            return;
        }
        const QString modulesFolder = QFile::decodeName(QByteArray::fromStdString(platform::ProgramFolder()));
        // A file named on the command line may be relative; the window and its
        // reports show the full path.
        const QString fileName =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(FNavigator.FileName()))).absoluteFilePath();
        if (FValidationShower)
            FValidationShower(modulesFolder, fileName, validation::kMpegAudioValidatorType, FLastUsedModules);
        else
            ShowValidationWindow(modulesFolder, fileName, validation::kMpegAudioValidatorType, FLastUsedModules,
                                 nullptr, this, [this](std::int64_t offset) { GoToFrameOffset(offset); });
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.Validation1Click call...");
    }
}

void TTamberlyForm::CheckForUpdates1Click() {
    FCheckForUpdates = !FCheckForUpdates;
    CheckForUpdatesAction->setChecked(FCheckForUpdates);
}
