#include "KeysHelp.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("KeysHelp", text);
}

}  // namespace

QList<KeyHelpEntry> keyHelpEntries()
{
    return {
        {tr("Left drag"), tr("turn the surface (a fast drag leaves it spinning, View > Spin After Drag)")},
        {tr("Middle drag, Shift + left drag"), tr("move the surface")},
        {tr("Ctrl + left drag, left and middle drag"), tr("zoom")},
        {tr("Wheel"), tr("zoom; the view takes the keys")},
        {tr("Left click"), tr("pick the vertex under the pointer")},
        {tr("S"), tr("seek: the next left click flies the camera to that point (S again cancels)")},
        {tr("Esc"), tr("stop the spin")},
        {tr("Alt (held)"), tr("clicks pick without turning the surface")},
        {tr("Home, Ctrl+R"), tr("Reset View: back to the start-up view (Ctrl+R also from a text field)")},
        {tr("Ctrl+1 to Ctrl+6"), tr("lateral, medial, dorsal, ventral, anterior, posterior view")},
        {tr("Ctrl+Alt+W, P, I, S"), tr("the same data on the white, pial, inflated or sphere surface")},
        {tr("Ctrl+O"), tr("open a file")},
        {tr("Ctrl+S"), tr("save the scene")},
        {tr("Ctrl+Shift+S"), tr("save a screenshot")},
        {tr("Ctrl+Q"), tr("quit")},
    };
}

QString keyHelpHtml()
{
    QString html = QStringLiteral("<table cellspacing=\"4\">");
    for (const KeyHelpEntry& entry : keyHelpEntries())
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(entry.keys.toHtmlEscaped(), entry.action.toHtmlEscaped());
    return html + QStringLiteral("</table>");
}
