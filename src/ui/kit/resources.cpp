#include "ui/kit/resources.h"

#include <QtCore/qresource.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initQuelvoResources() {
    Q_INIT_RESOURCE(progress_frames);
    Q_INIT_RESOURCE(news);
    Q_INIT_RESOURCE(about);
    Q_INIT_RESOURCE(help);
}

namespace quelvo::ui {
void initResources() {
    static const bool done = (initQuelvoResources(), true);
    (void)done;
}
} // namespace quelvo::ui
