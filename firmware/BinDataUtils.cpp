#include "BinDataUtils.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>

#include "logging/LogMacros.h"
#include "protocol/FirmwareInformation.h"
#include "firmware/FirmwareVersionRules.h"

namespace {
const char* const kLogPattern = "*.log";

QString askWithFileDialog(QWidget* parent, const QString& caption, const QString& directory,
                          const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}
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
    TLOG_INFO(
        sizeText(QStringLiteral("Available virtual size: %1x%2"), screen.availableVirtualSize()));
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
    TLOG_INFO(
        QStringLiteral("Orientation: %1").arg(BinDataUtils::orientationName(screen.orientation())));
    TLOG_INFO(QStringLiteral("Primary orientation: %1")
                  .arg(BinDataUtils::orientationName(screen.primaryOrientation())));
    TLOG_INFO(QStringLiteral("Native orientation:  %1")
                  .arg(BinDataUtils::orientationName(screen.nativeOrientation())));
}
}  // namespace

QString BinDataUtils::showFileChooser(const QString& caption, const QString& filter,
                                      const QString& pattern, QWidget* parent,
                                      const OpenFileDialog& dialog) {
    TTRACE();
    const QString folder = QDir::currentPath();
    TLOG_INFO(QStringLiteral("Operating at: %1").arg(folder));
    const QStringList files =
        QDir(folder).entryList(pattern.split(QLatin1Char(' '), Qt::SkipEmptyParts), QDir::Files);
    TLOG_INFO(QStringLiteral("%1 files read").arg(files.size()));
    const QString chosen = dialog ? dialog(parent, caption, folder, filter)
                                  : askWithFileDialog(parent, caption, folder, filter);
    if (chosen.isEmpty() || pattern == QLatin1String(kLogPattern)) {
        return chosen;
    }
    FirmwareInformation& information = FirmwareInformation::instance();
    const bool matches = fileMatchesSplitType(chosen, information.splitType());
    if (!matches) {
        TLOG_INFO(QStringLiteral("%1 Wrong file was chosen").arg(chosen));
    }
    information.setChosenFileMatches(matches);
    return chosen;
}

bool BinDataUtils::fileMatchesSplitType(const QString& path, int splitType) {
    return FirmwareVersionRules::fileFitsSplitType(path, splitType);
}

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
    TLOG_INFO(
        QStringLiteral("Primary screen: %1").arg(primary != nullptr ? primary->name() : QString()));
    for (const QScreen* screen : screens) {
        if (screen != nullptr) {
            logScreen(*screen);
        }
    }
}
