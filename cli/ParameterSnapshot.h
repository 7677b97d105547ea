#pragma once

#include <QByteArray>
#include <QString>

// Every parameter set of a controller as a backup file keeps them: the current-parameters
// block, the filter and tracker sets (block bytes 2..59 as the controller sent them) and
// the zonal coefficients of arrays A and B, with the parameter version they came from.
//
// The file is JSON:
//   { "format": "tavirel-parameters", "formatVersion": 1, "parameterVersion": 1,
//     "currentParameters": "05 20 ...", "filter": "...", "tracker": "...",
//     "zoneFilterA": "...", "zoneFilterB": "..." }
// with each set as hex bytes separated by spaces. "tracker" is empty for a controller
// without a tracker set. A file that is not exactly that (another format or a newer
// format version, a set of the wrong length, a byte that is not two hex digits) is
// refused whole.
class ParameterSnapshot {
public:
    static constexpr const char* kFormatName = "tavirel-parameters";
    static constexpr int kFormatVersion = 1;
    // Block bytes 2..59 of a 60-byte answer.
    static constexpr int kBlockFields = 58;
    // The coefficients one zonal set command carries (opcode and count come first).
    static constexpr int kMaxZoneValues = 57;
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    int parameterVersion = -1;
    QByteArray currentParameters;
    QByteArray filter;
    QByteArray tracker;
    QByteArray zoneFilterA;
    QByteArray zoneFilterB;

    QByteArray toJson() const;
    // False, with the reason in *error, when the contents are refused.
    bool fromJson(const QByteArray& json, QString* error);

    // Writes the file whole or not at all.
    bool save(const QString& path, QString* error) const;
    bool load(const QString& path, QString* error);

    bool operator==(const ParameterSnapshot& other) const;
    bool operator!=(const ParameterSnapshot& other) const { return !(*this == other); }
};
