#pragma once

#include <functional>

// The primary display's orientation in degrees (0, 90, 180 or 270), as the calibration's
// rotation step needs it. Read from the platform's display settings on Windows and from
// the primary QScreen elsewhere; tests install a source of their own.
class DisplayOrientation {
public:
    using Source = std::function<int()>;

    // Through the installed source, else the platform's reading.
    static int degrees();
    // An empty source restores the platform's reading.
    static void setSource(Source source);

    // The Windows display-settings orientation code: 1 -> 90, 2 -> 180, 3 -> 270,
    // anything else -> 0.
    static int fromWindowsCode(int code);

private:
    static int platformDegrees();
    static Source& installed();
};
