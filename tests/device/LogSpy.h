#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "logging/SillyLogger.h"

// Records every message the logger accepts (types 1 to 8) while it lives. No file is
// written: the logger only emits its signal.
class LogSpy : public QObject {
public:
    struct Entry {
        int type;
        QString text;
    };

    LogSpy() {
        SillyLogger* logger = SillyLogger::instance();
        m_previousFilter = logger->filter();
        logger->setFilter(SillyLogger::Debug | SillyLogger::Critical | SillyLogger::Warning |
                          SillyLogger::Information);
        connect(logger, &SillyLogger::logMessageSignal, this,
                [this](quint8 type, const QString& text) {
                    entries.append({type, text});
                });
    }
    ~LogSpy() override { SillyLogger::instance()->setFilter(m_previousFilter); }

    // Messages of the given type whose text (after the "In Function <sig>: " prefix)
    // equals text.
    int count(int type, const QString& text) const {
        int matches = 0;
        for (const Entry& entry : entries) {
            if (entry.type == type && messageOf(entry.text) == text) {
                ++matches;
            }
        }
        return matches;
    }
    // Messages of the given type whose text contains part.
    int countContaining(int type, const QString& part) const {
        int matches = 0;
        for (const Entry& entry : entries) {
            if (entry.type == type && entry.text.contains(part)) {
                ++matches;
            }
        }
        return matches;
    }
    QStringList messages(int type) const {
        QStringList texts;
        for (const Entry& entry : entries) {
            if (entry.type == type) {
                texts.append(messageOf(entry.text));
            }
        }
        return texts;
    }

    QList<Entry> entries;

private:
    // The text after "In Function <signature>: ". Signatures hold ": " only inside
    // "::" pairs, which never sit before a space, so the first ": " ends the prefix.
    static QString messageOf(const QString& text) {
        const int separator = text.indexOf(QStringLiteral(": "));
        return separator < 0 ? text : text.mid(separator + 2);
    }

    quint8 m_previousFilter = 0;
};
