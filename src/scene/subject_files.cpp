#include "subject_files.h"

#include <QDir>
#include <QFileInfo>

namespace gyroscene {

namespace {

bool isPath(const QString& text)
{
    return text.contains('/');
}

// An existing regular file, or a line for `missing`.
bool present(const QString& path, const char* what, QStringList* missing)
{
    if (QFileInfo(path).isFile())
        return true;
    missing->append(QStringLiteral("Subject: no %1 %2").arg(QLatin1String(what), path));
    return false;
}

}  // namespace

QString hemisphere_prefix(Hemisphere side)
{
    return side == Hemisphere::Right ? QStringLiteral("rh") : QStringLiteral("lh");
}

std::optional<QString> check_subject_request(const subject_request& request)
{
    if (request.hemi != "lh" && request.hemi != "rh" && request.hemi != "both")
        return QStringLiteral("--hemi is lh, rh or both, not \"%1\"").arg(request.hemi);
    if (request.dir.isEmpty())
        return QStringLiteral("--subject needs a folder");
    if (request.surface.isEmpty() || isPath(request.surface))
        return QStringLiteral("--surf needs a surface name such as white or inflated, not \"%1\"")
            .arg(request.surface);
    if (request.hemi == "both")
        for (const QStringList* names : {&request.overlays, &request.annotations})
            for (const QString& name : *names)
                if (isPath(name))
                    return QStringLiteral("a file (%1) instead of a name needs a single --hemi")
                        .arg(name);
    return std::nullopt;
}

std::optional<QString> resolve_subject(const subject_request& request, subject_files* files)
{
    *files = subject_files();
    if (auto problem = check_subject_request(request))
        return problem;
    std::vector<Hemisphere> sides;
    if (request.hemi != "rh")
        sides.push_back(Hemisphere::Left);
    if (request.hemi != "lh")
        sides.push_back(Hemisphere::Right);

    const QDir dir(request.dir);
    if (!QFileInfo(request.dir).isDir()) {
        files->missing.append(QStringLiteral("Subject: no folder %1").arg(request.dir));
        return std::nullopt;
    }
    for (Hemisphere side : sides) {
        const QString prefix = hemisphere_prefix(side) + '.';
        hemisphere_files hemisphere;
        hemisphere.side = side;
        hemisphere.surface = dir.filePath(QStringLiteral("surf/") + prefix + request.surface);
        if (!present(hemisphere.surface, "surface", &files->missing))
            continue;
        hemisphere.curv = dir.filePath(QStringLiteral("surf/") + prefix + "curv");
        if (!present(hemisphere.curv, "curvature file", &files->missing))
            hemisphere.curv.clear();
        for (const QString& name : request.overlays) {
            const QString path = isPath(name) ? name : dir.filePath("surf/" + prefix + name);
            if (present(path, "overlay", &files->missing))
                hemisphere.statistics.append(path);
        }
        for (const QString& name : request.annotations) {
            QString path = name;
            if (!isPath(name))
                path = dir.filePath("label/" + prefix + name +
                                    (name.endsWith(".annot") ? "" : ".annot"));
            if (present(path, "parcellation", &files->missing))
                hemisphere.labels.append(path);
        }
        files->hemispheres.push_back(hemisphere);
    }
    return std::nullopt;
}

}  // namespace gyroscene
