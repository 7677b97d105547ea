#include "SimScenario.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <functional>
#include <limits>

#include "logging/LogMacros.h"

namespace {

constexpr int kSensorPositionMax = 4095;
constexpr int kLongestTimeMs = 24 * 60 * 60 * 1000;
constexpr double kNoiseMax = 50.0;
constexpr double kTouchStrengthMax = 100000.0;
constexpr int kMaxWireIndex = 39;
constexpr int kMaxPressLevel = 255;
constexpr char kUpWord[] = "up";
constexpr char kScenarioGroup[] = "scenario";

using Setter = std::function<bool(SimScenario&, const QString&)>;

bool parseUnsigned(const QString& text, quint64 max, quint64* value) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const bool hex = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const quint64 parsed = hex ? trimmed.mid(2).toULongLong(&ok, 16) : trimmed.toULongLong(&ok, 10);
    if (!ok || parsed > max) {
        return false;
    }
    *value = parsed;
    return true;
}

bool parseInt(const QString& text, int min, int max, int* value) {
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok, 10);
    if (!ok || parsed < min || parsed > max) {
        return false;
    }
    *value = parsed;
    return true;
}

bool parseDouble(const QString& text, double min, double max, double* value) {
    bool ok = false;
    const double parsed = text.trimmed().toDouble(&ok);
    if (!ok || !(parsed >= min && parsed <= max)) {
        return false;
    }
    *value = parsed;
    return true;
}

bool parseBool(const QString& text, bool* value) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("1") ||
        word == QLatin1String("yes") || word == QLatin1String("on")) {
        *value = true;
        return true;
    }
    if (word == QLatin1String("false") || word == QLatin1String("0") ||
        word == QLatin1String("no") || word == QLatin1String("off")) {
        *value = false;
        return true;
    }
    return false;
}

Setter usbId(unsigned short SimScenario::*field) {
    return [field](SimScenario& s, const QString& v) {
        quint64 id = 0;
        if (!parseUnsigned(v, std::numeric_limits<unsigned short>::max(), &id)) {
            return false;
        }
        s.*field = static_cast<unsigned short>(id);
        return true;
    };
}

// Firmware versions are written the way the board reports them: hex digits.
Setter hexVersion(quint32 SimScenario::*field) {
    return [field](SimScenario& s, const QString& v) {
        bool ok = false;
        QString digits = v.trimmed();
        if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
            digits = digits.mid(2);
        }
        const quint64 parsed = digits.toULongLong(&ok, 16);
        if (!ok || parsed > std::numeric_limits<quint32>::max()) {
            return false;
        }
        s.*field = static_cast<quint32>(parsed);
        return true;
    };
}

Setter text(QString SimScenario::*field) {
    return [field](SimScenario& s, const QString& v) {
        s.*field = v;
        return true;
    };
}

Setter integer(int SimScenario::*field, int min, int max) {
    return [field, min, max](SimScenario& s, const QString& v) {
        return parseInt(v, min, max, &(s.*field));
    };
}

Setter boolean(bool SimScenario::*field) {
    return [field](SimScenario& s, const QString& v) { return parseBool(v, &(s.*field)); };
}

Setter real(double SimScenario::*field, double min, double max) {
    return [field, min, max](SimScenario& s, const QString& v) {
        return parseDouble(v, min, max, &(s.*field));
    };
}

bool setSplit(SimScenario& s, const QString& v) {
    const QString code = v.trimmed();
    if (code == QLatin1String("4040")) {
        s.wiresA = 40;
        s.wiresB = 40;
    } else if (code == QLatin1String("4024")) {
        s.wiresA = 40;
        s.wiresB = 24;
    } else if (code == QLatin1String("2440")) {
        s.wiresA = 24;
        s.wiresB = 40;
    } else {
        return false;
    }
    return true;
}

bool setSeed(SimScenario& s, const QString& v) {
    quint64 seed = 0;
    if (!parseUnsigned(v, std::numeric_limits<quint32>::max(), &seed)) {
        return false;
    }
    s.seed = static_cast<quint32>(seed);
    return true;
}

bool setTouches(SimScenario& s, const QString& v) {
    return SimScenario::parseTouches(v, &s.touches, nullptr);
}

const QList<SimScenario::FirmwareFailure>& allFailures() {
    using F = SimScenario::FirmwareFailure;
    static const QList<F> failures{
        F::None,         F::StoreNotCleared, F::HeaderRejected, F::HeaderEchoWrong,
        F::ItemRejected, F::ItemUnanswered,  F::NotReady,       F::CommitRefused,
        F::PerformLost,  F::NoReturn,        F::UnplugAtItem};
    return failures;
}

bool setFirmwareFailure(SimScenario& s, const QString& v) {
    const QString name = v.trimmed().toLower();
    for (SimScenario::FirmwareFailure failure : allFailures()) {
        if (SimScenario::firmwareFailureName(failure) == name) {
            s.firmwareFailure = failure;
            return true;
        }
    }
    return false;
}

bool setIgnoredOpcodes(SimScenario& s, const QString& v) {
    static const QRegularExpression separators(QStringLiteral("[\\s;+]+"));
    QList<int> opcodes;
    for (const QString& item : v.split(separators, Qt::SkipEmptyParts)) {
        quint64 opcode = 0;
        if (!parseUnsigned(item, std::numeric_limits<quint8>::max(), &opcode)) {
            return false;
        }
        opcodes << int(opcode);
    }
    s.ignoredOpcodes = opcodes;
    return true;
}

const QHash<QString, Setter>& setters() {
    using S = SimScenario;
    static const QHash<QString, Setter> table{
        {QStringLiteral("vid"), usbId(&S::vendorId)},
        {QStringLiteral("pid"), usbId(&S::productId)},
        {QStringLiteral("manufacturer"), text(&S::manufacturer)},
        {QStringLiteral("product"), text(&S::product)},
        {QStringLiteral("serial"), text(&S::serialNumber)},
        {QStringLiteral("split"), setSplit},
        {QStringLiteral("paramVersion"), integer(&S::paramVersion, 0, 1)},
        {QStringLiteral("firmwareVersion"), hexVersion(&S::firmwareVersion)},
        {QStringLiteral("originalVersion"), hexVersion(&S::originalVersion)},
        {QStringLiteral("blankRunningHeader"), boolean(&S::blankRunningHeader)},
        {QStringLiteral("calibrated"), boolean(&S::calibrated)},
        {QStringLiteral("readProtect"), boolean(&S::readProtect)},
        {QStringLiteral("seed"), setSeed},
        {QStringLiteral("noise"), real(&S::noise, 0.0, kNoiseMax)},
        {QStringLiteral("touchStrength"), real(&S::touchStrength, 1.0, kTouchStrengthMax)},
        {QStringLiteral("brokenWireA"), integer(&S::brokenWireA, -1, kMaxWireIndex)},
        {QStringLiteral("brokenWireB"), integer(&S::brokenWireB, -1, kMaxWireIndex)},
        {QStringLiteral("weakWireA"), integer(&S::weakWireA, -1, kMaxWireIndex)},
        {QStringLiteral("weakWireB"), integer(&S::weakWireB, -1, kMaxWireIndex)},
        {QStringLiteral("touches"), setTouches},
        {QStringLiteral("pressAt"), integer(&S::pressAtMs, -1, kLongestTimeMs)},
        {QStringLiteral("pressLevel"), integer(&S::pressLevel, 0, kMaxPressLevel)},
        {QStringLiteral("pressNoise"), integer(&S::pressNoise, 0, int(kNoiseMax))},
        {QStringLiteral("latency"), integer(&S::latencyMs, 0, kLongestTimeMs)},
        {QStringLiteral("edgeInterval"), integer(&S::edgeIntervalMs, 0, kLongestTimeMs)},
        {QStringLiteral("scanInterval"), integer(&S::scanIntervalMs, 0, kLongestTimeMs)},
        {QStringLiteral("scanAreaInterval"), integer(&S::scanAreaIntervalMs, 0, kLongestTimeMs)},
        {QStringLiteral("diagInterval"), integer(&S::diagIntervalMs, 0, kLongestTimeMs)},
        {QStringLiteral("fingerInterval"), integer(&S::fingerIntervalMs, 0, kLongestTimeMs)},
        {QStringLiteral("softReset"), integer(&S::softResetMs, 0, kLongestTimeMs)},
        {QStringLiteral("resetOnPrescalerChange"), boolean(&S::resetOnPrescalerChange)},
        {QStringLiteral("reboot"), integer(&S::rebootMs, 0, kLongestTimeMs)},
        {QStringLiteral("silenceAt"), integer(&S::silenceAtMs, -1, kLongestTimeMs)},
        {QStringLiteral("silenceFor"), integer(&S::silenceForMs, -1, kLongestTimeMs)},
        {QStringLiteral("unplugAt"), integer(&S::unplugAtMs, -1, kLongestTimeMs)},
        {QStringLiteral("replugAfter"), integer(&S::replugAfterMs, -1, kLongestTimeMs)},
        {QStringLiteral("readErrorAt"), integer(&S::readErrorAtMs, -1, kLongestTimeMs)},
        {QStringLiteral("firmwareFailure"), setFirmwareFailure},
        {QStringLiteral("firmwareFailItem"), integer(&S::firmwareFailItem, 0, 0xFFFF)},
        {QStringLiteral("malformedAt"), integer(&S::malformedAtMs, -1, kLongestTimeMs)},
        {QStringLiteral("malformedFor"), integer(&S::malformedForMs, -1, kLongestTimeMs)},
        {QStringLiteral("malformedEvery"), integer(&S::malformedEveryMs, 1, kLongestTimeMs)},
        {QStringLiteral("ignore"), setIgnoredOpcodes},
    };
    return table;
}

bool fail(const QString& problem, QString* error) {
    TLOG_WARNING(problem);
    if (error) {
        *error = problem;
    }
    return false;
}

bool parseTouch(const QString& entry, SimScenario::Touch* touch) {
    const QStringList parts = entry.split(QLatin1Char(':'));
    if (parts.size() != 2 && parts.size() != 3) {
        return false;
    }
    SimScenario::Touch parsed;
    if (!parseInt(parts.at(0), 0, kLongestTimeMs, &parsed.atMs)) {
        return false;
    }
    if (parts.size() == 2) {
        parsed.down = false;
        *touch = parsed;
        return parts.at(1).trimmed().toLower() == QLatin1String(kUpWord);
    }
    parsed.down = true;
    if (!parseInt(parts.at(1), 0, kSensorPositionMax, &parsed.a) ||
        !parseInt(parts.at(2), 0, kSensorPositionMax, &parsed.b)) {
        return false;
    }
    *touch = parsed;
    return true;
}

}  // namespace

bool SimScenario::applyOption(const QString& key, const QString& value, QString* error) {
    const auto setter = setters().constFind(key.trimmed());
    if (setter == setters().constEnd()) {
        return fail(QStringLiteral("Unknown simulation option: %1").arg(key), error);
    }
    SimScenario changed = *this;
    if (!(*setter)(changed, value)) {
        return fail(QStringLiteral("Bad value for simulation option %1: %2").arg(key, value),
                    error);
    }
    *this = changed;
    return true;
}

bool SimScenario::applyOptions(const QStringList& keyValues, QString* error) {
    for (const QString& item : keyValues) {
        const int equals = item.indexOf(QLatin1Char('='));
        if (equals < 0) {
            return fail(QStringLiteral("Simulation option without a value: %1").arg(item), error);
        }
        if (!applyOption(item.left(equals), item.mid(equals + 1), error)) {
            return false;
        }
    }
    return true;
}

bool SimScenario::applyFile(const QString& path, QString* error) {
    if (!QFileInfo(path).isFile()) {
        return fail(QStringLiteral("Simulation scenario file not found: %1").arg(path), error);
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        return fail(QStringLiteral("Simulation scenario file unreadable: %1").arg(path), error);
    }
    if (file.childGroups().contains(QLatin1String(kScenarioGroup))) {
        file.beginGroup(QLatin1String(kScenarioGroup));
    }
    for (const QString& key : file.childKeys()) {
        // QSettings splits an unquoted value at commas; the knobs want the text back.
        const QVariant raw = file.value(key);
        const QString value = raw.type() == QVariant::StringList
                                  ? raw.toStringList().join(QLatin1Char(','))
                                  : raw.toString();
        if (!applyOption(key, value, error)) {
            return false;
        }
    }
    return true;
}

bool SimScenario::applyArgument(const QString& argument, QString* error) {
    if (argument.trimmed().isEmpty()) {
        return true;
    }
    if (QFileInfo(argument).isFile()) {
        return applyFile(argument, error);
    }
    QStringList items;
    QString touchesItem;
    // The touches list may itself hold commas: everything from "touches=" up to the next
    // item that looks like key=value belongs to it.
    for (const QString& item : argument.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!touchesItem.isEmpty() && !item.contains(QLatin1Char('='))) {
            touchesItem += QLatin1Char(',') + item;
            continue;
        }
        if (!touchesItem.isEmpty()) {
            items << touchesItem;
            touchesItem.clear();
        }
        if (item.trimmed().startsWith(QLatin1String("touches="))) {
            touchesItem = item;
        } else {
            items << item;
        }
    }
    if (!touchesItem.isEmpty()) {
        items << touchesItem;
    }
    return applyOptions(items, error);
}

bool SimScenario::parseTouches(const QString& text, QList<Touch>* touches, QString* error) {
    static const QRegularExpression separators(QStringLiteral("[\\s;,]+"));
    QList<Touch> parsed;
    for (const QString& entry : text.split(separators, Qt::SkipEmptyParts)) {
        Touch touch;
        if (!parseTouch(entry, &touch)) {
            if (error) {
                *error = QStringLiteral("Bad scripted touch: %1").arg(entry);
            }
            return false;
        }
        parsed << touch;
    }
    std::stable_sort(parsed.begin(), parsed.end(),
                     [](const Touch& l, const Touch& r) { return l.atMs < r.atMs; });
    *touches = parsed;
    return true;
}

QString SimScenario::firmwareFailureName(FirmwareFailure failure) {
    switch (failure) {
        case FirmwareFailure::None:
            return QStringLiteral("none");
        case FirmwareFailure::StoreNotCleared:
            return QStringLiteral("storeclear");
        case FirmwareFailure::HeaderRejected:
            return QStringLiteral("headerset");
        case FirmwareFailure::HeaderEchoWrong:
            return QStringLiteral("headerecho");
        case FirmwareFailure::ItemRejected:
            return QStringLiteral("item");
        case FirmwareFailure::ItemUnanswered:
            return QStringLiteral("itemsilent");
        case FirmwareFailure::NotReady:
            return QStringLiteral("notready");
        case FirmwareFailure::CommitRefused:
            return QStringLiteral("commit");
        case FirmwareFailure::PerformLost:
            return QStringLiteral("performlost");
        case FirmwareFailure::NoReturn:
            return QStringLiteral("noreturn");
        case FirmwareFailure::UnplugAtItem:
            return QStringLiteral("unplugitem");
    }
    return QString();
}
