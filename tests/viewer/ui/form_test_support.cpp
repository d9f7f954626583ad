#include "tests/viewer/ui/form_test_support.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QUrl>
#include <QWheelEvent>

#include "viewer/ui/FormSettings.h"

namespace formtest {
namespace {

QString& BaseFolder() {
    static QString folder;
    return folder;
}

void SetStorePath(const QString& folder) {
    QSettings::setPath(SettingsFormat(), QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

}  // namespace

void SetBaseSettingsFolder(const QString& folder) {
    BaseFolder() = folder;
    SetStorePath(folder);
}

SettingsSandbox::SettingsSandbox() { SetStorePath(QString::fromStdString(dir_.Path().string())); }

SettingsSandbox::~SettingsSandbox() { SetStorePath(BaseFolder()); }

QString SettingsSandbox::StoreFile() const {
    const QSettings store(SettingsFormat(), QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    return store.fileName();
}

bool ScriptedAsker::AskWarningYesNo(QWidget*, const QString& text) {
    questions.push_back(text);
    if (onQuestion) onQuestion();
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedAsker::AskOpenFileName(QWidget*, const QStringList& nameFilters) {
    ++openDialogs;
    lastFilters = nameFilters;
    return fileToOpen;
}

bool ScriptedExtractor::LoadFileForDemux(const std::string& fileName, std::int32_t mediaCategory,
                                         std::string& outputName, std::string& folder, bool& cancelled) {
    calls.push_back(fileName);
    lastCategory = mediaCategory;
    folderSeen = folder;
    if (!newFolder.empty()) folder = newFolder;
    cancelled = cancel;
    if (!succeed) return false;
    outputName = extractedFile;
    return true;
}

void PressKey(QWidget* target, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void ReleaseKey(QWidget* target, int key) {
    QKeyEvent event(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void TypeKey(QWidget* target, int key) {
    PressKey(target, key);
    ReleaseKey(target, key);
}

void ClickAt(QWidget* target, QPoint position) {
    const QPointF local(position);
    const QPointF global(target->mapToGlobal(position));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void TurnWheel(QWidget* target, int delta, bool ctrl) {
    const QPointF local(target->rect().center());
    QWheelEvent event(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                      ctrl ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

void ClickScrollBarPart(QScrollBar* bar, int subControl) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = false;
    if (bar->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    const QRect part = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                    static_cast<QStyle::SubControl>(subControl), bar);
    ClickAt(bar, part.center());
}

void DropFiles(QWidget* target, const QStringList& fileNames) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& name : fileNames) urls << QUrl::fromLocalFile(name);
    data.setUrls(urls);
    const QPointF position(target->rect().center());
    QDragEnterEvent enter(position.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

}  // namespace formtest
