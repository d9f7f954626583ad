#include "viewer/ui/FormSettings.h"

#include <QDir>
#include <QMetaType>
#include <QVariant>

#include <functional>
#include <limits>

namespace {

// Runs one read; whatever goes wrong in it stays in it.
void Guarded(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
    }
}

void ReadInteger(const QSettings& store, const char* name, int& target) {
    Guarded([&] {
        const QVariant value = store.value(name);
        if (!value.isValid() || value.typeId() == QMetaType::QStringList) return;
        bool ok = false;
        const int number = value.toInt(&ok);
        if (ok) target = number;
    });
}

void ReadUnsigned(const QSettings& store, const char* name, std::uint32_t& target) {
    Guarded([&] {
        const QVariant value = store.value(name);
        if (!value.isValid() || value.typeId() == QMetaType::QStringList) return;
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        // A double word may come back signed: -1 is 0xFFFFFFFF.
        if (ok && number >= std::numeric_limits<std::int32_t>::min() &&
            number <= std::numeric_limits<std::uint32_t>::max())
            target = static_cast<std::uint32_t>(number);
    });
}

void ReadBoolean(const QSettings& store, const char* name, bool& target) {
    Guarded([&] {
        const QVariant value = store.value(name);
        if (value.typeId() == QMetaType::Bool) {
            target = value.toBool();
            return;
        }
        if (value.typeId() != QMetaType::QString) return;
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("1")) target = true;
        else if (text == QLatin1String("false") || text == QLatin1String("0")) target = false;
    });
}

void ReadString(const QSettings& store, const char* name, QString& target) {
    Guarded([&] {
        const QVariant value = store.value(name);
        if (value.typeId() == QMetaType::QString) target = value.toString();
    });
}

}  // namespace

QSettings::Format SettingsFormat() { return QSettings::NativeFormat; }

void ReadFormSettings(const QSettings& store, TFormSettings& settings) {
    ReadInteger(store, "FormTop", settings.FormTop);
    ReadInteger(store, "FormLeft", settings.FormLeft);
    ReadInteger(store, "FormHeight", settings.FormHeight);
    ReadInteger(store, "FormWidth", settings.FormWidth);
    for (std::size_t i = 0; i < kColumnWidthNames.size(); ++i)
        ReadInteger(store, kColumnWidthNames[i], settings.ColumnWidths[i]);
    ReadInteger(store, "Panel2Width", settings.Panel2Width);
    ReadInteger(store, "WindowState", settings.WindowState);
    ReadBoolean(store, "CheckForUpdates", settings.CheckForUpdates);
    ReadString(store, "DemuxFolder", settings.DemuxFolder);
    ReadUnsigned(store, "LastUsedModules", settings.LastUsedModules);
    ReadBoolean(store, "ShowAudioData", settings.ShowAudioData);
}

void WriteFormSettings(QSettings& store, const TFormSettings& settings) {
    store.setValue("FormTop", settings.FormTop);
    store.setValue("FormLeft", settings.FormLeft);
    store.setValue("FormHeight", settings.FormHeight);
    store.setValue("FormWidth", settings.FormWidth);
    for (std::size_t i = 0; i < kColumnWidthNames.size(); ++i)
        store.setValue(kColumnWidthNames[i], settings.ColumnWidths[i]);
    store.setValue("Panel2Width", settings.Panel2Width);
    store.setValue("WindowState", settings.WindowState);
    store.setValue("CheckForUpdates", settings.CheckForUpdates);
    store.setValue("ShowAudioData", settings.ShowAudioData);
    store.setValue("DemuxFolder", settings.DemuxFolder);
    store.setValue("LastUsedModules", static_cast<uint>(settings.LastUsedModules));
}

QString WithTrailingSeparator(const QString& folder) {
    QString native = QDir::toNativeSeparators(folder);
    if (!native.endsWith(QDir::separator())) native += QDir::separator();
    return native;
}

QString DefaultDemuxFolder() { return WithTrailingSeparator(QDir::tempPath()); }
