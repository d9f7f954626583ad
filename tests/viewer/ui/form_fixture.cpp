#include "tests/viewer/ui/form_fixture.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextEdit>
#include <QTreeWidget>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "viewer/ui/FrameDetailTree.h"
#include "viewer/ui/FrameListView.h"

namespace formtest {

std::vector<ReferenceFrame> ReferenceFrames(const std::string& csvName) {
    std::ifstream in(testsupport::FixturePath(csvName));
    std::vector<ReferenceFrame> frames;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ReferenceFrame frame{};
        char comma = 0;
        if (fields >> frame.offset >> comma >> frame.size) frames.push_back(frame);
    }
    return frames;
}

std::string HexOffset(std::int64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIX64, static_cast<std::uint64_t>(offset));
    return text;
}

FormTest::FormTest() = default;

FormTest::~FormTest() {
    form.reset();
    ProcessEvents();
}

void FormTest::ShowForm(const QString& commandLineFile) {
    form = std::make_unique<TTamberlyForm>();
    form->SetMessageAsker(&asker);
    form->SetCommandLineFile(commandLineFile);
    form->show();
    form->activateWindow();
    ProcessEvents();
}

QString FormTest::CopyFixture(const std::string& fixture, const std::string& name) const {
    const std::string target = dir.File(name.empty() ? fixture : name);
    std::filesystem::copy_file(testsupport::FixturePath(fixture), target,
                               std::filesystem::copy_options::overwrite_existing);
    return QString::fromStdString(target);
}

QString FormTest::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    return QString::fromStdString(dir.Write(name, bytes));
}

TFrameListView* FormTest::List() const { return form->findChild<TFrameListView*>(QStringLiteral("FrameList")); }

QScrollBar* FormTest::ListScrollBar() const { return form->findChild<QScrollBar*>(QStringLiteral("ScrollBar1")); }

QTreeWidget* FormTest::Tree() const { return form->findChild<QTreeWidget*>(QStringLiteral("DetailTree")); }

QTextEdit* FormTest::HexText() const { return form->findChild<QTextEdit*>(QStringLiteral("HexText")); }

std::vector<std::string> FormTest::ListedOffsets() const {
    std::vector<std::string> offsets;
    const QAbstractItemModel* model = List()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        offsets.push_back(model->index(row, 0).data().toString().toStdString());
    return offsets;
}

QString FormTest::TreeText() const { return FrameDetailTreeCopyText(*Tree()); }

void FormTest::ProcessEvents() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

}  // namespace formtest
