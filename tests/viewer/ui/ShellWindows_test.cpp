// The splash and About windows.

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "tests/viewer/ui/form_fixture.h"
#include "viewer/ui/AboutWindow.h"
#include "viewer/shell/ShellTexts.h"
#include "viewer/ui/SplashWindow.h"

namespace {

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(milliseconds);
    while (!condition() && deadline.isActive()) {
        loop.processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return condition();
}

using ShellWindowsTest = formtest::FormTest;

TEST(SplashWindow, ShowsProductNameTwiceCentredOverOwner) {
    QWidget owner;
    owner.setGeometry(200, 150, 900, 500);
    owner.show();
    ASSERT_TRUE(ShowSplash(QStringLiteral("Tamberly"), &owner));
    auto* splash = owner.findChild<TSplashWindow*>();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(484, 238));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QRect frame = owner.frameGeometry();
    EXPECT_EQ(splash->pos(), QPoint(frame.left() + frame.width() / 2 - 242, frame.top() + frame.height() / 2 - 119));

    for (QLabel* label : {splash->ShadowLabel(), splash->TitleLabel()}) {
        EXPECT_EQ(label->text(), QStringLiteral("Tamberly"));
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->font().pixelSize(), 47);
        EXPECT_EQ(label->font().family(), QStringLiteral("Arial"));
        EXPECT_TRUE(label->wordWrap());
        EXPECT_TRUE(label->alignment().testFlag(Qt::AlignHCenter));
    }
    EXPECT_EQ(splash->ShadowLabel()->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(splash->TitleLabel()->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(splash->TitleLabel()->pos() - splash->ShadowLabel()->pos(), QPoint(-2, -2));
    EXPECT_TRUE(splash->CloseTimer()->isActive());
    EXPECT_TRUE(splash->CloseTimer()->isSingleShot());
    EXPECT_EQ(splash->CloseTimer()->interval(), 3000);
}

TEST(SplashWindow, ClosesWhenClickedOrWhenItsTimeIsUp) {
    QWidget owner;
    owner.show();
    ASSERT_TRUE(ShowSplash(QStringLiteral("Tamberly"), &owner));
    QPointer<TSplashWindow> clicked = owner.findChild<TSplashWindow*>();
    ASSERT_FALSE(clicked.isNull());
    formtest::ClickAt(clicked->TitleLabel(), QPoint(20, 20));  // the label hands the click on
    EXPECT_TRUE(WaitFor([&] { return clicked.isNull(); }, 1000));

    ASSERT_TRUE(ShowSplash(QStringLiteral("Tamberly"), &owner));
    QPointer<TSplashWindow> timed = owner.findChild<TSplashWindow*>();
    ASSERT_FALSE(timed.isNull());
    timed->CloseTimer()->start(20);  // the same timer, sooner
    EXPECT_TRUE(WaitFor([&] { return timed.isNull(); }, 2000));
}

TEST_F(ShellWindowsTest, FirstShowShowsSplash) {
    ShowForm();
    auto* splash = form->findChild<TSplashWindow*>();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->TitleLabel()->text(), QStringLiteral("Tamberly"));
}

TEST(AboutWindow, ShowsProductNameAndVersionLine) {
    TAboutWindow about(QStringLiteral("Tamberly"), std::nullopt, nullptr);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Tamberly"));
    EXPECT_EQ(about.size(), QSize(339, 263));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.ProductLabel()->text(), QStringLiteral("Tamberly"));
    EXPECT_EQ(about.VersionLabel()->text().toStdString(), ProgramVersionLine());
    EXPECT_FALSE(about.VersionLabel()->text().isEmpty());

    TAboutWindow given(QStringLiteral("Other"), QStringLiteral("Version 9.9 (build 1)"), nullptr);
    EXPECT_EQ(given.VersionLabel()->text(), QStringLiteral("Version 9.9 (build 1)"));
    auto* ok = given.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    given.show();
    ok->click();
    EXPECT_EQ(given.result(), QDialog::Accepted);
    EXPECT_FALSE(given.isVisible());
}

TEST_F(ShellWindowsTest, AboutItemOpensModalAboutWindow) {
    ShowForm();
    QString title;
    QString version;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        if (auto* about = qobject_cast<TAboutWindow*>(QApplication::activeModalWidget())) {
            title = about->windowTitle();
            version = about->VersionLabel()->text();
            modal = about->isModal();
            about->accept();
        }
    });
    form->About1Click();
    EXPECT_EQ(title, QStringLiteral("Tamberly"));
    EXPECT_EQ(version.toStdString(), ProgramVersionLine());
    EXPECT_TRUE(modal);
}

}  // namespace
