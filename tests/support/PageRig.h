#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <type_traits>

#include "SimRig.h"

// A feature page over the shared virtual-controller rig: the board has answered, and the
// page is built on the rig's dispatcher (and operations, where it takes them). The page
// goes before the link it uses; a page that deletes itself on close may go earlier.
template <typename Page>
class PageRig : public SimRig {
public:
    using SimRig::SimRig;
    ~PageRig() {
        delete page;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // `prepare` runs once the board has answered, before the page is built; it returns
    // whether it succeeded.
    template <typename Prepare>
    bool open(Prepare prepare) {
        if (!connectBoard() || !prepare()) {
            return false;
        }
        if constexpr (std::is_constructible_v<Page, DeviceEventDispatcher*, SetOperations*>) {
            page = new Page(&dispatcher, &ops);
        } else {
            page = new Page(&dispatcher);
        }
        return true;
    }
    bool open() {
        return open([] { return true; });
    }

    template <typename T>
    T* child(const char* name) const {
        T* widget = page->template findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qWarning("no child %s", name);
        }
        return widget;
    }

    QPointer<Page> page;
};
