#include "viewer/ui/ProcessingForm.h"

#include <QApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <chrono>
#include <optional>

#include "platform/debug_output.h"

namespace {

TProcessingForm* shownForm = nullptr;
std::optional<std::chrono::steady_clock::time_point> lastMessageRun;

// Lets pending window messages run, at most once a second.
void ProcessPendingMessages() {
    const auto now = std::chrono::steady_clock::now();
    if (lastMessageRun && now - *lastMessageRun <= std::chrono::seconds(1)) return;
    QApplication::processEvents();
    lastMessageRun = now;
}

void CentreOn(QWidget* window, const QWidget* parent) {
    const QRect area = parent != nullptr ? parent->frameGeometry() : QApplication::primaryScreen()->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

}  // namespace

TProcessingForm::TProcessingForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ProcessingForm"));
    setWindowTitle(QStringLiteral("Processing..."));
    resize(703, 250);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFont(QFont(QStringLiteral("Courier New")));
    layout->addWidget(Memo1, 1);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setMinimumSize(75, 25);  // wider where the caption needs it
    layout->addWidget(btnCancel, 0, Qt::AlignHCenter);
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void ShowProcessingForm(QWidget* parent) {
    try {
        if (shownForm != nullptr) return;
        shownForm = new TProcessingForm(parent);
        CentreOn(shownForm, parent);
        shownForm->show();
    } catch (...) {
        platform::OutputDebugLine("Error in ShowProcessingForm call...");
    }
}

void CloseProcessingForm() {
    try {
        if (shownForm == nullptr) return;
        TProcessingForm* form = shownForm;
        shownForm = nullptr;
        form->hide();
        delete form;
    } catch (...) {
        platform::OutputDebugLine("Error in CloseProcessingForm call...");
    }
}

void AddMessageToProcessingForm(const QString& text) {
    try {
        if (shownForm == nullptr) return;
        shownForm->Memo()->appendPlainText(text);
        ProcessPendingMessages();
    } catch (...) {
        platform::OutputDebugLine("Error in AddMessageToProcessingForm call...");
    }
}

void UpdateLastMessageToProcessingForm(const QString& text) {
    try {
        if (shownForm == nullptr) return;
        QTextDocument* document = shownForm->Memo()->document();
        if (!document->isEmpty()) {
            QTextCursor cursor(document->lastBlock());
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.insertText(text);
        }
        ProcessPendingMessages();
    } catch (...) {
        platform::OutputDebugLine("Error in UpdateLastMessageToProcessingForm call...");
    }
}

void ClearProcessingForm() {
    try {
        if (shownForm != nullptr) shownForm->Memo()->clear();
    } catch (...) {
        platform::OutputDebugLine("Error in ClearProcessingForm call...");
    }
}

bool IsProcessingCanceled() { return shownForm != nullptr && shownForm->Canceled(); }

TProcessingForm* ShownProcessingForm() { return shownForm; }
