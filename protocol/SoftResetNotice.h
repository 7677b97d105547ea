#pragma once

#include <QObject>

#include <functional>

// The "Please do not touch" notice shown while the controller performs a soft reset. The
// window itself belongs to the application shell; the current-parameters delegate only
// sees this interface, so the protocol layer never links a widget library.
//
// The shell installs a factory once at start-up (setFactory). The delegate creates one
// notice, hidden, with the controller's first answer, and shows and hides it as the
// controller reports the soft reset. The notice is a child of the object given to the
// factory and lives as long as it.
class SoftResetNotice : public QObject {
    Q_OBJECT
public:
    // Returns a new notice, hidden, with the given parent.
    using Factory = std::function<SoftResetNotice*(QObject* parent)>;

    explicit SoftResetNotice(QObject* parent = nullptr) : QObject(parent) {}

    // Installs the factory used by create(); an empty function removes it.
    static void setFactory(Factory factory);
    // A new hidden notice from the installed factory, or nullptr when none is installed
    // (headless use: the soft reset is then only signalled, not shown).
    static SoftResetNotice* create(QObject* parent);

    virtual bool isNoticeShown() const = 0;
    // Polls the notice has made since it was last shown; 0 before the first showing.
    virtual int pollCount() const = 0;
    virtual void showNotice() = 0;
    virtual void hideNotice() = 0;
};
