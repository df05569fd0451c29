// How a viewer treats files of other programs' formats: which role a file
// plays (a surface, or per-vertex data for the last surface) and the title
// of its row. FreeSurfer files have no suffix and share a hemisphere
// prefix, so the base-name rule would title every "lh.*" file "lh".
#pragma once

#include <string>

enum Format_file_roles {
    NOT_A_FORMAT_FILE = 0, // none of these formats: the caller's own rules apply
    FORMAT_SURFACE_FILE = 1,
    FORMAT_DATA_FILE = 2
};

// ".gii" and ".gii.gz" (or content that starts like GIFTI, inflated or
// not) by its arrays' intents (a POINTSET and a TRIANGLE array make a
// surface; a broken file counts as a surface, whose reader says why),
// ".mgh" and ".mgz" as data, otherwise by FreeSurfer magic number (any
// surface kind, so that quadrangle surfaces are refused by the surface
// reader) or an old curv file's size.
Format_file_roles format_file_role(const char *filename);

// The file name without its directory, less ".gii.gz", ".gii", ".mgh" or
// ".mgz": "lh.white", "lh.thickness", "lh.pial.surf".
std::string format_file_title(const char *filename);
