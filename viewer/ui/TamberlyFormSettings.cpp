// The main window's saved settings: what the window takes from them and
// gives to them. The store itself is FormSettings.

#include <QHeaderView>
#include <QMenuBar>
#include <QStatusBar>
#include <QSplitter>

#include <algorithm>
#include <stdexcept>

#include "platform/debug_output.h"
#include "viewer/ui/FrameListView.h"
#include "viewer/ui/TamberlyForm.h"

namespace {

// The saved height is that of the client area below the menu bar.
// The menu bar above the client area and the status bar below it: the
// settings keep the client area's height.
int MenuBarHeight(const QMainWindow& window) {
    return window.menuBar()->sizeHint().height() + window.statusBar()->sizeHint().height();
}

}  // namespace

void TTamberlyForm::LoadRegistrySettings() {
    try {
        const QSettings store(SettingsFormat(), QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
        TFormSettings settings;  // the design layout stands where nothing was saved
        settings.CheckForUpdates = FCheckForUpdates;
        settings.DemuxFolder = FSaveFolder;
        settings.LastUsedModules = FLastUsedModules;
        settings.ShowAudioData = FShowAudioData;
        ReadFormSettings(store, settings);
        ApplySettings(settings);
        ReadRecentFiles(store);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.LoadRegistrySettings call...");
    }
}

void TTamberlyForm::SaveRegistrySettings() {
    try {
        QSettings store(SettingsFormat(), QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
        WriteFormSettings(store, CollectSettings());
        WriteRecentFiles(store);
        store.sync();
        if (store.status() != QSettings::NoError) throw std::runtime_error("the settings cannot be written");
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SaveRegistrySettings call...");
    }
}

TFormSettings TTamberlyForm::CollectSettings() const {
    TFormSettings settings;
    const QRect bounds = windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)
                             ? normalGeometry()
                             : geometry();
    settings.FormLeft = bounds.x();
    settings.FormTop = bounds.y();
    settings.FormWidth = bounds.width();
    settings.FormHeight = bounds.height() - MenuBarHeight(*this);
    for (int column = 0; column < kFrameListColumnCount; ++column)
        settings.ColumnWidths[static_cast<std::size_t>(column)] = FrameList->horizontalHeader()->sectionSize(column);
    settings.Panel2Width = ListPanel->width();
    if (windowState() & Qt::WindowMinimized) settings.WindowState = 1;
    else if (windowState() & Qt::WindowMaximized) settings.WindowState = 2;
    else settings.WindowState = 0;
    settings.CheckForUpdates = FCheckForUpdates;
    settings.DemuxFolder = FSaveFolder;
    settings.LastUsedModules = FLastUsedModules;
    settings.ShowAudioData = FShowAudioData;
    return settings;
}

void TTamberlyForm::ApplySettings(const TFormSettings& settings) {
    FCheckForUpdates = settings.CheckForUpdates;
    FSaveFolder = settings.DemuxFolder;
    FLastUsedModules = settings.LastUsedModules;
    SetShowAudioData(settings.ShowAudioData);

    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    setGeometry(settings.FormLeft, settings.FormTop, settings.FormWidth,
                settings.FormHeight + MenuBarHeight(*this));
    for (int column = 0; column < kFrameListColumnCount; ++column)
        FrameList->horizontalHeader()->resizeSection(column, settings.ColumnWidths[static_cast<std::size_t>(column)]);
    // Sizes that fill the splitter exactly are taken as they are.
    const int total = std::max(ListTreeSplitter->width() - ListTreeSplitter->handleWidth(), settings.Panel2Width + 1);
    ListTreeSplitter->setSizes({settings.Panel2Width, total - settings.Panel2Width});
    if (settings.WindowState == 1) setWindowState(windowState() | Qt::WindowMinimized);
    else if (settings.WindowState == 2) setWindowState(windowState() | Qt::WindowMaximized);
}
