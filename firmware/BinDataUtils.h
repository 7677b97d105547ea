#pragma once

#include <QString>

#include <functional>

class QWidget;

// Helpers around the files the tool reads and the screens it runs on.
class BinDataUtils {
public:
    // Shows an open-file dialog: parent, caption, starting folder, filter; returns the
    // chosen path or a null text when cancelled.
    using OpenFileDialog = std::function<QString(QWidget* parent, const QString& caption,
                                                 const QString& directory, const QString& filter)>;

    // Lets the user pick a file in the working directory. Logs the folder and how many of
    // its files match `pattern` (space-separated wildcards), then asks through `dialog`
    // (a real file dialog when empty). Unless pattern is "*.log", the chosen firmware
    // file is checked against the sensor's split type and the result is kept in
    // FirmwareInformation::chosenFileMatches(). Returns the chosen path, null when
    // cancelled.
    static QString showFileChooser(const QString& caption, const QString& filter,
                                   const QString& pattern, QWidget* parent = nullptr,
                                   const OpenFileDialog& dialog = OpenFileDialog());

    // Whether an update file of this name fits the sensor: the split type in its name
    // ("<version>_<split>.ovu") equals splitType. An unknown split type (0) fits nothing.
    static bool fileMatchesSplitType(const QString& path, int splitType);

    // Logs, at type 8, the number of screens, the primary one and every screen's
    // geometry, sizes, depth, resolution, refresh rate and orientations.
    static void screenOrientationLogger();
    // "Primary", "Portrait", "Landscape", "Inverted portrait", "Inverted landscape", or
    // "Unknown" for any other value of Qt::ScreenOrientation.
    static QString orientationName(int orientation);
};
