#include "Resources.h"

#include <QtCore/qglobal.h>

// Outside any namespace: Q_INIT_RESOURCE declares the generated initialiser in the current one.
static void initArt() {
    Q_INIT_RESOURCE(art);
}

void rv_initResources() {
    initArt();
}
