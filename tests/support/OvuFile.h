#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Firmware update files written from the file layout: a header line "<" version, size,
// checksum (8 hex digits each) and item lines ">" entry (4 hex digits) and 16 data bytes.
// The image is the one the virtual controller accepts: items 0..n-1, size n * 16 bytes,
// checksum the 32-bit sum of every data byte.
struct OvuFile {
    quint32 version = 0x620;
    int items = 3;
    QByteArray before = "; tavirel firmware image\n\n";
    QByteArray after;

    static QByteArray hex(quint32 value, int digits) {
        return QByteArray::number(value, 16).rightJustified(digits, '0').toUpper();
    }
    static QByteArray itemData(int entry) {
        QByteArray data;
        for (int i = 0; i < 16; ++i) {
            data.append(char((entry * 7 + i) & 0xFF));
        }
        return data;
    }
    quint32 size() const { return quint32(items) * 16; }
    quint32 checksum() const {
        quint32 sum = 0;
        for (int entry = 0; entry < items; ++entry) {
            for (char byte : itemData(entry)) {
                sum += quint8(byte);
            }
        }
        return sum;
    }
    QByteArray headerLine() const {
        return "<" + hex(version, 8) + hex(size(), 8) + hex(checksum(), 8);
    }
    static QByteArray itemLine(int entry) {
        return ">" + hex(quint32(entry), 4) + itemData(entry).toHex().toUpper();
    }
    QByteArray text() const {
        QByteArray text = before + headerLine() + "\n";
        for (int entry = 0; entry < items; ++entry) {
            text += itemLine(entry) + "\n";
        }
        return text + after;
    }
    static bool write(const QString& path, const QByteArray& contents) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(contents) == contents.size();
    }
    bool write(const QString& path) const { return write(path, text()); }
};
