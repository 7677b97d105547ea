#include "SillyLogger.h"

namespace {
constexpr int kElapsedFieldWidth = 20;
}

SillyLogger* SillyLogger::instance() {
    static SillyLogger* logger = new SillyLogger();
    return logger;
}

SillyLogger::SillyLogger() {
    connect(this, &SillyLogger::logMessageSignal, this, &SillyLogger::logMessage);
}

QString SillyLogger::tagFor(quint8 type) {
    switch (type) {
        case Debug:
            return QStringLiteral("[D]");
        case Critical:
            return QStringLiteral("[C]");
        case Warning:
            return QStringLiteral("[W]");
        case Information:
            return QStringLiteral("[I]");
        case Reserved:
            return QStringLiteral("[L]");
        case FunctionTrace:
            return QStringLiteral("[F]");
        default:
            return QStringLiteral("[ ]");
    }
}

void SillyLogger::logFrom(quint8 type, const char* signature, const QString& text) {
    if (!accepts(type)) {
        return;
    }
    emit logMessageSignal(
        type, QStringLiteral("In Function %1: %2").arg(QString::fromLatin1(signature), text));
}

void SillyLogger::start(QString filePrefix) {
    closeFile();
    if (m_filter == 0 || filePrefix.isEmpty()) {
        return;
    }
    const QFile::Permissions permissions =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    m_file.setFileName(filePrefix);
    m_file.setPermissions(permissions);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_file.setPermissions(permissions);
        m_stream.setDevice(&m_file);
    }
    m_clock.start();
}

void SillyLogger::stop() {
    closeFile();
}

void SillyLogger::closeFile() {
    m_clock.invalidate();
    if (m_file.isOpen()) {
        m_stream.flush();
        m_stream.setDevice(nullptr);
        m_file.close();
    }
}

void SillyLogger::setFilter(quint8 filter) {
    m_filter = filter;
}

quint8 SillyLogger::filter() {
    return m_filter;
}

void SillyLogger::setLevel(quint8 level) {
    m_filter = static_cast<quint8>((level - 1) | level);
}

bool SillyLogger::logMessage(quint8 type, QString s) {
    if (!accepts(type) || !m_file.isOpen()) {
        return false;
    }
    const qint64 elapsed = m_clock.isValid() ? m_clock.elapsed() : 0;
    m_stream << tagFor(type) << QStringLiteral("{%1} ").arg(elapsed, kElapsedFieldWidth) << s
             << "\r\n"
             << Qt::endl;
    m_file.flush();
    return true;
}
