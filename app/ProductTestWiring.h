#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

class DeviceEventDispatcher;
class MainBreadcrumbedWindow;
class MiscFiles;
class SetOperations;

// The main window's product-test mode ("General/ProductTest"): instead of the board
// start, the controller's first flags lead straight to the sensitivity editor, and every
// return of the controller clears its monitor flags and restarts the diagnostic stream.
//
// The start-up connections are held here and dropped together once the link is up
// (disconnectAll()), so undoing them cannot drift from making them.
class ProductTestWiring : public QObject {
    Q_OBJECT
public:
    ProductTestWiring(MainBreadcrumbedWindow* window, DeviceEventDispatcher* dispatcher,
                      SetOperations* operations, MiscFiles* miscFiles);

    // Whether the settings ask for product-test mode (read each time: the engineering
    // dialog may change it).
    static bool isActive();

    // Marks the broken-wire check wanted and connects the parameter delegate's first flags
    // and the operations' end of unsetting to the sensitivity editor and to
    // initializeCommsSubsystem(). Does nothing when already connected.
    void connectAll();
    void disconnectAll();

    // The controller is back: the first time after each loss, set the broken-wire check
    // wanted and clear the monitor flags, then onPdtReconnect().
    void onReconnected();
    // The controller is gone: the next return counts as a first one again. In product-test
    // mode with "General/DisableMonEdge" the scan display is cleared.
    void onDisconnected();

public slots:
    // Turns the diagnostic stream on and, unless "General/DisableMonEdge", the edge
    // stream off.
    void onPdtReconnect();

private:
    MainBreadcrumbedWindow* m_window;
    QPointer<DeviceEventDispatcher> m_dispatcher;
    SetOperations* m_operations;
    MiscFiles* m_miscFiles;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_reconnectTrigger;
    bool m_reconnectPending = true;
};
