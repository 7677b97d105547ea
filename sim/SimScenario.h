#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "sim/SimFingerScript.h"

// The knobs of the virtual controller: which board it pretends to be, how its sensor
// behaves, how fast it answers and streams, and which faults it shows.
//
// Times ("...AtMs") count from the moment the scenario is applied (construction of the
// controller or setScenario()); durations are in milliseconds. A time or wire index of
// -1 means "never" / "none".
//
// Text form, used by scenario files and by --simulate=key=value,...:
//   vid, pid                  USB ids, decimal or 0x-hex (default 0x25c8, 0x0014)
//   manufacturer, product, serial   the USB strings
//   split                     4040, 4024 or 2440 (wires of array A, array B)
//   paramVersion              0 or 1: the parameter-layout version the board reports
//   firmwareVersion           running firmware version, hex digits (default 615)
//   originalVersion           original firmware version, hex digits (default 600)
//   blankRunningHeader        true: the running header reads erased (all ones)
//   calibrated                true: boots with a valid stored three-point calibration
//   readProtect               true: the read-protection status bit is set
//   seed                      seed of the sensor noise
//   noise                     noise sigma of the sensor readings, in counts (0..50)
//   touchStrength             touch signal = touchStrength / prescaler counts (1..100000)
//   brokenWireA/B             index of a broken wire (flat signal, wire-error bit set)
//   weakWireA/B               index of a weak wire (a quarter of the touch signal)
//   touches                   scripted contacts: entries "atMs:a:b" (finger down at
//                             sensor position a, b in 0..4095) and "atMs:up", separated
//                             by blanks, ';' or ','
//   taps                      a scripted finger in step with the untracked-finger stream
//                             (calibration): entries "delayMs:a:b:samples", see
//                             SimFingerScript
//                             (in a scenario file separate entries with blanks: there
//                             ';' begins a comment and cuts the list short)
//   pressAt                   from then on, while edge monitoring is on, a finger rests on
//                             the middle of the sensor (the automatic sensitivity target):
//                             the edge frames become exact instead of noisy (-1: never)
//   pressLevel                edge level (0..255) of the middle wire of each array while
//                             pressed; the other wires read the baseline of 16
//   pressNoise                while pressed every wire alternates, frame by frame, between
//                             its level + pressNoise and its level - pressNoise (counts,
//                             0..50), so 2n frames have exactly that mean and a population
//                             sigma of pressNoise
//   latency                   answer latency
//   edgeInterval, scanInterval, scanAreaInterval, diagInterval, fingerInterval
//                             stream periods (0 disables that stream)
//   softReset                 how long the soft-reset status bit stays set
//   resetOnPrescalerChange    a new edge or scan prescaler makes the board soft-reset
//   reboot                    how long the board is off the bus after a firmware commit
//   silenceAt, silenceFor     the board stops answering and streaming (-1: for ever)
//   unplugAt, replugAfter     the board leaves the bus and comes back (-1: stays away)
//   readErrorAt               every open handle fails its reads and writes from then on
//                             while the board stays listed (as after a fast
//                             re-enumeration or a suspend); a handle opened later works
//   firmwareFailure           none, storeclear, headerset, headerecho, item, itemsilent,
//                             notready, commit, performlost, noreturn, unplugitem
//   firmwareFailItem          entry number that the item failures hit
//   malformedAt, malformedFor, malformedEvery
//                             from malformedAt for malformedFor ms (-1: for ever) the
//                             board slips a malformed report between its real ones every
//                             malformedEvery ms (see SimMalformedReports); -1: never
//   ignore                    request opcodes the board takes but ignores (no effect, no
//                             answer), decimal or 0x-hex, separated by blanks, ';' or '+';
//                             e.g. ignore=23 never answers the firmware-header request
//
// Scenario files are INI files holding the same keys, optionally under [scenario].
struct SimScenario {
    enum class FirmwareFailure {
        None,
        StoreNotCleared,  // store clear reports header and items still dirty
        HeaderRejected,   // header set is refused
        HeaderEchoWrong,  // header get reports a staged checksum that differs
        ItemRejected,     // the item firmwareFailItem is refused
        ItemUnanswered,   // the item firmwareFailItem gets no answer
        NotReady,         // update-is-ready always answers "not ready"
        CommitRefused,    // update-perform is refused
        PerformLost,      // update-perform commits, but the board restarts before answering
        NoReturn,         // after the commit the board never comes back
        UnplugAtItem,     // the board leaves the bus when item firmwareFailItem arrives and
                          // comes back after replugAfter
    };

    // One scripted contact change.
    struct Touch {
        int atMs = 0;
        bool down = false;
        int a = 0;  // sensor position along array A, 0..4095
        int b = 0;  // sensor position along array B, 0..4095
    };

    unsigned short vendorId = 0x25C8;
    unsigned short productId = 0x0014;
    QString manufacturer = QStringLiteral("Orvello");
    QString product = QStringLiteral("Tavirel Touch Controller");
    QString serialNumber = QStringLiteral("TVR0000001");

    int wiresA = 40;
    int wiresB = 40;
    int paramVersion = 1;
    quint32 firmwareVersion = 0x615;
    quint32 originalVersion = 0x600;
    bool blankRunningHeader = false;
    bool calibrated = false;
    bool readProtect = false;

    quint32 seed = 1;
    double noise = 1.0;
    double touchStrength = 600.0;
    int brokenWireA = -1;
    int brokenWireB = -1;
    int weakWireA = -1;
    int weakWireB = -1;
    QList<Touch> touches;
    QList<SimFingerScript::Tap> taps;
    int pressAtMs = -1;
    int pressLevel = 40;
    int pressNoise = 1;

    int latencyMs = 2;
    int edgeIntervalMs = 20;
    int scanIntervalMs = 10;
    int scanAreaIntervalMs = 20;
    int diagIntervalMs = 50;
    int fingerIntervalMs = 10;
    int softResetMs = 1000;
    bool resetOnPrescalerChange = true;
    int rebootMs = 3000;
    int silenceAtMs = -1;
    int silenceForMs = -1;
    int unplugAtMs = -1;
    int replugAfterMs = 3000;
    int readErrorAtMs = -1;

    FirmwareFailure firmwareFailure = FirmwareFailure::None;
    int firmwareFailItem = 0;

    int malformedAtMs = -1;
    int malformedForMs = -1;
    int malformedEveryMs = 5;
    // Requests of these opcodes are taken and ignored.
    QList<int> ignoredOpcodes;

    // Sets one knob from its text form. On a bad key or value: logs a warning, leaves
    // the scenario unchanged, returns false and describes the problem in *error.
    bool applyOption(const QString& key, const QString& value, QString* error = nullptr);
    // Applies "key=value" items in order; stops at the first bad item (false).
    bool applyOptions(const QStringList& keyValues, QString* error = nullptr);
    // Applies every key of an INI file; false when the file cannot be read or holds a
    // bad key or value (the knobs before it are applied).
    bool applyFile(const QString& path, QString* error = nullptr);
    // The --simulate argument: empty gives the defaults; the name of an existing file
    // loads it; anything else is a comma-separated list of key=value items.
    bool applyArgument(const QString& argument, QString* error = nullptr);

    // Parses the touches text form; false (and *touches untouched) on a bad entry.
    static bool parseTouches(const QString& text, QList<Touch>* touches, QString* error);
    static QString firmwareFailureName(FirmwareFailure failure);
};
