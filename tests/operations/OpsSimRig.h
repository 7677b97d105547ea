#pragma once

#include <QStringList>

#include "tests/support/SignalRecorder.h"
#include "tests/support/SimRig.h"

// The shared virtual-controller rig, with the operations' signals counted and the board's
// block written from a short text.
struct OpsSimRig : SimRig {
    using SimRig::SimRig;

    // "10=a0 27=c0": bytes changed from `base`, offset in decimal, value in hex.
    static QByteArray withBytes(QByteArray base, const QString& changes) {
        for (const QString& entry : changes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList parts = entry.split(QLatin1Char('='));
            base[parts.at(0).toInt()] = char(parts.at(1).toInt(nullptr, 16));
        }
        return base;
    }

    // Writes the given bytes into the board's block and waits until the tool holds it
    // (answers already on their way may still carry the old block); returns the block,
    // empty on failure.
    QByteArray poke(const QString& changes) {
        const bool done =
            pokeBlock([&](QByteArray& block) { block = withBytes(block, changes); }) &&
            QTest::qWaitFor([this] { return refresh() && holdsBoardBlock(); }, kWaitMs);
        return done ? board.parameterBlock() : QByteArray();
    }
    // Whether the tool's block is the board's (the frame byte is the request's index).
    bool holdsBoardBlock() { return parameters()->data().mid(1) == board.parameterBlock().mid(1); }

    SignalRecorder recorder{&ops};
};
