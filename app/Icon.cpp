#include "app/Icon.h"

#include <QDirIterator>

QIcon programIcon() {
    // Each size is drawn for itself (a scaled-down large one is a blur at 16 px), and all are
    // PNG, which Qt reads without an image plugin; the windows get the icon without an installed
    // theme.
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"), {QStringLiteral("*.png")});
    while (sizes.hasNext()) {
        icon.addFile(sizes.next());
    }
    return icon;
}
