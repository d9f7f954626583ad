// File > Recent Files: the last ten files opened, kept with the settings.

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include "viewer/shell/RecentFiles.h"
#include "viewer/shell/ShellTexts.h"
#include "viewer/ui/TamberlyForm.h"

namespace {

constexpr const char* kRecentFilesKey = "RecentFiles";

}  // namespace

void TTamberlyForm::CreateRecentFilesMenu(QMenu* file) {
    RecentFilesMenu = new QMenu(QStringLiteral("&Recent Files"), file);
    RecentFilesMenu->setObjectName(QStringLiteral("RecentFilesMenu"));
    file->insertMenu(ExitAction, RecentFilesMenu);
    RefreshRecentFilesMenu();
}

void TTamberlyForm::RefreshRecentFilesMenu() {
    RecentFilesMenu->clear();
    int number = 1;
    for (const QString& name : FRecentFiles) {
        // "&1" .. "&9", then "1&0": each entry has its own key.
        const QString key = number < 10 ? QStringLiteral("&%1").arg(number) : QStringLiteral("1&0");
        QString shown = QDir::toNativeSeparators(name);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = RecentFilesMenu->addAction(QStringLiteral("%1 %2").arg(key, shown));
        connect(action, &QAction::triggered, this,
                [this, name] { OpenFileInteractive(name, QString::fromLatin1(kOpenAnywayQuestion)); });
        ++number;
    }
    RecentFilesMenu->setEnabled(!FRecentFiles.isEmpty());
}

void TTamberlyForm::RememberRecentFile(const QString& fileName) {
    std::vector<std::string> recent;
    for (const QString& name : FRecentFiles) recent.push_back(name.toStdString());
    FRecentFiles.clear();
    for (const std::string& name : WithRecentFile(recent, QFileInfo(fileName).absoluteFilePath().toStdString()))
        FRecentFiles.append(QString::fromStdString(name));
    RefreshRecentFilesMenu();
}

void TTamberlyForm::ReadRecentFiles(const QSettings& store) {
    std::vector<std::string> recent;
    const QStringList stored = store.value(QString::fromLatin1(kRecentFilesKey)).toStringList();
    for (auto name = stored.crbegin(); name != stored.crend(); ++name)
        recent = WithRecentFile(recent, name->toStdString());
    FRecentFiles.clear();
    for (const std::string& name : recent) FRecentFiles.append(QString::fromStdString(name));
    RefreshRecentFilesMenu();
}

void TTamberlyForm::WriteRecentFiles(QSettings& store) const {
    store.setValue(QString::fromLatin1(kRecentFilesKey), FRecentFiles);
}
