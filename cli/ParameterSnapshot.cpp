#include "cli/ParameterSnapshot.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace {
const QString kFormat = QStringLiteral("format");
const QString kFormatVersionKey = QStringLiteral("formatVersion");
const QString kParameterVersion = QStringLiteral("parameterVersion");
const QString kCurrentParameters = QStringLiteral("currentParameters");
const QString kFilter = QStringLiteral("filter");
const QString kTracker = QStringLiteral("tracker");
const QString kZoneFilterA = QStringLiteral("zoneFilterA");
const QString kZoneFilterB = QStringLiteral("zoneFilterB");
constexpr int kMaxParameterVersion = 255;

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

// Strict: two hex digits per byte, single spaces between them, nothing else.
bool bytesOf(const QJsonObject& object, const QString& key, int minSize, int maxSize,
             QByteArray* bytes, QString* error) {
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9a-fA-F]{2}( [0-9a-fA-F]{2})*)?$"));
    const QJsonValue value = object.value(key);
    if (!value.isString() || !pattern.match(value.toString()).hasMatch()) {
        *error = QStringLiteral("\"%1\" is missing or not hex bytes.").arg(key);
        return false;
    }
    *bytes = QByteArray::fromHex(value.toString().toLatin1());
    if (bytes->size() < minSize || bytes->size() > maxSize) {
        *error = QStringLiteral("\"%1\" holds %2 bytes.").arg(key).arg(bytes->size());
        return false;
    }
    return true;
}
}  // namespace

QByteArray ParameterSnapshot::toJson() const {
    QJsonObject object;
    object.insert(kFormat, QString::fromLatin1(kFormatName));
    object.insert(kFormatVersionKey, kFormatVersion);
    object.insert(kParameterVersion, parameterVersion);
    object.insert(kCurrentParameters, hexText(currentParameters));
    object.insert(kFilter, hexText(filter));
    object.insert(kTracker, hexText(tracker));
    object.insert(kZoneFilterA, hexText(zoneFilterA));
    object.insert(kZoneFilterB, hexText(zoneFilterB));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool ParameterSnapshot::fromJson(const QByteArray& json, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("Not a parameter backup (%1).").arg(parseError.errorString());
        return false;
    }
    const QJsonObject object = document.object();
    if (object.value(kFormat).toString() != QString::fromLatin1(kFormatName)) {
        *error = QStringLiteral("Not a parameter backup.");
        return false;
    }
    if (object.value(kFormatVersionKey).toInt(-1) != kFormatVersion) {
        *error = QStringLiteral("Backup format version %1 is not known.")
                     .arg(object.value(kFormatVersionKey).toVariant().toString());
        return false;
    }
    const QJsonValue version = object.value(kParameterVersion);
    const int versionNumber = version.toInt(-1);
    if (!version.isDouble() || version.toDouble() != versionNumber || versionNumber < 0 ||
        versionNumber > kMaxParameterVersion) {
        *error = QStringLiteral("\"%1\" is not a version number.").arg(kParameterVersion);
        return false;
    }
    ParameterSnapshot read;
    read.parameterVersion = versionNumber;
    const bool ok = bytesOf(object, kCurrentParameters, kBlockFields, kBlockFields,
                            &read.currentParameters, error) &&
                    bytesOf(object, kFilter, kBlockFields, kBlockFields, &read.filter, error) &&
                    bytesOf(object, kTracker, 0, kBlockFields, &read.tracker, error) &&
                    bytesOf(object, kZoneFilterA, 0, kMaxZoneValues, &read.zoneFilterA, error) &&
                    bytesOf(object, kZoneFilterB, 0, kMaxZoneValues, &read.zoneFilterB, error);
    if (ok && !read.tracker.isEmpty() && read.tracker.size() != kBlockFields) {
        *error = QStringLiteral("\"%1\" holds %2 bytes.").arg(kTracker).arg(read.tracker.size());
        return false;
    }
    if (ok) {
        *this = read;
    }
    return ok;
}

bool ParameterSnapshot::save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toJson()) < 0 || !file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool ParameterSnapshot::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        *error = QStringLiteral("%1 is too large for a parameter backup.").arg(path);
        return false;
    }
    QString reason;
    if (!fromJson(file.read(kMaxFileBytes), &reason)) {
        *error = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    }
    return true;
}

bool ParameterSnapshot::operator==(const ParameterSnapshot& other) const {
    return parameterVersion == other.parameterVersion &&
           currentParameters == other.currentParameters && filter == other.filter &&
           tracker == other.tracker && zoneFilterA == other.zoneFilterA &&
           zoneFilterB == other.zoneFilterB;
}
