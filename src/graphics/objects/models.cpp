// Model records: a file name and the objects read from that file.
#include "objects.h"

void initialize_model(model_struct *model)
{
    model->filename = create_string("");
    model->n_objects = 0;
    model->objects = nullptr;
    model->extra_ptr = nullptr;
}

void delete_model(model_struct *model)
{
    delete_string(model->filename);
    model->filename = nullptr;
    delete_object_list(model->n_objects, model->objects);
    model->n_objects = 0;
    model->objects = nullptr;
    if (model->extra_ptr != nullptr)
        free_memory_1d(&model->extra_ptr, "models", __LINE__);
}
