#include "troubleshoot/BinDataUtils.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>

#include "logging/LogMacros.h"

namespace {
QString rectText(const QString& format, const QRect& r) {
    return format.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString sizeText(const QString& format, const QSize& s) {
    return format.arg(s.width()).arg(s.height());
}

void logScreen(const QScreen& screen) {
    TLOG_INFO(QStringLiteral("Information for screen: %1").arg(screen.name()));
    TLOG_INFO(rectText(QStringLiteral("Available geometry: X0=%1 Y0=%2, W=%3, H=%4"),
                       screen.availableGeometry()));
    TLOG_INFO(sizeText(QStringLiteral("Available size: W=%1, H=%2"), screen.availableSize()));
    TLOG_INFO(rectText(QStringLiteral("Available virtual geometry: X0=%1 Y0=%2, W=%3, H=%4"),
                       screen.availableVirtualGeometry()));
    TLOG_INFO(sizeText(QStringLiteral("Available virtual size: %1x%2"),
                       screen.availableVirtualSize()));
    TLOG_INFO(QStringLiteral("Depth (bits): %1").arg(screen.depth()));
    TLOG_INFO(rectText(QStringLiteral("Geometry: X0=%1 Y0=%2, W=%3, H=%4"), screen.geometry()));
    TLOG_INFO(QStringLiteral("Logical DPI: %1").arg(screen.logicalDotsPerInch()));
    TLOG_INFO(QStringLiteral("Logical DPI X: %1").arg(screen.logicalDotsPerInchX()));
    TLOG_INFO(QStringLiteral("Logical DPI Y: %1").arg(screen.logicalDotsPerInchY()));
    TLOG_INFO(QStringLiteral("Physical DPI: %1").arg(screen.physicalDotsPerInch()));
    TLOG_INFO(QStringLiteral("Physical DPI X: %1").arg(screen.physicalDotsPerInchX()));
    TLOG_INFO(QStringLiteral("Physical DPI Y: %1").arg(screen.physicalDotsPerInchY()));
    TLOG_INFO(QStringLiteral("Physical size: %1x%2")
                  .arg(screen.physicalSize().width())
                  .arg(screen.physicalSize().height()));
    TLOG_INFO(QStringLiteral("Refresh rate: %1 Hz").arg(screen.refreshRate()));
    TLOG_INFO(sizeText(QStringLiteral("Size: %1x%2"), screen.size()));
    TLOG_INFO(rectText(QStringLiteral("Virtual geometry: X0=%1 Y0=%2, W=%3, H=%4"),
                       screen.virtualGeometry()));
    TLOG_INFO(sizeText(QStringLiteral("Virtual size: %1x%2"), screen.virtualSize()));
    TLOG_INFO(QStringLiteral("Orientation Info (some of it seems ignored by Windows):"));
    TLOG_INFO(QStringLiteral("Orientation: %1")
                  .arg(BinDataUtils::orientationName(screen.orientation())));
    TLOG_INFO(QStringLiteral("Primary orientation: %1")
                  .arg(BinDataUtils::orientationName(screen.primaryOrientation())));
    TLOG_INFO(QStringLiteral("Native orientation:  %1")
                  .arg(BinDataUtils::orientationName(screen.nativeOrientation())));
}
}  // namespace

QString BinDataUtils::orientationName(int orientation) {
    switch (orientation) {
        case Qt::PrimaryOrientation:
            return QStringLiteral("Primary");
        case Qt::PortraitOrientation:
            return QStringLiteral("Portrait");
        case Qt::LandscapeOrientation:
            return QStringLiteral("Landscape");
        case Qt::InvertedPortraitOrientation:
            return QStringLiteral("Inverted portrait");
        case Qt::InvertedLandscapeOrientation:
            return QStringLiteral("Inverted landscape");
        default:
            return QStringLiteral("Unknown");
    }
}

void BinDataUtils::screenOrientationLogger() {
    TTRACE();
    const QList<QScreen*> screens = QGuiApplication::screens();
    TLOG_INFO(QStringLiteral("Number of screens: %1").arg(screens.size()));
    const QScreen* primary = QGuiApplication::primaryScreen();
    TLOG_INFO(QStringLiteral("Primary screen: %1")
                  .arg(primary != nullptr ? primary->name() : QString()));
    for (const QScreen* screen : screens) {
        if (screen != nullptr) {
            logScreen(*screen);
        }
    }
}
