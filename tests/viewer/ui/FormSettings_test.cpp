#include "viewer/ui/FormSettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "tests/viewer/ui/form_test_support.h"

namespace {

std::unique_ptr<QSettings> OpenStore() {
    return std::make_unique<QSettings>(SettingsFormat(), QSettings::UserScope, kSettingsOrganisation,
                                       kSettingsApplication);
}

TEST(FormSettings, StoreLivesInTheTestFolderUnderOrganisationAndApplication) {
    formtest::SettingsSandbox sandbox;
    const QString file = sandbox.StoreFile();
    EXPECT_TRUE(file.startsWith(sandbox.Folder())) << file.toStdString();
    EXPECT_TRUE(file.contains(QStringLiteral("Orvanne Media Solutions"))) << file.toStdString();
    EXPECT_FALSE(file.startsWith(QDir::homePath() + QStringLiteral("/.config"))) << file.toStdString();
}

TEST(FormSettings, MissingValuesLeaveDesignDefaults) {
    formtest::SettingsSandbox sandbox;
    TFormSettings settings;
    ReadFormSettings(*OpenStore(), settings);
    EXPECT_EQ(settings.FormLeft, 111);
    EXPECT_EQ(settings.FormTop, 77);
    EXPECT_EQ(settings.FormWidth, 1124);
    EXPECT_EQ(settings.FormHeight, 486);
    EXPECT_EQ(settings.ColumnWidths, (std::array<int, 7>{120, 70, 70, 50, 90, 100, 80}));
    EXPECT_EQ(settings.Panel2Width, 700);
    EXPECT_EQ(settings.WindowState, 0);
    EXPECT_TRUE(settings.CheckForUpdates);
    EXPECT_TRUE(settings.DemuxFolder.isEmpty());
    EXPECT_EQ(settings.LastUsedModules, 0xFFFFFFFFu);
    EXPECT_TRUE(settings.ShowAudioData);
    EXPECT_FALSE(QFile::exists(sandbox.StoreFile()));  // reading creates nothing
}

TEST(FormSettings, RoundTripKeepsEveryValue) {
    formtest::SettingsSandbox sandbox;
    TFormSettings written;
    written.FormLeft = 5;
    written.FormTop = 6;
    written.FormWidth = 900;
    written.FormHeight = 500;
    written.ColumnWidths = {130, 71, 72, 53, 94, 105, 86};
    written.Panel2Width = 640;
    written.WindowState = 2;
    written.CheckForUpdates = false;
    written.DemuxFolder = QStringLiteral("/srv/extracted/");
    written.LastUsedModules = 0x80000005u;
    written.ShowAudioData = false;
    {
        const auto store = OpenStore();
        WriteFormSettings(*store, written);
    }
    TFormSettings read;
    ReadFormSettings(*OpenStore(), read);
    EXPECT_EQ(read.FormLeft, 5);
    EXPECT_EQ(read.FormTop, 6);
    EXPECT_EQ(read.FormWidth, 900);
    EXPECT_EQ(read.FormHeight, 500);
    EXPECT_EQ(read.ColumnWidths, written.ColumnWidths);
    EXPECT_EQ(read.Panel2Width, 640);
    EXPECT_EQ(read.WindowState, 2);
    EXPECT_FALSE(read.CheckForUpdates);
    EXPECT_EQ(read.DemuxFolder, QStringLiteral("/srv/extracted/"));
    EXPECT_EQ(read.LastUsedModules, 0x80000005u);
    EXPECT_FALSE(read.ShowAudioData);
}

TEST(FormSettings, ValuesAreStoredUnderTheirNames) {
    formtest::SettingsSandbox sandbox;
    {
        const auto store = OpenStore();
        WriteFormSettings(*store, TFormSettings{});
    }
    const auto store = OpenStore();
    const QStringList expected{"FormTop", "FormLeft", "FormHeight", "FormWidth", "OffsetColWidth", "LengthColWidth",
                               "FrameTimeColWidth", "LayerColWidth", "SamplingRateColWidth", "BitrateColWidth",
                               "ModeColWidth", "Panel2Width", "WindowState", "CheckForUpdates", "DemuxFolder",
                               "LastUsedModules", "ShowAudioData"};
    QStringList keys = store->allKeys();
    keys.sort();
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    EXPECT_EQ(keys, sortedExpected);
    EXPECT_EQ(store->value("OffsetColWidth").toInt(), 120);
    EXPECT_EQ(store->value("ModeColWidth").toInt(), 80);
    EXPECT_EQ(store->value("LastUsedModules").toLongLong(), 0xFFFFFFFFll);
}

TEST(FormSettings, WrongTypedValueIsSkippedAndOthersStillRead) {
    formtest::SettingsSandbox sandbox;
    {
        const auto store = OpenStore();
        store->setValue("FormTop", "high");
        store->setValue("FormLeft", 42);
        store->setValue("OffsetColWidth", QStringList{"1", "2"});
        store->setValue("LengthColWidth", 66);
        store->setValue("CheckForUpdates", "perhaps");
        store->setValue("DemuxFolder", QStringList{"a", "b"});
        store->setValue("LastUsedModules", -1);
        store->setValue("WindowState", 1);
    }
    TFormSettings settings;
    settings.CheckForUpdates = false;
    ReadFormSettings(*OpenStore(), settings);
    EXPECT_EQ(settings.FormTop, 77);
    EXPECT_EQ(settings.FormLeft, 42);
    EXPECT_EQ(settings.ColumnWidths[0], 120);
    EXPECT_EQ(settings.ColumnWidths[1], 66);
    EXPECT_FALSE(settings.CheckForUpdates);
    EXPECT_TRUE(settings.DemuxFolder.isEmpty());
    EXPECT_EQ(settings.LastUsedModules, 0xFFFFFFFFu);  // a double word read back signed
    EXPECT_EQ(settings.WindowState, 1);
}

TEST(FormSettings, BooleanReadsItsTextForms) {
    formtest::SettingsSandbox sandbox;
    TFormSettings settings;
    for (const auto& [text, expected] : std::vector<std::pair<QString, bool>>{
             {"false", false}, {"TRUE", true}, {"0", false}, {"1", true}}) {
        {
            const auto store = OpenStore();
            store->setValue("CheckForUpdates", text);
        }
        settings.CheckForUpdates = !expected;
        ReadFormSettings(*OpenStore(), settings);
        EXPECT_EQ(settings.CheckForUpdates, expected) << text.toStdString();
    }
}

TEST(FormSettings, FoldersGetTrailingSeparator) {
    EXPECT_EQ(WithTrailingSeparator(QStringLiteral("/tmp")), QStringLiteral("/tmp/"));
    EXPECT_EQ(WithTrailingSeparator(QStringLiteral("/tmp/")), QStringLiteral("/tmp/"));
    EXPECT_EQ(DefaultDemuxFolder(), QDir::toNativeSeparators(QDir::tempPath()) + QDir::separator());
}

}  // namespace
