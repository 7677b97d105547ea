#pragma once

#include <QString>
#include <QtGlobal>

// Helpers around the screens the tool runs on.
class BinDataUtils {
public:
    // Logs, at type 8, the number of screens, the primary one and every screen's
    // geometry, sizes, depth, resolution, refresh rate and orientations.
    static void screenOrientationLogger();
    // "Primary", "Portrait", "Landscape", "Inverted portrait", "Inverted landscape", or
    // "Unknown" for any other value of Qt::ScreenOrientation.
    static QString orientationName(int orientation);
};
