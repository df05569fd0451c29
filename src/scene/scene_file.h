// Scene files: a scene_state as JSON with a format name and a version, keys
// in a stable order so that scenes diff well. File paths inside the scene
// file's folder are stored relative to it, others absolute.
#pragma once

#include "scene_state.h"

#include <QByteArray>
#include <QString>

namespace gyroscene {

inline constexpr char scene_format_name[] = "gyrolux-scene";
inline constexpr int scene_format_version = 1;
// The suffix scene files go by, without the dot.
inline constexpr char scene_suffix[] = "gyrolux";
// Larger files are refused unread: a scene names files, it does not hold data.
inline constexpr qint64 scene_file_limit = 16 << 20;
// Scenes naming more files are refused unless the user raises the limit:
// each file is read and built, so a few kilobytes of scene could otherwise
// ask for hours and gigabytes.
inline constexpr int max_scene_files = 1000;

// The files a scene names: surfaces, their statistics files and
// parcellations, landmark files; a file named twice counts twice.
int scene_file_count(const scene_state& scene);

// `path` as stored in a scene file in `folder`.
QString scene_relative_path(const QString& path, const QString& folder);
// A stored path as a path to open: relative ones from `folder`.
QString scene_resolved_path(const QString& stored, const QString& folder);

QByteArray scene_to_json(const scene_state& scene, const QString& folder);
// False with a one-line `error` (without the file's name) when the text is
// no scene of a version this program reads, or a value has the wrong type.
bool scene_from_json(const QByteArray& text, const QString& folder, scene_state* scene,
                     QString* error);

// The whole file or nothing; false with an error naming the file. A scene
// naming more than `file_limit` files is refused.
bool write_scene_file(const QString& path, const scene_state& scene, QString* error);
bool read_scene_file(const QString& path, scene_state* scene, QString* error,
                     int file_limit = max_scene_files);

bool is_scene_file_name(const QString& path);

}  // namespace gyroscene
