#include "opening_look.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace gyroscene {

bool is_folding_measure(const QString& path, const QString& column)
{
    // A word of its own: "curv" or "sulc", not "curvature_error_map".
    static const QRegularExpression word(QStringLiteral("(^|[._\\-])(curv|sulc)([._\\-]|$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return word.match(QFileInfo(path).fileName()).hasMatch() || word.match(column).hasMatch();
}

opening_look look_on_open(const QString& path, Known_file_formats format, const QStringList& columns,
                          bool surface_coloured, bool surface_has_underlay)
{
    if (format == VERTSTATS_FILE_FORMAT || columns.isEmpty())
        return {};
    if (is_folding_measure(path, columns.first()))
        return surface_has_underlay ? opening_look{}
                                    : opening_look{opening_look::Role::Underlay, columns.first()};
    if (surface_coloured)
        return {};
    return {opening_look::Role::Colour, columns.first()};
}

}  // namespace gyroscene
