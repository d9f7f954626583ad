#pragma once
// The module's settings dialog: one check box per walker event kind and per
// new stream checker finding kind that can be switched off (named by the
// kind's command-line name), how many items of each kind the report shows
// in full ("keptPerKind"), the delivery profile that judges the run (none,
// a built-in one or a profile file), OK and Cancel.

#include <QDialog>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "modules/mpeg_audio_validator/AudioValidation.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace mpeg_audio_validation {

class SettingsDialog : public QDialog {
public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    // A kind's bit set: its box is checked.
    void SetKinds(const EnabledKinds& kinds);
    [[nodiscard]] EnabledKinds Kinds() const;

    // "" for none, a built-in profile's name or a profile file's path.
    void SetProfile(const std::string& profile);
    [[nodiscard]] std::string Profile() const;

    // Refuses a profile file that cannot be read, saying why in the dialog.
    void accept() override;

private:
    QCheckBox* AddBox(const char* name, const char* label);
    void AddProfileChoice();

    QComboBox* profileChoice_ = nullptr;
    QLineEdit* profileFile_ = nullptr;
    QLabel* profileError_ = nullptr;

    std::vector<std::pair<std::int32_t, QCheckBox*>> walkerBoxes_;
    std::vector<std::pair<std::int32_t, QCheckBox*>> checkerBoxes_;
    QSpinBox* keptPerKind_ = nullptr;
};

}  // namespace mpeg_audio_validation
