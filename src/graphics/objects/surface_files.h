// Which of the surface formats read here a file is in, from its first bytes
// (FreeSurfer files have no suffix, and GIFTI files share theirs with data);
// a name ending in ".gii" or ".gii.gz" is GIFTI whatever it holds.
#pragma once

enum Surface_file_formats {
    OBJ_SURFACE_FILE = 0,
    FREESURFER_SURFACE_FILE = 1, // any FreeSurfer magic number
    GIFTI_SURFACE_FILE = 2       // any file that starts like GIFTI
};

Surface_file_formats surface_file_format(const char *filename);
