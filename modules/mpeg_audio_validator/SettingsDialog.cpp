#include "modules/mpeg_audio_validator/SettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace mpeg_audio_validation {

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("MPEG Audio Validator Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Report these findings:"), this));
    for (const SwitchableKind& kind : kSwitchableKinds) {
        auto* box = new QCheckBox(QString::fromUtf8(kind.label), this);
        box->setObjectName(QString::fromUtf8(kind.name));
        layout->addWidget(box);
        boxes_.emplace_back(kind.code, box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    SetKinds(kAllKinds);
}

void SettingsDialog::SetKinds(std::uint32_t kinds) {
    for (const auto& [code, box] : boxes_) box->setChecked((kinds >> code & 1u) != 0);
}

std::uint32_t SettingsDialog::Kinds() const {
    std::uint32_t kinds = 0;
    for (const auto& [code, box] : boxes_)
        if (box->isChecked()) kinds |= 1u << code;
    return kinds;
}

}  // namespace mpeg_audio_validation
