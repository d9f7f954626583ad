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
#include "viewer/ui/ShellTexts.h"
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
    FSurface = std::make_unique<TFormNavigatorSurface>(*ListView1, *ScrollBar1);
    FActions = std::make_unique<TNavigatorActions>(FNavigator, *FSurface);
    FListModel->SetShading(FActions.get());
    FNavigator.SetItemCountSink([this](int count) { FListModel->SetItemCount(count); });
    CreateMenus();
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

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(CreateListPanel());
    TreeView1 = new QTreeWidget(Splitter1);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    SetupFrameDetailTree(TreeView1);
    Splitter1->addWidget(TreeView1);
    Splitter1->setStretchFactor(0, 0);  // the left panel keeps its width
    Splitter1->setStretchFactor(1, 1);

    layout->addWidget(Splitter1, 1);
    layout->addWidget(CreateHexPanel());
    setCentralWidget(central);
}

QWidget* TTamberlyForm::CreateListPanel() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* layout = new QHBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ListView1 = new TFrameListView(Panel2);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    FListModel = new TFrameListModel(FNavigator, ListView1);
    ListView1->setModel(FListModel);
    ScrollBar1 = new TNavigatorScrollBar(Panel2);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    layout->addWidget(ListView1, 1);
    layout->addWidget(ScrollBar1);
    return Panel2;
}

QWidget* TTamberlyForm::CreateHexPanel() {
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(kBottomPanelHeight);
    auto* layout = new QVBoxLayout(Panel3);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    auto* label = new QLabel(QStringLiteral("Hex View"), Panel3);
    label->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label);

    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    RichEdit1 = new QTextEdit(Panel3);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBar2 = new QScrollBar(Qt::Vertical, Panel3);
    ScrollBar2->setObjectName(QStringLiteral("ScrollBar2"));
    row->addWidget(RichEdit1, 1);
    row->addWidget(ScrollBar2);
    layout->addLayout(row, 1);
    return Panel3;
}

void TTamberlyForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    Open1 = file->addAction(QStringLiteral("&Open"), this, &TTamberlyForm::Open1Click);
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Close1 = file->addAction(QStringLiteral("&Close"), this, &TTamberlyForm::Close1Click);
    Exit1 = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    HexEditSelectedFrame1 = tools->addAction(QStringLiteral("Hex Edit Selected Frame"), this,
                                             &TTamberlyForm::HexEditSelectedFrame1Click);
    Validation1 = tools->addAction(QStringLiteral("Validation"), this, &TTamberlyForm::Validation1Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    CheckForUpdates1 = help->addAction(QStringLiteral("Check For Updates"), this, &TTamberlyForm::CheckForUpdates1Click);
    CheckForUpdates1->setCheckable(true);
    CheckForUpdates1->setChecked(FCheckForUpdates);
    About1 = help->addAction(QStringLiteral("About"), this, &TTamberlyForm::About1Click);
}

void TTamberlyForm::CreateContextMenus() {
    Copy1 = new QAction(QStringLiteral("Copy"), this);
    connect(Copy1, &QAction::triggered, this, &TTamberlyForm::Copy1Click);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    ListView1->setContextMenuPolicy(Qt::ActionsContextMenu);
    ListView1->addActions({HexEditSelectedFrame1, separator, Copy1});

    Copy2 = new QAction(QStringLiteral("Copy"), this);
    connect(Copy2, &QAction::triggered, this, &TTamberlyForm::Copy2Click);
    TreeView1->setContextMenuPolicy(Qt::ActionsContextMenu);
    TreeView1->addAction(Copy2);
}

void TTamberlyForm::ConnectList() {
    connect(ListView1, &TFrameListView::NavigationKeyPressed, this, &TTamberlyForm::ListView1KeyDown);
    connect(ListView1, &TFrameListView::KeyReleased, this, &TTamberlyForm::ListView1KeyUp);
    connect(ListView1, &TFrameListView::MousePressed, this, &TTamberlyForm::ListView1MouseDown);
    // Queued: the questions of the opening sequence must not run inside the
    // drop itself.
    connect(ListView1, &TFrameListView::FilesDropped, this, &TTamberlyForm::WMDROPFILES, Qt::QueuedConnection);
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
        ListView1->SetDropTarget(true);
        RefreshCaption();
        CheckForUpdates1->setChecked(FCheckForUpdates);
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
        ListView1->SetDropTarget(false);
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
        CopyFrameDetailTree(*TreeView1);
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
                                 nullptr, this);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.Validation1Click call...");
    }
}

void TTamberlyForm::CheckForUpdates1Click() {
    FCheckForUpdates = !FCheckForUpdates;
    CheckForUpdates1->setChecked(FCheckForUpdates);
}
