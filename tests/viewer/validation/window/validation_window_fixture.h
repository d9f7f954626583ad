#pragma once
// A validation window per test over one folder of fake modules, a user who
// answers from a script, and what the window shows.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/viewer/validation/window/fake_module_test_support.h"
#include "viewer/validation/ValidationWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableView;

namespace validationtest {

class ScriptedValidationAsker : public TValidationAsker {
public:
    std::vector<QString> messages;
    std::vector<QString> questions;
    std::deque<bool> answers;  // consumed in order; No once exhausted
    QString saveAs;            // what the save dialog returns; empty: cancelled
    QString proposed;
    QStringList filters;
    QString defaultSuffix;
    std::vector<QString> opened;

    void ShowMessage(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text) override;
    QString AskSaveFileName(QWidget* parent, const QString& proposedName, const QStringList& nameFilters,
                            const QString& suffix) override;
    bool OpenFile(const QString& fileName) override;
};

class ValidationWindowTest : public ::testing::Test {
protected:
    ValidationWindowTest();
    ~ValidationWindowTest() override;

    // Creates and shows the window over the modules in a folder.
    void Open(const std::string& modulesFolder, std::uint32_t moduleSet = 0x40000,
              std::uint32_t lastUsedMask = 0xFFFFFFFF);
    void OpenVariant(const std::string& variant, std::uint32_t moduleSet = 0x40000,
                     std::uint32_t lastUsedMask = 0xFFFFFFFF) {
        Open(FakeModulesFolder(variant), moduleSet, lastUsedMask);
    }
    // Runs steps once the event loop turns, as a user would during a run.
    static void During(int milliseconds, std::function<void()> steps);

    [[nodiscard]] QPushButton* Button(const char* name) const;
    [[nodiscard]] QTableView* ReportList() const;
    [[nodiscard]] QListWidget* ModuleList() const;
    [[nodiscard]] QString ProgressLabel() const;
    [[nodiscard]] QProgressBar* ProgressBar() const;
    [[nodiscard]] QString Counter(const char* name) const;
    // The texts of every report line, column by column.
    [[nodiscard]] std::vector<QStringList> Lines() const;
    // Start, Stop, Save, Close, Settings enabled (1) or not (0).
    [[nodiscard]] std::string ButtonStates() const;

    FakeModuleLog log;
    testsupport::TempDir dir;
    std::string media;
    ScriptedValidationAsker asker;
    std::unique_ptr<TValidationWindow> window;
};

}  // namespace validationtest
