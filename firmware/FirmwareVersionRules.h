#pragma once

#include <QString>
#include <QtGlobal>

// How firmware versions are compared. The controller reports a version as a 32-bit word
// whose hexadecimal digits are read as a decimal number; delivered update files carry
// their version and the sensor's split type in their name, "<version>_<split>.ovu".
// All comparisons are between the resulting integers.
class FirmwareVersionRules {
public:
    // The word as lower-case hex text read as a decimal number: 0x615 -> 615. A word
    // whose hex text holds a letter (0x61A, 0xFFFFFFFF) gives 0.
    static int deviceVersion(quint32 word);

    // A name part as a number: the whole part read as a decimal number when it consists
    // of decimal digits only; 0 when it is empty, holds any other character, or is too
    // large for an int.
    static int numberRule(const QString& part);

    // The text before the first "_" of a file name (the whole name when there is none).
    static QString versionPart(const QString& fileName);
    // The text after the first "_" up to the first "." after it (empty when there is no
    // "_").
    static QString splitTypePart(const QString& fileName);
    // The text before the first ".".
    static QString numberPart(const QString& fileName);

    // numberRule() of the parts above.
    static int fileVersion(const QString& fileName);
    static int fileSplitType(const QString& fileName);
    static int fileNumber(const QString& fileName);

    // Whether an update file of this path is made for a sensor of the split type: the
    // split type in its name equals splitType. An unknown split type (0) fits nothing.
    static bool fileFitsSplitType(const QString& path, int splitType);
};
