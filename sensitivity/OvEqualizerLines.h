#pragma once

#include <QByteArray>
#include <QWidget>

#include "sensitivity/EqualizerStatistics.h"

// One vertical bar per wire for the frames pushed into it (levels 0..255 over the full
// height), with the press level as a line, the wires out in red and an optional scan
// profile. The statistics live in an EqualizerStatistics, so the widget only draws.
class OvEqualizerLines : public QWidget {
    Q_OBJECT
public:
    enum DisplayOption {
        // Each wire's level written above its bar.
        ShowReadout = 0x1,
        // The readout less the baseline of 16.
        SubtractOffset = 0x2,
        ShowPressLevel = 0x4,
        // Wires out drawn in red, and the noise level of the evaluation as a line.
        ShowWireOut = 0x8,
    };
    Q_DECLARE_FLAGS(DisplayOptions, DisplayOption)
    static constexpr DisplayOptions kAllOptions =
        DisplayOptions(ShowReadout | SubtractOffset | ShowPressLevel | ShowWireOut);

    explicit OvEqualizerLines(QWidget* parent = nullptr);

    void setDisplayOptions(DisplayOptions options);
    void setDisplayOption(DisplayOption option, bool on);
    DisplayOptions displayOptions() const { return m_options; }
    // When on, every evaluation also writes the statistics to a "BrokenWireData" file.
    void setLogWireOut(bool on) { m_model.setLogWireOut(on); }

    const EqualizerStatistics& model() const { return m_model; }
    int press() const { return m_model.press(); }

    QSize sizeHint() const override { return QSize(400, 200); }
    QSize minimumSizeHint() const override { return QSize(80, 40); }

signals:
    // The third frame after clearing evaluated the first two.
    void finishedAccumulatingSamples();

public slots:
    // Adds the frame to the statistics (and evaluates on the third) without changing the
    // bars on display.
    void analyzeAndDisplay(QByteArray theData);
    // Shows the frame as the bars.
    void paintData(QByteArray theData);
    // Shows the frame and adds it to the statistics.
    void push(QByteArray theData);
    // Lays a scan line over the bars (each wire keeps the largest level).
    void pushScanData(QByteArray theData);
    // Replaces the scan profile with a whole profile across the wires.
    void pushHorVerData(QByteArray verHor);
    // Restarts the statistics; the wire-out marks stay until the next evaluation.
    void clearStats();
    // Restarts the statistics and removes the wire-out marks.
    void emptyWireOutData();
    void emptyScanOutData();
    // Removes the bars.
    void emptyEdgeData();
    void clearWireOutStats();
    void setPress(int press);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void accumulate(const QByteArray& frame);

    EqualizerStatistics m_model;
    DisplayOptions m_options;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(OvEqualizerLines::DisplayOptions)
