#include "modules/mpeg_audio_validator/SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <variant>

#include "libs/mpaprofile/builtin_profiles.h"
#include "libs/mpaprofile/profile_source.h"

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
    AddProfileChoice();
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

namespace {

const QString kProfileFileChoice = QStringLiteral("file");

}  // namespace

void SettingsDialog::AddProfileChoice() {
    layout()->addWidget(new QLabel(QStringLiteral("Judge the stream by this delivery profile:"), this));
    profileChoice_ = new QComboBox(this);
    profileChoice_->setObjectName(QStringLiteral("profile"));
    profileChoice_->addItem(QStringLiteral("None"), QString());
    for (const auto& builtin : mpaprofile::builtin_profiles()) {
        const auto parsed = mpaprofile::find_builtin(builtin.name);
        const QString name = QString::fromUtf8(builtin.name.data(), static_cast<int>(builtin.name.size()));
        profileChoice_->addItem(parsed ? QString::fromStdString(parsed->title) : name, name);
    }
    profileChoice_->addItem(QStringLiteral("Profile file"), kProfileFileChoice);
    profileFile_ = new QLineEdit(this);
    profileFile_->setObjectName(QStringLiteral("profile-file"));
    profileFile_->setPlaceholderText(QStringLiteral("Path of the profile file"));
    profileError_ = new QLabel(this);
    profileError_->setObjectName(QStringLiteral("profile-error"));
    profileError_->setWordWrap(true);
    layout()->addWidget(profileChoice_);
    layout()->addWidget(profileFile_);
    layout()->addWidget(profileError_);
    connect(profileChoice_, &QComboBox::currentIndexChanged, this,
            [this] { profileFile_->setEnabled(profileChoice_->currentData().toString() == kProfileFileChoice); });
    profileFile_->setEnabled(false);
}

void SettingsDialog::SetProfile(const std::string& profile) {
    profileError_->clear();
    const int builtin = profileChoice_->findData(QString::fromStdString(profile));
    if (profile.empty() || (builtin >= 0 && profileChoice_->itemData(builtin).toString() != kProfileFileChoice)) {
        profileChoice_->setCurrentIndex(builtin < 0 ? 0 : builtin);
        return;
    }
    profileChoice_->setCurrentIndex(profileChoice_->findData(kProfileFileChoice));
    profileFile_->setText(QString::fromStdString(profile));
}

std::string SettingsDialog::Profile() const {
    const QString choice = profileChoice_->currentData().toString();
    return (choice == kProfileFileChoice ? profileFile_->text().trimmed() : choice).toStdString();
}

void SettingsDialog::accept() {
    if (profileChoice_->currentData().toString() == kProfileFileChoice) {
        const auto loaded = mpaprofile::load_profile(Profile());
        if (const auto* error = std::get_if<std::string>(&loaded)) {
            profileError_->setText(QString::fromStdString(*error));
            return;
        }
    }
    profileError_->clear();
    QDialog::accept();
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
