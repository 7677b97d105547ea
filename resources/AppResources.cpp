#include "resources/AppResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initializeResourceFiles() {
    Q_INIT_RESOURCE(WindowStyles);
    Q_INIT_RESOURCE(fonts);
}

void AppResources::initialize() {
    static bool done = false;
    if (!done) {
        initializeResourceFiles();
        done = true;
    }
}
