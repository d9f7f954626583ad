#pragma once
// The main window's saved settings and how they are stored: QSettings in the
// native format (the registry on Windows, an INI file elsewhere) under
// organisation "Orvanne Media Solutions", application "tamberly". No widget:
// the window copies its layout into a TFormSettings and back.

#include <QSettings>
#include <QString>

#include <array>
#include <cstdint>

inline constexpr const char* kSettingsOrganisation = "Orvanne Media Solutions";
inline constexpr const char* kSettingsApplication = "tamberly";

inline constexpr int kFrameListColumnCount = 7;
inline constexpr std::array<const char*, kFrameListColumnCount> kColumnWidthNames{
    "OffsetColWidth", "LengthColWidth",  "FrameTimeColWidth", "LayerColWidth",
    "SamplingRateColWidth", "BitrateColWidth", "ModeColWidth"};

struct TFormSettings {
    // Window bounds: the position of the window and the size of its client
    // area below the menu bar.
    int FormLeft = 111;
    int FormTop = 77;
    int FormWidth = 1124;
    int FormHeight = 486;
    std::array<int, kFrameListColumnCount> ColumnWidths{120, 70, 70, 50, 90, 100, 80};
    int Panel2Width = 700;
    int WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
    bool CheckForUpdates = true;
    QString DemuxFolder;  // empty: the system's temporary folder
    std::uint32_t LastUsedModules = 0xFFFFFFFF;
    bool ShowAudioData = true;  // the frame tree shows the audio data, CRC verdict and VBR header
};

// The settings store of the program.
[[nodiscard]] QSettings::Format SettingsFormat();

// Reads every value in its own step: a value that is missing or of the wrong
// type leaves its setting as it was, and the others are still read.
void ReadFormSettings(const QSettings& store, TFormSettings& settings);

// Writes every value.
void WriteFormSettings(QSettings& store, const TFormSettings& settings);

// The folder with a trailing separator (the platform's own), in native form.
[[nodiscard]] QString WithTrailingSeparator(const QString& folder);

// The system's temporary folder with a trailing separator.
[[nodiscard]] QString DefaultDemuxFolder();
