#pragma once

#include <array>

#include "device/DeviceResponseDelegate.h"

// Answers to the version and copyright requests ("VersionAndCopyright").
// Code 1, version: bytes 8 and 9 single bytes, bytes 10..13, 14..17, 18..21 three
// unsigned 32-bit little-endian words, bytes 24.. the version text up to the first zero.
// Code 2, copyright: bytes 2.. the text up to the first zero.
// Texts are read one character per byte (Latin-1). Fields beyond the end of a short
// report read as 0 and the texts stop at the end of the report.
class ResponseDelegateVersionAndCopyright : public DeviceResponseDelegate {
    Q_OBJECT
public:
    static constexpr int kVersionBytes = 2;
    static constexpr int kVersionWords = 3;

    explicit ResponseDelegateVersionAndCopyright(QObject* parent = nullptr);

    // The name the device kind files this delegate under.
    static QString registryName();
    QString name() const override { return registryName(); }
    // True exactly for codes 1 and 2 in byte 1.
    bool isUnderstood(QByteArray data) override;

    // Values of the last version report; empty / 0 / false before the first.
    QString versionText() const { return m_versionText; }
    bool isVersionReceived() const { return m_versionReceived; }
    // index 0 = byte 8, 1 = byte 9; 0 for any other index.
    quint8 versionByte(int index) const;
    // index 0 = word at 10, 1 = at 14, 2 = at 18; 0 for any other index.
    quint32 versionWord(int index) const;

signals:
    void signalCopyrightString(QString s);
    void signalVersionString(QString s);

public slots:
    // Decodes the stored report by its code and emits the matching text signal; any
    // other code is logged and nothing is emitted.
    void execute() override;

private:
    void decodeVersion();

    QString m_versionText;
    bool m_versionReceived = false;
    std::array<quint8, kVersionBytes> m_bytes{};
    std::array<quint32, kVersionWords> m_words{};
};
