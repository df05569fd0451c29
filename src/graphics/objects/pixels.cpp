// Pixel image records.
#include "objects.h"

void delete_pixels(pixels_struct *pixels)
{
    // the data pointer is freed whenever present: a read that failed part
    // way may have left it with sizes that do not describe it
    if (pixels->data != nullptr)
        free_memory_1d(&pixels->data, "pixels", __LINE__);
    pixels->x_size = 0;
    pixels->y_size = 0;
}
