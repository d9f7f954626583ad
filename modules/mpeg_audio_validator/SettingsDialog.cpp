#include "modules/mpeg_audio_validator/SettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "modules/mpeg_audio_validator/AudioValidation.h"
#include "modules/mpeg_audio_validator/CheckerSwitches.h"

namespace mpeg_audio_validation {

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("MPEG Audio Validator Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Report these findings:"), this));
    for (const SwitchableKind& kind : kSwitchableKinds) walkerBoxes_.emplace_back(kind.code, AddBox(kind.name, kind.label));
    for (const CheckerSwitch& kind : kCheckerSwitches) {
        const std::string name(mpacheck::kind_name(kind.kind));
        checkerBoxes_.emplace_back(static_cast<std::int32_t>(kind.kind), AddBox(name.c_str(), kind.label));
    }
    layout->addWidget(new QLabel(QStringLiteral("Items of each kind shown in full (the rest are counted):"), this));
    keptPerKind_ = new QSpinBox(this);
    keptPerKind_->setObjectName(QStringLiteral("keptPerKind"));
    keptPerKind_->setRange(1, 1000000);
    layout->addWidget(keptPerKind_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    SetKinds(EnabledKinds());
}

QCheckBox* SettingsDialog::AddBox(const char* name, const char* label) {
    auto* box = new QCheckBox(QString::fromUtf8(label), this);
    box->setObjectName(QString::fromUtf8(name));
    layout()->addWidget(box);
    return box;
}

void SettingsDialog::SetKinds(const EnabledKinds& kinds) {
    for (const auto& [code, box] : walkerBoxes_) box->setChecked((kinds.walker >> code & 1u) != 0);
    for (const auto& [code, box] : checkerBoxes_) box->setChecked((kinds.checker >> code & 1u) != 0);
    keptPerKind_->setValue(static_cast<int>(std::min<std::uint32_t>(kinds.keptPerKind, 1000000)));
}

// Kinds without a box (the checker's twins of walker kinds) stay on: their
// walker box switches them.
EnabledKinds SettingsDialog::Kinds() const {
    EnabledKinds kinds(0, kAllCheckerKinds);
    for (const auto& [code, box] : walkerBoxes_)
        if (box->isChecked()) kinds.walker |= 1u << code;
    for (const auto& [code, box] : checkerBoxes_)
        if (!box->isChecked()) kinds.checker &= ~(1u << code);
    kinds.keptPerKind = static_cast<std::uint32_t>(keptPerKind_->value());
    return kinds;
}

}  // namespace mpeg_audio_validation
