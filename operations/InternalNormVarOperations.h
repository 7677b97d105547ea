#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "protocol/NormalVariable.h"

// Judgements over per-wire statistics: every list holds one NormalVariable per wire,
// the list index being the wire index. Stateless.
class InternalNormVarOperations : public QObject {
    Q_OBJECT
public:
    explicit InternalNormVarOperations(QObject* parent = nullptr);

    // Wires whose mean is positive but below t times the mean of all wire means, t
    // being the setting "GraphView/PartialWireThreshold" (default 0.3; a value that is
    // not a number counts as the default). Indexes in ascending order; empty for an
    // empty list.
    QList<int> computeWireoutList(const QList<NormalVariable>& wires) const;
    // Index of the first wire with the largest positive mean; 0 when no mean is
    // positive, -1 for an empty list.
    int findIndexOfMaximumAverage(const QList<NormalVariable>& wires) const;
    // Index of the first wire with the largest positive variance (hence sigma); 0 when
    // no variance is positive, -1 for an empty list.
    int findIndexOfMaximumSigma(const QList<NormalVariable>& wires) const;
    // Writes "<prefix>_<yyyyMMdd-HHmmss>.log" (local time; a relative prefix lands in the
    // working directory): a header line, one line per wire (its index, then its
    // statistics) and two empty lines. Returns false, writing nothing, when the file
    // cannot be opened or written.
    bool logStatisticData(const QString& prefix, const QList<NormalVariable>& wires) const;

    static constexpr double kDefaultPartialWireThreshold = 0.3;
};
