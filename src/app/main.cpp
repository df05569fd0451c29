#include "MainWindow.h"
#include "MemoryTrim.h"

#include "ViewerWidget.h"
#include "column_colouring.h"
#include "figure_options.h"
#include "quillon.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Answered before any window or display is needed.
QString usage()
{
    return QStringLiteral(
               "Usage: gyrolux [FILE]... [OPTION]...\n"
               "Shows brain-surface meshes, per-vertex statistics and landmarks in a 3-D view.\n"
               "\n"
               "Each FILE is opened in turn, chosen by its name:\n"
               "  .obj, FreeSurfer and GIFTI surfaces      a surface\n"
               "  .vertstats, .txt, curv, .mgh, .mgz, .gii statistics for the last surface opened\n"
               "  .tag                                     landmarks\n"
               "  .gyrolux                                 a scene saved by File > Save Scene\n"
               "\n"
               "Options (gyrolux-render's figure options, with the same meaning: its command\n"
               "line without -o opens the same figure here):\n") +
           gyroscene::figure_options_help(gyroscene::Program::Viewer) +
           QStringLiteral(
               "  --                    every argument after this is a file, even one\n"
               "                        starting with --\n");
}

// Whether this display gives OpenGL at all: without it (an X server with no
// GLX, as over many remote connections) the view would stay black.
bool openGLAvailable()
{
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    return surface.isValid() && context.makeCurrent(&surface);
}

QString displayName()
{
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray x = qgetenv("DISPLAY");
    const QString name = QGuiApplication::platformName() == QLatin1String("wayland")
                             ? QString::fromLocal8Bit(wayland)
                             : QString::fromLocal8Bit(x);
    return name.isEmpty() ? QGuiApplication::platformName() : name;
}

}  // namespace

int main(int argc, char** argv)
{
    // Coin's texture filtering, set before Coin starts (column_colouring.h).
    setenv(gyroscene::anisotropic_limit_variable, gyroscene::anisotropic_limit, 0);
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("gyrolux %s\n", GYROLUX_VERSION);
            return 0;
        }
    }

    // Usage errors before any display is needed; Qt's own options (one
    // dash, such as -platform) are Qt's to judge.
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-' || argv[i][1] == '-' || argv[i][1] == '\0' ||
            std::strcmp(argv[i], "-h") == 0)
            words.emplace_back(argv[i]);
    gyroscene::FigureOptions checked;
    if (const auto problem =
            gyroscene::parse_figure_arguments(words, gyroscene::Program::Viewer, &checked)) {
        std::fprintf(stderr, "gyrolux: %s\n", problem->message.toLocal8Bit().constData());
        return 2;
    }

    QApplication app(argc, argv);
    if (!openGLAvailable()) {
        const QString text =
            QStringLiteral("gyrolux: no OpenGL on display %1: the display cannot make an OpenGL "
                           "context (an X server without GLX, as over many remote connections, "
                           "or a missing GL driver). gyrolux-render draws the same figures "
                           "without a display.")
                .arg(displayName());
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        // Started from a desktop menu, standard error goes nowhere.
        if (qEnvironmentVariableIsEmpty("GYROLUX_NO_DIALOGS"))
            QMessageBox::critical(nullptr, QStringLiteral("gyrolux"), text.mid(9));
        return 1;
    }
    // Coin must be running before the viewer makes its first node.
    gyroview::init();

    // Read after Qt has taken its own options out of the list.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));

    MainWindow* window = new MainWindow;
    trimMemoryAfterLayerChanges(window);
    window->openCommandLine(arguments);
    window->show();
    const int status = app.exec();
    delete window;
    return status;
}
