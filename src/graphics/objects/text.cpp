// Text records.
#include "objects.h"

void initialize_text(text_struct *text, const Point *origin, Colour colour,
                     int font, double size)
{
    if (origin != nullptr)
        text->origin = *origin;
    text->colour = colour;
    text->font = font;
    text->size = size;
    text->string = create_string("");
}

void delete_text(text_struct *text)
{
    delete_string(text->string);
    text->string = nullptr;
}
