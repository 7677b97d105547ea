#pragma once

#include <QMetaMethod>
#include <QSignalSpy>
#include <QStringList>

#include <map>
#include <memory>

// Counts every signal an object's own class declares, by name.
class SignalRecorder {
public:
    explicit SignalRecorder(QObject* object) {
        const QMetaObject* meta = object->metaObject();
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() == QMetaMethod::Signal) {
                const QByteArray signature = "2" + method.methodSignature();
                m_spies[method.name()] =
                    std::make_unique<QSignalSpy>(object, signature.constData());
            }
        }
    }

    // -1 for a name the class does not declare.
    int emitted(const QByteArray& signal) const {
        const auto spy = m_spies.find(signal);
        return spy == m_spies.end() ? -1 : spy->second->count();
    }
    // The arguments of the first emission.
    QVariantList arguments(const QByteArray& signal) const {
        const auto spy = m_spies.find(signal);
        return spy == m_spies.end() || spy->second->isEmpty() ? QVariantList()
                                                              : spy->second->first();
    }
    // One entry per emission, sorted.
    QStringList emittedSignals() const {
        QStringList names;
        for (const auto& spy : m_spies) {
            for (int i = 0; i < spy.second->count(); ++i) {
                names << QString::fromLatin1(spy.first);
            }
        }
        names.sort();
        return names;
    }

private:
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> m_spies;
};
