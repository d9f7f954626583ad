#pragma once
// Helpers of the main window tests: a settings folder per test, a user who
// answers from a script, a stream extractor that does what it is told, and
// the events a user would send.

#include <QPoint>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "viewer/ui/MessageAsker.h"
#include "viewer/ui/StreamExtractor.h"

class QWidget;
class QScrollBar;

namespace formtest {

// Where the settings go between the sandboxes of single tests.
void SetBaseSettingsFolder(const QString& folder);

// Points the program's settings store at a fresh folder while it lives.
class SettingsSandbox {
public:
    SettingsSandbox();
    ~SettingsSandbox();
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

    [[nodiscard]] QString Folder() const { return QString::fromStdString(dir_.Path().string()); }
    // The file the store writes (it may not exist yet).
    [[nodiscard]] QString StoreFile() const;

private:
    testsupport::TempDir dir_;
};

class ScriptedAsker : public TMessageAsker {
public:
    std::deque<bool> answers;  // consumed in order; No once exhausted
    std::vector<QString> questions;
    QString fileToOpen;  // what the open dialog returns
    QStringList lastFilters;
    int openDialogs = 0;
    // Called when a question is asked, before it is answered.
    std::function<void()> onQuestion;

    bool AskWarningYesNo(QWidget* parent, const QString& text) override;
    QString AskOpenFileName(QWidget* parent, const QStringList& nameFilters) override;
};

class ScriptedExtractor : public TStreamExtractor {
public:
    bool succeed = false;
    bool cancel = false;
    std::string extractedFile;  // written to outputName on success
    std::string newFolder;      // written to folder when not empty
    std::vector<std::string> calls;
    std::int32_t lastCategory = 0;
    std::string folderSeen;

    bool LoadFileForDemux(const std::string& fileName, std::int32_t mediaCategory, std::string& outputName,
                          std::string& folder, bool& cancelled) override;
};

void PressKey(QWidget* target, int key);
void ReleaseKey(QWidget* target, int key);
// Press and release.
void TypeKey(QWidget* target, int key);
void ClickAt(QWidget* target, QPoint position);
void TurnWheel(QWidget* target, int delta, bool ctrl);
// Press and release on one of the scroll bar's parts (QStyle::SC_ScrollBar...).
void ClickScrollBarPart(QScrollBar* bar, int subControl);
// Drops local files on a widget.
void DropFiles(QWidget* target, const QStringList& fileNames);

}  // namespace formtest
