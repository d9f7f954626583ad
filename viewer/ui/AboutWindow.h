#pragma once
// The About window: a fixed dialog of 339 x 263 with the product name and the
// version line on a white panel, a picture strip and an "OK" button.

#include <QDialog>

#include <optional>

class QLabel;

class TAboutWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 339;
    static constexpr int kHeight = 263;

    // Without a version text the program's own version is shown.
    TAboutWindow(const QString& productName, const std::optional<QString>& versionText, QWidget* owner);

    [[nodiscard]] QLabel* ProductLabel() const { return product_; }
    [[nodiscard]] QLabel* VersionLabel() const { return version_; }

private:
    QLabel* product_;
    QLabel* version_;
};

// Opens the About window modally, centred on the owner.
void ShowAbout(const QString& productName, const std::optional<QString>& versionText, QWidget* owner);
