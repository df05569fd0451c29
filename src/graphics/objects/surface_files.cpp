#include "surface_files.h"

#include "freesurfer_surface.h"
#include "gifti_file.h"


Surface_file_formats surface_file_format(const char *filename)
{
    // so that a broken GIFTI file is reported as one
    if (has_gifti_suffix(filename))
        return GIFTI_SURFACE_FILE;
    if (freesurfer_file_kind_of(filename) != NOT_FREESURFER_FILE)
        return FREESURFER_SURFACE_FILE;
    if (looks_like_gifti_file(filename))
        return GIFTI_SURFACE_FILE;
    return OBJ_SURFACE_FILE;
}
