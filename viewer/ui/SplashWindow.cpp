#include "viewer/ui/SplashWindow.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

#include "platform/debug_output.h"

namespace {

QLabel* MakeTitleLabel(const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(47);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

}  // namespace

TSplashWindow::TSplashWindow(const QString& productName, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      shadow_(MakeTitleLabel(productName, QColor(0, 0, 128), this)),
      title_(MakeTitleLabel(productName, Qt::white, this)),
      timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("SplashWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);
    shadow_->setGeometry(0, 0, kWidth, kHeight);
    title_->setGeometry(-2, -2, kWidth, kHeight);  // the shadow shows below and to the right
    timer_->setSingleShot(true);
    timer_->setInterval(kShowMilliseconds);
    connect(timer_, &QTimer::timeout, this, &QWidget::close);
}

void TSplashWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_->start();
}

void TSplashWindow::mousePressEvent(QMouseEvent*) { close(); }

// The picture: a dark band of colour with a few faint sound waves.
void TSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient background(0, 0, kWidth, kHeight);
    background.setColorAt(0.0, QColor(0x1C, 0x3D, 0x6E));
    background.setColorAt(1.0, QColor(0x3C, 0x8D, 0xBC));
    painter.fillRect(rect(), background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 2));
    for (int wave = 0; wave < 4; ++wave) {
        QPainterPath path(QPointF(0, kHeight * 0.75));
        for (int x = 0; x <= kWidth; x += 4)
            path.lineTo(x, kHeight * 0.75 + (12 + 6 * wave) * std::sin((x + 37 * wave) / (30.0 + 8 * wave)));
        painter.drawPath(path);
    }
}

bool ShowSplash(const QString& productName, QWidget* owner) {
    try {
        auto* splash = new TSplashWindow(productName, owner);
        if (owner != nullptr) {
            const QRect frame = owner->frameGeometry();
            splash->move(frame.left() + frame.width() / 2 - TSplashWindow::kWidth / 2,
                         frame.top() + frame.height() / 2 - TSplashWindow::kHeight / 2);
        }
        splash->show();
        return true;
    } catch (...) {
        platform::OutputDebugLine("Error in ShowSplash call...");
        return false;
    }
}
