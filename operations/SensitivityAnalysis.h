#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "protocol/NormalVariable.h"

// The arithmetic of the automatic sensitivity procedure: per-wire statistics of the edge
// levels of both wire arrays, collected while the installer presses the target, and what
// the procedure derives from them (prescaler, touch threshold, zonal filter noise bytes,
// signal-to-noise ratio, noise figure, line health, the report files).
//
// The static functions work on any list with one NormalVariable per wire (index = wire).
// An object collects frames into the two lists; the derived values are std::nullopt while
// either list is still empty, so a run that never saw a frame of one array can be ended
// as failed instead of reading a wire that does not exist.
class SensitivityAnalysis {
public:
    enum Array { ArrayA, ArrayB };

    // Edge levels carry a baseline of 16 counts without touch.
    static constexpr double kBaseline = 16.0;
    // The level a touch should reach after the new prescaler is applied.
    static constexpr int kTargetSensLevel = 32;
    static constexpr double kMinimumTouchLevel = 8.0;
    static constexpr int kMinimumPrescaler = 4;
    static constexpr int kMinimumThreshold = 10;
    static constexpr int kMaximumThreshold = 21;
    // Wires within this percentage of either end of an array are outer wires.
    static constexpr int kOuterWirePercent = 20;
    static constexpr double kMaximumZonalSigma = 7.96875;
    static constexpr int kDefaultFramesPerArray = 100;

    // The signal-to-noise picture of one array: the largest mean of the inner wires and the
    // largest mean + sqrt(3 variance) of the outer wires, both less the baseline.
    struct TouchSignal {
        double inner = 0.0;
        double outer = 0.0;
        // inner / outer; 0 when outer is 0.
        double ratio = 0.0;
    };

    // framesPerArray: frames counted per array before further frames are ignored.
    explicit SensitivityAnalysis(int framesPerArray = kDefaultFramesPerArray);

    // Forgets both lists and both frame counts.
    void clear();
    // Adds one edge frame (one unsigned byte per wire) to the array's statistics. The
    // first frame of an array sets its wire count; bytes of a longer later frame beyond it
    // are not used (warned once per list). Returns false, counting nothing, for an empty
    // frame or once the array has its frames.
    bool addFrame(Array array, const QByteArray& frame);

    int frameCount(Array array) const;
    // Frames collected by both arrays.
    int commonFrameCount() const;
    int framesPerArray() const { return m_framesPerArray; }
    bool isComplete() const { return commonFrameCount() >= m_framesPerArray; }
    const QList<NormalVariable>& statistics(Array array) const;
    // The last frame counted for the array.
    QByteArray lastFrame(Array array) const;
    // Both lists have at least one wire.
    bool hasStatistics() const;

    // The derived values over the collected lists; std::nullopt while a list is empty.
    std::optional<int> computePrescaler(int acquisitionPrescaler) const;
    std::optional<int> computeThreshold() const;
    std::optional<double> signalToNoiseRatio() const;
    std::optional<double> noiseFigure() const;
    // "Group A:" and its lines, then "Group B:" and its lines; a group without issues
    // adds nothing.
    QStringList lineHealthReport() const;
    // Writes "<tag>_<timeStamp>.log" in the working directory when the setting
    // "Sensitivity/ProduceReport" is on: list A's statistics, two empty lines, list B's.
    // Returns true when a file was written; a file that cannot be written is logged and
    // skipped.
    bool logStatisticData(const QString& tag, const QString& timeStamp) const;

    // Prescaler that brings the touch level of the weaker array (the one whose largest
    // wire mean is smaller; B on a tie) to the target level, at least 4.
    static std::optional<int> computePrescaler(const QList<NormalVariable>& a,
                                               const QList<NormalVariable>& b,
                                               int acquisitionPrescaler);
    // Touch threshold from the noisiest wires of both arrays, limited to 10..21.
    static std::optional<int> computeThreshold(const QList<NormalVariable>& a,
                                               const QList<NormalVariable>& b);
    // One byte per wire: sigma in units of 1/32, at most 255.
    static QByteArray computeZonalFilterSigmas(const QList<NormalVariable>& wires);
    // "Issue at Line <i>: ..." for wires whose sigma is below a third of the average sigma
    // (broken) or above three times it (intermittent contact).
    static QStringList produceLineHealthReport(const QList<NormalVariable>& wires);
    // The group heading followed by the wires' report; empty when there is no issue.
    static QStringList groupLineHealthReport(const QString& group,
                                             const QList<NormalVariable>& wires);
    static TouchSignal analyzeTouchSignal(const QList<NormalVariable>& wires);
    // Number of outer wires at each end of an array of wireCount wires.
    static int outerWireMargin(int wireCount);
    // Wires margin .. wireCount - margin are inner; the rest outer.
    static bool isInnerWire(int index, int wireCount);
    static bool logStatisticData(const QString& tag, const QString& timeStamp,
                                 const QList<NormalVariable>& a, const QList<NormalVariable>& b);
    // The time stamp of the report file names: "yyyyMMdd-HHmmss".
    static QString timeStamp(const QDateTime& time);

private:
    struct ArrayData {
        QList<NormalVariable> wires;
        QByteArray lastFrame;
        int frames = 0;
        bool warnedLongFrame = false;
    };

    ArrayData& data(Array array) { return array == ArrayA ? m_a : m_b; }
    const ArrayData& data(Array array) const { return array == ArrayA ? m_a : m_b; }

    int m_framesPerArray;
    ArrayData m_a;
    ArrayData m_b;
};
