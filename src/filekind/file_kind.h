// What a file is: the one place that decides which reader a path goes to,
// for the viewer's loader, the batch renderer and the tools alike. Suffixes
// decide first, so that a broken file is reported as what its name says;
// files of other programs (which often have no suffix) go by content.
#pragma once

#include <string>

enum File_kinds {
    UNKNOWN_FILE_KIND = 0,
    SURFACE_FILE_KIND,
    VERTEX_DATA_FILE_KIND, // statistics files and other programs' per-vertex data
    PARCELLATION_FILE_KIND,
    LANDMARK_FILE_KIND,
    SCENE_FILE_KIND
};

enum Known_file_formats {
    UNKNOWN_FILE_FORMAT = 0,
    OBJ_FILE_FORMAT,
    FREESURFER_SURFACE_FILE_FORMAT,
    GIFTI_SURFACE_FILE_FORMAT,
    VERTSTATS_FILE_FORMAT, // ".txt" and ".vertstats"
    FREESURFER_CURV_FILE_FORMAT,
    FREESURFER_OLD_CURV_FILE_FORMAT,
    MGH_FILE_FORMAT,
    MGZ_FILE_FORMAT,
    GIFTI_DATA_FILE_FORMAT,
    FREESURFER_ANNOTATION_FILE_FORMAT,
    GIFTI_LABELS_FILE_FORMAT,
    FREESURFER_LABEL_FILE_FORMAT,
    TAG_FILE_FORMAT,
    SCENE_FILE_FORMAT, // the viewer's ".gyrolux" scene files
    CIFTI_DATA_FILE_FORMAT, // CIFTI-2 maps and series (.dscalar.nii, .dtseries.nii)
    CIFTI_LABELS_FILE_FORMAT // CIFTI-2 label maps (.dlabel.nii)
};

struct file_kind_info {
    File_kinds kind = UNKNOWN_FILE_KIND;
    Known_file_formats format = UNKNOWN_FILE_FORMAT;
    bool compressed = false; // gzip, by suffix or by its first bytes

    bool operator==(const file_kind_info &) const = default;
};

// In this order: ".gyrolux" a scene; ".obj" a surface, ".txt" and
// ".vertstats" statistics, ".tag" landmarks (exact, lower-case suffixes);
// then parcellations (".annot", ".label", label GIFTI by name or by its
// label array, annotations by content); then surfaces and data of other
// programs (GIFTI by its arrays, MGH/MGZ, FreeSurfer by magic number or an
// old curv file's size). A missing or unreadable file of no known suffix is
// UNKNOWN_FILE_KIND.
file_kind_info file_kind_of(const char *filename);

// "surface", "per-vertex data", "parcellation", "landmarks", "scene",
// "unknown".
const char *file_kind_name(File_kinds kind);
// "MNI .obj", "FreeSurfer surface", "GIFTI labels", ... for messages.
const char *file_format_name(Known_file_formats format);
// Why a file taken for a `wanted` file is not one, where its name or first
// bytes tell more than that reader's refusal: a file of another kind ("it
// is a gyrolux scene, not a surface") or compressed in a way no reader
// undoes ("it is bzip2-compressed; only gzip-compressed files are read").
// Empty when the file is of that kind or nothing more is known.
std::string file_kind_mismatch(const char *filename, File_kinds wanted);
