#pragma once
// The module's settings dialog: one check box per walker event kind and per
// new stream checker finding kind that can be switched off (named by the
// kind's command-line name), OK and Cancel.

#include <QDialog>

#include <cstdint>
#include <utility>
#include <vector>

#include "modules/mpeg_audio_validator/AudioValidation.h"

class QCheckBox;

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
};

}  // namespace mpeg_audio_validation
