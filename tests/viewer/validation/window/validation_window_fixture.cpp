#include "tests/viewer/validation/window/validation_window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace validationtest {

void ScriptedValidationAsker::ShowMessage(QWidget*, const QString& text) { messages.push_back(text); }

bool ScriptedValidationAsker::AskYesNo(QWidget*, const QString& text) {
    questions.push_back(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QString ScriptedValidationAsker::AskSaveFileName(QWidget*, const QString& proposedName,
                                                 const QStringList& nameFilters, const QString& suffix) {
    proposed = proposedName;
    filters = nameFilters;
    defaultSuffix = suffix;
    return saveAs;
}

bool ScriptedValidationAsker::OpenFile(const QString& fileName) {
    opened.push_back(fileName);
    return true;
}

ValidationWindowTest::ValidationWindowTest() : media(dir.Write("tone.mp2", {0xFF, 0xFD, 0x90, 0x00})) {}

ValidationWindowTest::~ValidationWindowTest() {
    window.reset();
    QApplication::processEvents();
}

void ValidationWindowTest::Open(const std::string& modulesFolder, std::uint32_t moduleSet,
                                std::uint32_t lastUsedMask) {
    window = std::make_unique<TValidationWindow>(nullptr, &asker);
    window->FormCreate(QString::fromStdString(modulesFolder), QString::fromStdString(media), moduleSet,
                       lastUsedMask);
    window->LoadValidationModules();
    window->show();
    QApplication::processEvents();
}

void ValidationWindowTest::During(int milliseconds, std::function<void()> steps) {
    QTimer::singleShot(milliseconds, std::move(steps));
}

QPushButton* ValidationWindowTest::Button(const char* name) const {
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

QTableView* ValidationWindowTest::ReportList() const {
    return window->findChild<QTableView*>(QStringLiteral("lvReport"));
}

QListWidget* ValidationWindowTest::ModuleList() const {
    return window->findChild<QListWidget*>(QStringLiteral("clbValidationModules"));
}

QString ValidationWindowTest::ProgressLabel() const {
    return window->findChild<QLabel*>(QStringLiteral("lblProgress"))->text();
}

QProgressBar* ValidationWindowTest::ProgressBar() const {
    return window->findChild<QProgressBar*>(QStringLiteral("pbProgress"));
}

QString ValidationWindowTest::Counter(const char* name) const {
    return window->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
}

std::vector<QStringList> ValidationWindowTest::Lines() const {
    std::vector<QStringList> lines;
    const QAbstractItemModel* list = ReportList()->model();
    for (int row = 0; row < list->rowCount(); ++row) {
        QStringList texts;
        for (int column = 0; column < list->columnCount(); ++column) texts << list->index(row, column).data().toString();
        lines.push_back(texts);
    }
    return lines;
}

std::string ValidationWindowTest::ButtonStates() const {
    std::string states;
    for (const char* name : {"btnStartValidation", "btnStopValidation", "btnSaveReport", "btnClose", "btnSettings"})
        states += Button(name)->isEnabled() ? '1' : '0';
    return states;
}

}  // namespace validationtest
