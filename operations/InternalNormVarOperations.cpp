#include "InternalNormVarOperations.h"

#include <QDateTime>
#include <QSaveFile>
#include <QSettings>
#include <QTextStream>

#include <functional>

#include "logging/LogMacros.h"
#include "protocol/SettingsKeys.h"

namespace {
const char kFileNamePattern[] = "%1_%2.log";
const char kTimeStampFormat[] = "yyyyMMdd-HHmmss";

double partialWireThreshold() {
    bool ok = false;
    const double threshold = QSettings()
                                 .value(SettingsKeys::GraphView::kPartialWireThreshold,
                                        InternalNormVarOperations::kDefaultPartialWireThreshold)
                                 .toDouble(&ok);
    return ok ? threshold : InternalNormVarOperations::kDefaultPartialWireThreshold;
}

int indexOfLargestPositive(const QList<NormalVariable>& wires,
                           const std::function<double(const NormalVariable&)>& valueOf) {
    if (wires.isEmpty()) {
        return -1;
    }
    double best = 0.0;
    int bestIndex = 0;
    for (int i = 0; i < wires.size(); ++i) {
        const double value = valueOf(wires.at(i));
        if (value > best) {
            best = value;
            bestIndex = i;
        }
    }
    return bestIndex;
}
}  // namespace

InternalNormVarOperations::InternalNormVarOperations(QObject* parent) : QObject(parent) {}

QList<int> InternalNormVarOperations::computeWireoutList(const QList<NormalVariable>& wires) const {
    const double threshold = partialWireThreshold();
    NormalVariable means;
    for (const NormalVariable& wire : wires) {
        means.add(wire.mean());
    }
    const double limit = means.mean() * threshold;
    QList<int> out;
    for (int i = 0; i < wires.size(); ++i) {
        const double mean = wires.at(i).mean();
        if (mean > 0.0 && limit > mean) {
            out.append(i);
        }
    }
    return out;
}

int InternalNormVarOperations::findIndexOfMaximumAverage(const QList<NormalVariable>& wires) const {
    return indexOfLargestPositive(wires, [](const NormalVariable& wire) { return wire.mean(); });
}

int InternalNormVarOperations::findIndexOfMaximumSigma(const QList<NormalVariable>& wires) const {
    return indexOfLargestPositive(wires,
                                  [](const NormalVariable& wire) { return wire.variance(); });
}

bool InternalNormVarOperations::logStatisticData(const QString& prefix,
                                                 const QList<NormalVariable>& wires) const {
    const QString fileName =
        QString::fromLatin1(kFileNamePattern)
            .arg(prefix, QDateTime::currentDateTime().toString(QLatin1String(kTimeStampFormat)));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) {
        TLOG_WARNING(QStringLiteral("Can't open %1 for writing.").arg(fileName));
        return false;
    }
    QTextStream out(&file);
    out << "Index, " << NormalVariable().toString(true) << '\n';
    for (int i = 0; i < wires.size(); ++i) {
        out << i << wires.at(i).toString(false) << '\n';
    }
    out << "\n\n";
    out.flush();
    if (!file.commit()) {
        TLOG_WARNING(QStringLiteral("Can't write %1.").arg(fileName));
        return false;
    }
    return true;
}
