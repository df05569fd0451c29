// Memory given back after files close: glibc keeps freed heap pages for
// reuse, so a closed large surface would stay resident. Asked for by the
// program (main), never by a library on its own.
#pragma once

class MainWindow;

// After the layers change (a file opened, closed, shown or hidden), trims
// the heap once the view has next been drawn: GL buffers of closed surfaces
// are only released at that draw. When the last layer has closed, the view
// first gets a new GL context, so that the driver's memory for the old
// one's draws goes too.
void trimMemoryAfterLayerChanges(MainWindow* window);
