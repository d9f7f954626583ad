#pragma once
// The module's settings dialog: one check box per event kind that can be
// switched off (named by the kind's command-line name), OK and Cancel.

#include <QDialog>

#include <cstdint>
#include <utility>
#include <vector>

class QCheckBox;

namespace mpeg_audio_validation {

class SettingsDialog : public QDialog {
public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    // Bit `code` set: the kind's box is checked.
    void SetKinds(std::uint32_t kinds);
    [[nodiscard]] std::uint32_t Kinds() const;

private:
    std::vector<std::pair<std::int32_t, QCheckBox*>> boxes_;
};

}  // namespace mpeg_audio_validation
