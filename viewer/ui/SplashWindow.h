#pragma once
// The splash window shown when the main window first appears: borderless,
// on top, 484 x 238, the product name twice over a picture (a shadow and the
// title). It closes after 3 seconds or when clicked.

#include <QWidget>

class QLabel;
class QTimer;

class TSplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 484;
    static constexpr int kHeight = 238;
    static constexpr int kShowMilliseconds = 3000;

    TSplashWindow(const QString& productName, QWidget* owner);

    [[nodiscard]] QLabel* ShadowLabel() const { return shadow_; }
    [[nodiscard]] QLabel* TitleLabel() const { return title_; }
    [[nodiscard]] QTimer* CloseTimer() const { return timer_; }

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* shadow_;
    QLabel* title_;
    QTimer* timer_;
};

// Creates the splash centred over the owner and shows it without blocking.
// False (and a debug line) when it could not be shown. The owner destroys it
// at the latest.
bool ShowSplash(const QString& productName, QWidget* owner);
