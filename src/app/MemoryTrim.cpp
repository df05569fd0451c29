#include "MemoryTrim.h"

#include "BrainQuarter.h"
#include "MainWindow.h"
#include "ResourceForm.h"

#include <malloc.h>

void trimMemoryAfterLayerChanges(MainWindow* window)
{
    // The flag lives as long as the window's connections.
    auto* pending = new bool(false);
    QObject::connect(window, &QObject::destroyed, [pending] { delete pending; });
    QObject::connect(window->getResources(), &ResourceForm::layersChanged, window,
                     [pending] { *pending = true; });
    QObject::connect(window->getViewer(), &QOpenGLWidget::frameSwapped, window, [pending] {
        if (!*pending)
            return;
        *pending = false;
        malloc_trim(0);
    });
}
