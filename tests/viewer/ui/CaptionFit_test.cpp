// Every window shows its captions whole: each button's caption, each label's
// line and each column header's caption fits the room the window gives it, at
// the default font and at one and a half and twice its size (the program is
// also run under QT_SCALE_FACTOR 1.5 and 2 by the test list).

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/fake_plugin_folder.h"
#include "tests/viewer/ui/form_fixture.h"
#include "viewer/media/QlDemuxEx.h"
#include "viewer/shell/ShellTexts.h"
#include "viewer/ui/AboutWindow.h"
#include "viewer/ui/ProcessingForm.h"
#include "viewer/ui/QlDemuxStreamForm.h"
#include "viewer/ui/TamberlyForm.h"
#include "viewer/validation/ValidationWindow.h"

namespace {

// The caption as drawn: "&&" shows one ampersand, a single "&" marks the
// mnemonic and is not drawn.
QString DrawnText(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

int LongestLineWidth(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(DrawnText(line)));
    return widest;
}

QString Describe(const QWidget* widget, const QString& text, int needed, int room) {
    return QStringLiteral("%1 \"%2\": needs %3 px, has %4 px")
        .arg(widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                            : widget->objectName(),
             text)
        .arg(needed)
        .arg(room);
}

// Room for the caption inside the button's bevel, or for check boxes and
// radio buttons beside their indicator.
int ButtonCaptionRoom(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button) != nullptr) contents = QStyle::SE_CheckBoxContents;
    if (qobject_cast<const QRadioButton*>(button) != nullptr) contents = QStyle::SE_RadioButtonContents;
    int room = button->style()->subElementRect(contents, &option, button).width();
    if (!button->icon().isNull()) room -= button->iconSize().width();
    return room;
}

// Every caption of the window's visible controls that does not fit.
std::vector<QString> CutCaptions(const QWidget& window) {
    std::vector<QString> cut;
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) continue;
        const int needed = LongestLineWidth(button->fontMetrics(), button->text());
        const int room = ButtonCaptionRoom(button);
        if (needed > room) cut.push_back(Describe(button, button->text(), needed, room));
    }
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText)
            continue;
        const int needed = LongestLineWidth(label->fontMetrics(), label->text());
        if (needed > label->contentsRect().width())
            cut.push_back(Describe(label, label->text(), needed, label->contentsRect().width()));
    }
    for (const QHeaderView* header : window.findChildren<QHeaderView*>()) {
        if (!header->isVisible() || header->orientation() != Qt::Horizontal || header->model() == nullptr) continue;
        const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        // The sections of a selected row draw their captions in bold.
        QFont bold = header->font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section)) continue;
            const QString caption = header->model()->headerData(section, Qt::Horizontal).toString();
            const int needed = metrics.horizontalAdvance(caption) + margins;
            if (needed > header->sectionSize(section))
                cut.push_back(Describe(header, caption, needed, header->sectionSize(section)));
        }
    }
    return cut;
}

std::string Joined(const std::vector<QString>& lines) {
    QString all;
    for (const QString& line : lines) all += line + QLatin1Char('\n');
    return all.toStdString();
}

// The application font at a multiple of its size while the object lives.
class FontScale {
public:
    explicit FontScale(double factor) : original_(QApplication::font()) {
        QFont larger = original_;
        larger.setPointSizeF(original_.pointSizeF() * factor);
        QApplication::setFont(larger);
    }
    ~FontScale() { QApplication::setFont(original_); }
    FontScale(const FontScale&) = delete;
    FontScale& operator=(const FontScale&) = delete;

private:
    QFont original_;
};

class CaptionFit : public formtest::FormTest, public ::testing::WithParamInterface<double> {
protected:
    // Shows the window as the program would and lists its cut captions.
    std::vector<QString> ShownCutCaptions(QWidget& window) {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        return CutCaptions(window);
    }

    FontScale scale{GetParam()};
    fakes::FakePluginFolder plugins;
};

TEST_P(CaptionFit, MainWindow) {
    ShowForm(CopyFixture("tone_l2_44k_128k.mp2"));
    EXPECT_EQ(Joined(CutCaptions(*form)), "");
}

TEST_P(CaptionFit, ExtractionDialog) {
    plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 3", "stream 0 1 131"})));
    TQlDemuxStreamForm dialog(nullptr, &reader, plugins.File("movie.ts"), kMediaCategoryMPEGAudio,
                              dir.Path().string(), nullptr);
    EXPECT_EQ(Joined(ShownCutCaptions(dialog)), "");
    EXPECT_GE(dialog.width(), 341);
    EXPECT_GE(dialog.height(), 230);
}

TEST_P(CaptionFit, ProcessingWindow) {
    TProcessingForm window;
    EXPECT_EQ(Joined(ShownCutCaptions(window)), "");
}

TEST_P(CaptionFit, AboutWindow) {
    TAboutWindow about(QString::fromLatin1(kProductName), QStringLiteral("Version 0.1.0.0"), nullptr);
    EXPECT_EQ(Joined(ShownCutCaptions(about)), "");
}

TEST_P(CaptionFit, ValidationWindow) {
    TValidationWindow window;
    EXPECT_EQ(Joined(ShownCutCaptions(window)), "");
}

INSTANTIATE_TEST_SUITE_P(FontSizes, CaptionFit, ::testing::Values(1.0, 1.5, 2.0),
                         [](const auto& info) { return "percent" + std::to_string(static_cast<int>(info.param * 100)); });

// The check itself finds a cut caption and a cut column header.
TEST(CaptionFitCheck, FindsCaptionsThatDoNotFit) {
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("Demultiplex and Load"), &window);
    button->setGeometry(0, 0, 40, 25);
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(CutCaptions(window).size(), 1u);
    button->resize(button->sizeHint());
    EXPECT_TRUE(CutCaptions(window).empty());
}

}  // namespace
