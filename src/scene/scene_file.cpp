#include "scene_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace gyroscene {

const char* side_name(Hemisphere side)
{
    switch (side) {
    case Hemisphere::Left:
        return "left";
    case Hemisphere::Right:
        return "right";
    case Hemisphere::Unknown:
        break;
    }
    return "automatic";
}

const column_state* statistics_state::find(const QString& name) const
{
    for (const column_state& column : columns)
        if (column.name == name)
            return &column;
    return nullptr;
}

column_state& statistics_state::look(const QString& name)
{
    for (column_state& column : columns)
        if (column.name == name)
            return column;
    columns.push_back(column_state{name});
    return columns.back();
}

bool camera_state::operator==(const camera_state& other) const
{
    for (int i = 0; i < 3; ++i)
        if (position[i] != other.position[i])
            return false;
    for (int i = 0; i < 4; ++i)
        if (orientation[i] != other.orientation[i])
            return false;
    return projection == other.projection && focal_distance == other.focal_distance &&
           height == other.height;
}

QString scene_relative_path(const QString& path, const QString& folder)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QDir dir(folder);
    const QString relative = dir.relativeFilePath(absolute);
    // Inside the folder only: a scene moved with its data still finds it,
    // and one that points elsewhere keeps pointing there.
    if (relative.startsWith(QLatin1String("../")) || relative == QLatin1String("..") ||
        QDir::isAbsolutePath(relative))
        return absolute;
    return relative;
}

QString scene_resolved_path(const QString& stored, const QString& folder)
{
    if (QDir::isAbsolutePath(stored))
        return QDir::cleanPath(stored);
    return QDir::cleanPath(QDir(folder).filePath(stored));
}

bool is_scene_file_name(const QString& path)
{
    return QFileInfo(path).suffix() == QLatin1String(scene_suffix);
}

namespace {

QJsonArray numbers(const float* values, int count)
{
    QJsonArray array;
    for (int i = 0; i < count; ++i)
        array.append(double(values[i]));
    return array;
}

QJsonObject columnObject(const column_state& column)
{
    QJsonObject object;
    object["name"] = column.name;
    if (!column.colour_bar.isEmpty())
        object["colourBar"] = column.colour_bar;
    if (column.limits)
        object["limits"] = QJsonArray{double(column.limits->first), double(column.limits->second)};
    if (column.threshold != 0.0f)
        object["threshold"] = double(column.threshold);
    return object;
}

QJsonObject surfaceObject(const surface_state& surface, const QString& folder)
{
    QJsonObject object;
    object["path"] = scene_relative_path(surface.path, folder);
    if (surface.colour)
        object["colour"] = surface.colour->name();
    object["opacity"] = double(surface.opacity);
    object["shown"] = surface.shown;
    if (surface.hemisphere != Hemisphere::Unknown)
        object["hemisphere"] = side_name(surface.hemisphere);
    QJsonArray files;
    for (const statistics_state& file : surface.statistics) {
        QJsonObject entry;
        entry["path"] = scene_relative_path(file.path, folder);
        entry["shown"] = file.shown;
        QJsonArray columns;
        for (const column_state& column : file.columns)
            columns.append(columnObject(column));
        entry["columns"] = columns;
        files.append(entry);
    }
    object["statistics"] = files;
    if (surface.coloured_file >= 0)
        object["colouredBy"] =
            QJsonObject{{"file", surface.coloured_file}, {"column", surface.coloured_column}};
    if (surface.underlay_file >= 0)
        object["underlay"] = QJsonObject{{"file", surface.underlay_file},
                                         {"column", surface.underlay_column},
                                         {"shades", surface.underlay_shades}};
    // Left out when there are none, so scenes without them read as before.
    if (!surface.parcellations.empty()) {
        QJsonArray parcels;
        for (const parcellation_state& file : surface.parcellations) {
            QJsonObject entry;
            entry["path"] = scene_relative_path(file.path, folder);
            entry["shown"] = file.shown;
            entry["opacity"] = double(file.opacity);
            entry["outline"] = file.outline;
            QJsonArray hidden;
            for (int region : file.hidden_regions)
                hidden.append(region);
            entry["hiddenRegions"] = hidden;
            parcels.append(entry);
        }
        object["parcellations"] = parcels;
    }
    return object;
}

}  // namespace

QByteArray scene_to_json(const scene_state& scene, const QString& folder)
{
    QJsonObject root;
    root["format"] = scene_format_name;
    root["version"] = scene_format_version;
    QJsonArray surfaces;
    for (const surface_state& surface : scene.surfaces)
        surfaces.append(surfaceObject(surface, folder));
    root["surfaces"] = surfaces;
    QJsonArray tags;
    for (const tags_state& file : scene.tags) {
        QJsonObject entry;
        entry["path"] = scene_relative_path(file.path, folder);
        entry["radius"] = file.radius;
        if (file.colour)
            entry["colour"] = file.colour->name();
        entry["shown"] = file.shown;
        tags.append(entry);
    }
    root["tags"] = tags;
    if (scene.pick.surface >= 0)
        root["pick"] = QJsonObject{{"surface", scene.pick.surface}, {"vertex", scene.pick.vertex}};
    root["legend"] = scene.legend;
    // Only when off: older scenes, without the key, keep it on.
    if (!scene.hemisphere_offset)
        root["hemisphereOffset"] = false;
    if (scene.legend_surface >= 0)
        root["legendSurface"] = scene.legend_surface;
    root["background"] = scene.background.name();
    if (scene.camera) {
        const camera_state& camera = *scene.camera;
        const bool ortho = camera.projection == Projection::Orthographic;
        QJsonObject object;
        object["projection"] = ortho ? "orthographic" : "perspective";
        object["position"] = numbers(camera.position, 3);
        object["orientation"] = numbers(camera.orientation, 4);
        object["focalDistance"] = double(camera.focal_distance);
        object[ortho ? "height" : "heightAngle"] = double(camera.height);
        root["camera"] = object;
    }
    if (!scene.view_size.isEmpty())
        root["viewSize"] = QJsonArray{scene.view_size.width(), scene.view_size.height()};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {

// Reads typed values out of the parsed document; the first wrong one is
// reported with where it sits ("surfaces[0].opacity").
class Reader
{
public:
    QString error;

    bool ok() const { return error.isEmpty(); }

    void fail(const QString& where, const QString& what)
    {
        if (error.isEmpty())
            error = QStringLiteral("%1 %2").arg(where, what);
    }

    QString string(const QJsonObject& object, const char* key, const QString& where,
                   bool required = false)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined()) {
            if (required)
                fail(name(where, key), QStringLiteral("is missing"));
            return QString();
        }
        if (!value.isString()) {
            fail(name(where, key), QStringLiteral("should be a string"));
            return QString();
        }
        return value.toString();
    }

    double number(const QJsonObject& object, const char* key, const QString& where,
                  double fallback)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined())
            return fallback;
        return number(value, name(where, key), fallback);
    }

    double number(const QJsonValue& value, const QString& where, double fallback)
    {
        if (!value.isDouble() || !std::isfinite(value.toDouble())) {
            fail(where, QStringLiteral("should be a number"));
            return fallback;
        }
        const double v = value.toDouble();
        if (std::fabs(v) > double(std::numeric_limits<float>::max())) {
            fail(where, QStringLiteral("is out of range"));
            return fallback;
        }
        return v;
    }

    int integer(const QJsonObject& object, const char* key, const QString& where, int fallback,
                int lowest, int highest)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined())
            return fallback;
        const double v = value.toDouble(std::nan(""));
        if (!value.isDouble() || v != std::floor(v) || v < lowest || v > highest) {
            fail(name(where, key), QStringLiteral("should be a whole number from %1 to %2")
                                       .arg(lowest)
                                       .arg(highest));
            return fallback;
        }
        return int(v);
    }

    bool boolean(const QJsonObject& object, const char* key, const QString& where, bool fallback)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined())
            return fallback;
        if (!value.isBool()) {
            fail(name(where, key), QStringLiteral("should be true or false"));
            return fallback;
        }
        return value.toBool();
    }

    std::optional<QColor> colour(const QJsonObject& object, const char* key, const QString& where)
    {
        const QString text = string(object, key, where);
        if (text.isEmpty())
            return std::nullopt;
        const QColor colour = QColor::fromString(text);
        if (!colour.isValid()) {
            fail(name(where, key), QStringLiteral("is no colour (\"%1\")").arg(text));
            return std::nullopt;
        }
        // Opaque, as written: a surface's opacity has a field of its own.
        return QColor(colour.red(), colour.green(), colour.blue());
    }

    QJsonObject object(const QJsonValue& value, const QString& where)
    {
        if (!value.isObject())
            fail(where, QStringLiteral("should be an object"));
        return value.toObject();
    }

    QJsonArray array(const QJsonObject& object, const char* key, const QString& where)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined())
            return QJsonArray();
        if (!value.isArray())
            fail(name(where, key), QStringLiteral("should be a list"));
        return value.toArray();
    }

    // A list of exactly `count` numbers.
    bool numbers(const QJsonObject& object, const char* key, const QString& where, float* out,
                 int count)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.isUndefined())
            return false;
        const QJsonArray list = value.toArray();
        if (!value.isArray() || list.size() != count) {
            fail(name(where, key), QStringLiteral("should be a list of %1 numbers").arg(count));
            return false;
        }
        for (int i = 0; i < count; ++i)
            out[i] = float(number(list.at(i), QStringLiteral("%1[%2]").arg(name(where, key)).arg(i),
                                  0.0));
        return ok();
    }

    static QString name(const QString& where, const char* key)
    {
        return where.isEmpty() ? QString::fromLatin1(key)
                               : QStringLiteral("%1.%2").arg(where, QLatin1String(key));
    }
    static QString item(const QString& where, const char* key, int i)
    {
        return QStringLiteral("%1[%2]").arg(name(where, key)).arg(i);
    }
};

// A byte offset as a line and column, both from 1. Qt's parser reports the
// offset just past the character it stumbled on.
QString position(const QByteArray& text, int offset)
{
    int line = 1, column = 1;
    for (int i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

column_state readColumn(Reader& r, const QJsonValue& value, const QString& where)
{
    const QJsonObject object = r.object(value, where);
    column_state column;
    column.name = r.string(object, "name", where, true);
    column.colour_bar = r.string(object, "colourBar", where);
    float limits[2];
    if (r.numbers(object, "limits", where, limits, 2))
        column.limits = std::make_pair(limits[0], limits[1]);
    column.threshold = float(std::fabs(r.number(object, "threshold", where, 0.0)));
    return column;
}

surface_state readSurface(Reader& r, const QJsonValue& value, const QString& where,
                          const QString& folder)
{
    const QJsonObject object = r.object(value, where);
    surface_state surface;
    surface.path = scene_resolved_path(r.string(object, "path", where, true), folder);
    surface.colour = r.colour(object, "colour", where);
    surface.opacity = float(r.number(object, "opacity", where, 1.0));
    if (surface.opacity < 0.0f || surface.opacity > 1.0f)
        r.fail(Reader::name(where, "opacity"), QStringLiteral("should be from 0 to 1"));
    surface.shown = r.boolean(object, "shown", where, true);
    const QString side = r.string(object, "hemisphere", where);
    if (side == QLatin1String("left"))
        surface.hemisphere = Hemisphere::Left;
    else if (side == QLatin1String("right"))
        surface.hemisphere = Hemisphere::Right;
    else if (!side.isEmpty() && side != QLatin1String("automatic"))
        r.fail(Reader::name(where, "hemisphere"),
               QStringLiteral("should be \"left\", \"right\" or \"automatic\""));
    const QJsonArray files = r.array(object, "statistics", where);
    for (int i = 0; i < files.size() && r.ok(); ++i) {
        const QString at = Reader::item(where, "statistics", i);
        const QJsonObject entry = r.object(files.at(i), at);
        statistics_state file;
        file.path = scene_resolved_path(r.string(entry, "path", at, true), folder);
        file.shown = r.boolean(entry, "shown", at, true);
        const QJsonArray columns = r.array(entry, "columns", at);
        for (int c = 0; c < columns.size() && r.ok(); ++c)
            file.columns.push_back(readColumn(r, columns.at(c), Reader::item(at, "columns", c)));
        surface.statistics.push_back(std::move(file));
    }
    const int files_count = int(surface.statistics.size());
    // A column of one of the surface's files: {"file": index, "column": name}.
    const auto columnChoice = [&](const char* key, int* file, QString* column) {
        const QString at = Reader::name(where, key);
        const QJsonObject choice = r.object(object.value(QLatin1String(key)), at);
        if (!choice.contains("file"))
            r.fail(Reader::name(at, "file"), QStringLiteral("is missing"));
        *file = r.integer(choice, "file", at, -1, 0, std::max(files_count - 1, 0));
        *column = r.string(choice, "column", at, true);
        if (files_count == 0)
            r.fail(at, QStringLiteral("names a statistics file, but the surface has none"));
        return choice;
    };
    if (object.contains("colouredBy"))
        columnChoice("colouredBy", &surface.coloured_file, &surface.coloured_column);
    if (object.contains("underlay")) {
        const QJsonObject under =
            columnChoice("underlay", &surface.underlay_file, &surface.underlay_column);
        surface.underlay_shades =
            r.integer(under, "shades", Reader::name(where, "underlay"), 2, 2, 8);
    }
    const QJsonArray parcels = r.array(object, "parcellations", where);
    for (int i = 0; i < parcels.size() && r.ok(); ++i) {
        const QString at = Reader::item(where, "parcellations", i);
        const QJsonObject entry = r.object(parcels.at(i), at);
        parcellation_state file;
        file.path = scene_resolved_path(r.string(entry, "path", at, true), folder);
        file.shown = r.boolean(entry, "shown", at, true);
        file.opacity = float(r.number(entry, "opacity", at, 1.0));
        if (file.opacity < 0.0f || file.opacity > 1.0f)
            r.fail(Reader::name(at, "opacity"), QStringLiteral("should be from 0 to 1"));
        file.outline = r.boolean(entry, "outline", at, false);
        const QJsonArray hidden = r.array(entry, "hiddenRegions", at);
        for (int h = 0; h < hidden.size() && r.ok(); ++h) {
            const QJsonValue region = hidden.at(h);
            const double index = region.toDouble(-1.0);
            if (!region.isDouble() || index < 0 || index > 1e9 || index != std::floor(index)) {
                r.fail(Reader::item(at, "hiddenRegions", h),
                       QStringLiteral("should be a region's index, 0 or more"));
                break;
            }
            file.hidden_regions.push_back(int(index));
        }
        std::sort(file.hidden_regions.begin(), file.hidden_regions.end());
        file.hidden_regions.erase(std::unique(file.hidden_regions.begin(), file.hidden_regions.end()),
                                  file.hidden_regions.end());
        surface.parcellations.push_back(std::move(file));
    }
    return surface;
}

}  // namespace

bool scene_from_json(const QByteArray& text, const QString& folder, scene_state* scene,
                     QString* error)
{
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = QStringLiteral("not valid JSON at %1: %2")
                     .arg(position(text, std::max(parse.offset - 1, 0)), parse.errorString());
        return false;
    }
    if (!document.isObject()) {
        *error = QStringLiteral("not a gyrolux scene (the file holds no JSON object)");
        return false;
    }
    const QJsonObject root = document.object();
    if (root.value("format").toString() != QLatin1String(scene_format_name)) {
        *error = QStringLiteral("not a gyrolux scene (its \"format\" is not \"%1\")")
                     .arg(scene_format_name);
        return false;
    }
    const QJsonValue version = root.value("version");
    if (!version.isDouble() || version.toDouble() < 1 ||
        version.toDouble() != std::floor(version.toDouble())) {
        *error = QStringLiteral("its \"version\" should be a whole number from 1");
        return false;
    }
    if (version.toDouble() > scene_format_version) {
        *error = QStringLiteral("it is a version %1 scene; this gyrolux reads versions up to %2")
                     .arg(version.toDouble())
                     .arg(scene_format_version);
        return false;
    }

    Reader r;
    scene_state read;
    const QJsonArray surfaces = r.array(root, "surfaces", QString());
    for (int i = 0; i < surfaces.size() && r.ok(); ++i)
        read.surfaces.push_back(
            readSurface(r, surfaces.at(i), Reader::item(QString(), "surfaces", i), folder));
    const QJsonArray tags = r.array(root, "tags", QString());
    for (int i = 0; i < tags.size() && r.ok(); ++i) {
        const QString at = Reader::item(QString(), "tags", i);
        const QJsonObject entry = r.object(tags.at(i), at);
        tags_state file;
        file.path = scene_resolved_path(r.string(entry, "path", at, true), folder);
        file.radius = r.number(entry, "radius", at, 1.0);
        if (file.radius <= 0.0)
            r.fail(Reader::name(at, "radius"), QStringLiteral("should be above 0"));
        file.colour = r.colour(entry, "colour", at);
        file.shown = r.boolean(entry, "shown", at, true);
        read.tags.push_back(std::move(file));
    }
    const int surfaceCount = int(read.surfaces.size());
    if (root.contains("pick") && r.ok()) {
        const QJsonObject pick = r.object(root.value("pick"), QStringLiteral("pick"));
        for (const char* key : {"surface", "vertex"})
            if (!pick.contains(QLatin1String(key)))
                r.fail(Reader::name(QStringLiteral("pick"), key), QStringLiteral("is missing"));
        read.pick.surface = r.integer(pick, "surface", "pick", -1, 0, std::max(surfaceCount - 1, 0));
        read.pick.vertex =
            r.integer(pick, "vertex", "pick", -1, 0, std::numeric_limits<int>::max());
        if (surfaceCount == 0)
            read.pick = pick_state();
    }
    read.legend = r.boolean(root, "legend", QString(), true);
    read.hemisphere_offset = r.boolean(root, "hemisphereOffset", QString(), true);
    read.legend_surface =
        r.integer(root, "legendSurface", QString(), -1, -1, std::max(surfaceCount - 1, 0));
    if (const std::optional<QColor> background = r.colour(root, "background", QString()))
        read.background = *background;
    if (root.contains("camera") && r.ok()) {
        const QJsonObject object = r.object(root.value("camera"), QStringLiteral("camera"));
        camera_state camera;
        const QString projection = r.string(object, "projection", "camera");
        if (projection == QLatin1String("orthographic"))
            camera.projection = Projection::Orthographic;
        else if (!projection.isEmpty() && projection != QLatin1String("perspective"))
            r.fail(QStringLiteral("camera.projection"),
                   QStringLiteral("should be \"perspective\" or \"orthographic\""));
        const bool ortho = camera.projection == Projection::Orthographic;
        if (!r.numbers(object, "position", "camera", camera.position, 3) && r.ok())
            r.fail(QStringLiteral("camera.position"), QStringLiteral("is missing"));
        if (!r.numbers(object, "orientation", "camera", camera.orientation, 4) && r.ok())
            r.fail(QStringLiteral("camera.orientation"), QStringLiteral("is missing"));
        camera.focal_distance = float(r.number(object, "focalDistance", "camera", 1.0));
        camera.height = float(r.number(object, ortho ? "height" : "heightAngle", "camera",
                                       ortho ? 2.0 : 0.785398));
        if (camera.height <= 0.0f || camera.focal_distance <= 0.0f)
            r.fail(QStringLiteral("camera"), QStringLiteral("has a size or distance of 0 or less"));
        read.camera = camera;
    }
    if (root.contains("viewSize") && r.ok()) {
        float size[2] = {0, 0};
        r.numbers(root, "viewSize", QString(), size, 2);
        if (r.ok() && (size[0] < 1 || size[1] < 1 || size[0] > 16384 || size[1] > 16384 ||
                       size[0] != std::floor(size[0]) || size[1] != std::floor(size[1])))
            r.fail(QStringLiteral("viewSize"),
                   QStringLiteral("should be two whole numbers from 1 to 16384"));
        if (r.ok())
            read.view_size = QSize(int(size[0]), int(size[1]));
    }
    if (!r.ok()) {
        *error = r.error;
        return false;
    }
    *scene = std::move(read);
    return true;
}

bool write_scene_file(const QString& path, const scene_state& scene, QString* error)
{
    QSaveFile file(path);
    const QByteArray text = scene_to_json(scene, QFileInfo(path).absolutePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        *error = QStringLiteral("Cannot save the scene %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

int scene_file_count(const scene_state& scene)
{
    std::size_t count = scene.tags.size();
    for (const surface_state& surface : scene.surfaces)
        count += 1 + surface.statistics.size() + surface.parcellations.size();
    return int(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

bool read_scene_file(const QString& path, scene_state* scene, QString* error, int file_limit)
{
    QFile file(path);
    const QFileInfo info(path);
    QString why;
    if (!info.exists())
        why = QStringLiteral("no such file");
    else if (!info.isFile())
        why = QStringLiteral("not a file");
    else if (info.size() > scene_file_limit)
        why = QStringLiteral("%1 bytes is too large for a scene file").arg(info.size());
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    if (why.isEmpty()) {
        const QByteArray text = file.read(scene_file_limit + 1);
        if (scene_from_json(text, info.absolutePath(), scene, &why)) {
            const int count = scene_file_count(*scene);
            if (count <= file_limit)
                return true;
            *scene = scene_state();
            why = QStringLiteral("it names %1 files, more than the %2 a scene may name "
                                 "(--max-scene-files raises the limit)")
                      .arg(count)
                      .arg(file_limit);
        }
    }
    *error = QStringLiteral("Cannot open the scene %1: %2").arg(path, why);
    return false;
}

}  // namespace gyroscene
