#pragma once
// The module's settings dialog: one check box per walker event kind and per
// new stream checker finding kind that can be switched off (named by the
// kind's command-line name), how many items of each kind the report shows
// in full ("keptPerKind"), OK and Cancel.

#include <QDialog>

#include <cstdint>
#include <utility>
#include <vector>

#include "modules/mpeg_audio_validator/AudioValidation.h"

class QCheckBox;
class QSpinBox;

namespace mpeg_audio_validation {

class SettingsDialog : public QDialog {
public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    // A kind's bit set: its box is checked.
    void SetKinds(const EnabledKinds& kinds);
    [[nodiscard]] EnabledKinds Kinds() const;

private:
    QCheckBox* AddBox(const char* name, const char* label);

    std::vector<std::pair<std::int32_t, QCheckBox*>> walkerBoxes_;
    std::vector<std::pair<std::int32_t, QCheckBox*>> checkerBoxes_;
    QSpinBox* keptPerKind_ = nullptr;
};

}  // namespace mpeg_audio_validation
