#include "viewer/ui/AboutWindow.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/debug_output.h"
#include "viewer/shell/ShellTexts.h"

namespace {

// The picture strip at the bottom.
class TPictureStrip : public QWidget {
public:
    explicit TPictureStrip(QWidget* parent) : QWidget(parent) { setFixedHeight(48); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient band(0, 0, width(), 0);
        band.setColorAt(0.0, QColor(0x1C, 0x3D, 0x6E));
        band.setColorAt(1.0, QColor(0x3C, 0x8D, 0xBC));
        painter.fillRect(rect(), band);
    }
};

}  // namespace

TAboutWindow::TAboutWindow(const QString& productName, const std::optional<QString>& versionText, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(productName);
    setFixedSize(kWidth, kHeight);

    auto* panel = new QWidget(this);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    product_ = new QLabel(productName, panel);
    QFont productFont = product_->font();
    productFont.setBold(true);
    productFont.setPixelSize(22);
    product_->setFont(productFont);
    version_ = new QLabel(versionText.value_or(QString::fromStdString(ProgramVersionLine())), panel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(16, 16, 16, 16);
    panelLayout->addWidget(product_);
    panelLayout->addWidget(version_);
    panelLayout->addStretch();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->addWidget(panel, 1);
    layout->addWidget(new TPictureStrip(this));
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

void ShowAbout(const QString& productName, const std::optional<QString>& versionText, QWidget* owner) {
    try {
        TAboutWindow about(productName, versionText, owner);
        if (owner != nullptr) {
            const QRect frame = owner->frameGeometry();
            about.move(frame.left() + frame.width() / 2 - TAboutWindow::kWidth / 2,
                       frame.top() + frame.height() / 2 - TAboutWindow::kHeight / 2);
        }
        about.exec();
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in ShowAbout call...");
    }
}
