#pragma once

#include <QByteArray>
#include <QRandomGenerator>

#include "sim/SimScenario.h"

// A seeded model of the foil: two wire arrays, a baseline with Gaussian noise, one finger
// whose signal spreads over the neighbouring wires and scales with 1/prescaler, and
// optional broken (flat) or weak (attenuated) wires.
//
// Positions are sensor coordinates 0..4095 along each array; wire i of n lies at
// (i + 0.5) * 4096 / n. Every value is a byte; the idle level is kBaseline.
class SimSensorModel {
public:
    enum class Array { A, B };

    static constexpr int kPositionRange = 4096;
    static constexpr int kBaseline = 16;

    SimSensorModel();

    // Takes wire counts, seed, noise, touch strength and wire faults; lifts the finger.
    void configure(const SimScenario& scenario);

    int wireCount(Array array) const;
    // Edge frames carry one value per wire except the last one.
    int edgeCount(Array array) const { return wireCount(array) - 1; }
    bool hasBrokenWire(Array array) const;

    void setContact(bool down, int a, int b);
    bool isTouched() const { return m_touched; }
    // The pressed target: while on, edge frames are exact (see the scenario keys pressAt,
    // pressLevel, pressNoise) and ignore the prescaler, the noise and the finger.
    void setPressedTarget(bool on, int level, int noise);
    bool isPressedTarget() const { return m_pressed; }

    // One value per edge; `prescaler` scales the finger's signal (values below 1 count as 1).
    QByteArray edgeFrame(Array array, int prescaler);
    // Row `line` (a wire of `array`) across every wire of the other array; empty when
    // the line does not exist.
    QByteArray scanLine(Array array, int line, int prescaler);
    // rows x cols values of the same grid, row after row; cells outside the grid are
    // the baseline.
    QByteArray scanTile(Array array, int firstRow, int rows, int firstCol, int cols, int prescaler);
    // The raw level of every wire of the array: broken wires read 0, weak ones low.
    QByteArray diagnostics(Array array);
    // Measured finger position along the array (0 when no finger is down).
    quint16 fingerPosition(Array array);

private:
    enum class WireState { Good, Weak, Broken };

    WireState wireState(Array array, int wire) const;
    // How much of the finger's signal wire `wire` sees, 0..1.
    double closeness(Array array, int wire) const;
    double touchAmplitude(int prescaler) const;
    double gaussian();
    static quint8 toByte(double value);
    static Array other(Array array) { return array == Array::A ? Array::B : Array::A; }

    QRandomGenerator m_random;
    int m_wiresA = 40;
    int m_wiresB = 40;
    double m_noise = 1.0;
    double m_touchStrength = 600.0;
    int m_brokenA = -1;
    int m_brokenB = -1;
    int m_weakA = -1;
    int m_weakB = -1;
    QByteArray pressedEdgeFrame(Array array);

    bool m_touched = false;
    bool m_pressed = false;
    int m_pressLevel = 0;
    int m_pressNoise = 0;
    // Per array: whether the next pressed frame lies above its level.
    bool m_pressHigh[2] = {true, true};
    int m_a = 0;
    int m_b = 0;
};
