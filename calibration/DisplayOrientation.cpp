#include "DisplayOrientation.h"

#include <QGuiApplication>
#include <QScreen>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
constexpr int kQuarterTurn = 90;
constexpr int kHalfTurn = 180;
constexpr int kThreeQuarterTurns = 270;
constexpr int kFullTurn = 360;
}  // namespace

int DisplayOrientation::degrees() {
    const Source& source = installed();
    return source ? source() : platformDegrees();
}

void DisplayOrientation::setSource(Source source) {
    installed() = std::move(source);
}

int DisplayOrientation::fromWindowsCode(int code) {
    switch (code) {
        case 1:
            return kQuarterTurn;
        case 2:
            return kHalfTurn;
        case 3:
            return kThreeQuarterTurns;
        default:
            return 0;
    }
}

DisplayOrientation::Source& DisplayOrientation::installed() {
    static Source source;
    return source;
}

#ifdef Q_OS_WIN
int DisplayOrientation::platformDegrees() {
    DEVMODEW mode;
    ZeroMemory(&mode, sizeof(mode));
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsExW(nullptr, ENUM_CURRENT_SETTINGS, &mode, EDS_RAWMODE)) {
        return 0;
    }
    return fromWindowsCode(static_cast<int>(mode.dmDisplayOrientation));
}
#else
int DisplayOrientation::platformDegrees() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return 0;
    }
    const int angle = screen->angleBetween(screen->nativeOrientation(), screen->orientation());
    return ((angle % kFullTurn) + kFullTurn) % kFullTurn;
}
#endif
