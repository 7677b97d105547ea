#pragma once

#include <QString>

// Every key of the per-user settings store (organisation "Orvello", application
// "tavirelConfigSoftware"), defined once. Readers state their own default and type where
// they read the key.
namespace SettingsKeys {

namespace Calibration {
inline const QString kNoSoftReset = QStringLiteral("Calibration/NoSoftReset");
// A process-wide switch: while true, the untracked-finger delegate samples touches.
inline const QString kStart = QStringLiteral("Calibration/Start");
inline const QString kMode = QStringLiteral("Calibration/Mode");
inline const QString kValue = QStringLiteral("Calibration/Value");
inline const QString kSliderModified = QStringLiteral("Calibration/SliderModified");
inline const QString kSliderEastValue = QStringLiteral("Calibration/SliderEastValue");
inline const QString kSliderWestValue = QStringLiteral("Calibration/SliderWestValue");
inline const QString kSliderNorthValue = QStringLiteral("Calibration/SliderNorthValue");
inline const QString kSliderSouthValue = QStringLiteral("Calibration/SliderSouthValue");
}  // namespace Calibration

namespace GeometricCalibration {
inline const QString kCalibResult = QStringLiteral("GeometricCalibration/CalibResult");
inline const QString kUnrotatedData = QStringLiteral("GeometricCalibration/UnrotatedData");
inline const QString kRotatedData = QStringLiteral("GeometricCalibration/RotatedData");
}  // namespace GeometricCalibration

namespace FilterValue {
inline const QString kFirstConfiguration = QStringLiteral("FilterValue/FirstConfiguration");
inline const QString kKalmanStdDev = QStringLiteral("FilterValue/kalmanStdDevValue");
inline const QString kKalmanAPCovFactor = QStringLiteral("FilterValue/kalmanAPCovFactorValue");
inline const QString kKalmanAQCovFactor = QStringLiteral("FilterValue/kalmanAQCovFactorValue");
inline const QString kWarpFactor = QStringLiteral("FilterValue/warpFactorValue");
inline const QString kStabStdDeviation = QStringLiteral("FilterValue/StabStdDeviationValue");
inline const QString kCriticalLockingDistance =
    QStringLiteral("FilterValue/criticalLockingDistanceValue");
inline const QString kOrthogonality = QStringLiteral("FilterValue/orthogonalityValue");
}  // namespace FilterValue

namespace General {
inline const QString kProductTest = QStringLiteral("General/ProductTest");
inline const QString kDisableMonEdge = QStringLiteral("General/DisableMonEdge");
inline const QString kNoTouchWindow = QStringLiteral("General/NoTouchWindow");
inline const QString kNoUIsoftReset = QStringLiteral("General/NoUIsoftReset");
inline const QString kNewFeatures = QStringLiteral("General/NewFeatures");
}  // namespace General

namespace GraphView {
inline const QString kBrokenWire = QStringLiteral("GraphView/BrokenWire");
inline const QString kTroubleshootGraph = QStringLiteral("GraphView/TroubleshootGraph");
inline const QString kSingleWireMode = QStringLiteral("GraphView/SingleWireMode");
inline const QString kPartialWireThreshold = QStringLiteral("GraphView/PartialWireThreshold");
inline const QString kGraphFeatures = QStringLiteral("GraphView/GraphFeatures");
inline const QString kNoOpenGL = QStringLiteral("GraphView/NoOpenGL");
inline const QString kFlipA = QStringLiteral("GraphView/FlipA");
inline const QString kFlipB = QStringLiteral("GraphView/FlipB");
inline const QString kSwapAB = QStringLiteral("GraphView/SwapAB");
}  // namespace GraphView

namespace Model {
inline const QString kMux = QStringLiteral("Model/Mux");
}  // namespace Model

namespace MonitorView {
inline const QString kCap = QStringLiteral("MonitorView/Cap");
inline const QString kErase = QStringLiteral("MonitorView/Erase");
inline const QString kEraseSF = QStringLiteral("MonitorView/EraseSF");
inline const QString kJoin = QStringLiteral("MonitorView/Join");
inline const QString kLine = QStringLiteral("MonitorView/Line");
inline const QString kPenwidth = QStringLiteral("MonitorView/Penwidth");
inline const QString kText = QStringLiteral("MonitorView/Text");
}  // namespace MonitorView

namespace Sensitivity {
inline const QString kProduceReport = QStringLiteral("Sensitivity/ProduceReport");
inline const QString kShowMonitor = QStringLiteral("Sensitivity/ShowMonitor");
}  // namespace Sensitivity

namespace VersionValue {
inline const QString kMinUiRepoFlag = QStringLiteral("VersionValue/minUiRepoFlag");
inline const QString kFirstConfiguration = QStringLiteral("VersionValue/FirstConfiguration");
}  // namespace VersionValue

}  // namespace SettingsKeys
