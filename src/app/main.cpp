#include "MainWindow.h"

#include "ViewerWidget.h"
#include "quillon.h"

#include <QApplication>
#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstring>

namespace {

// Answered before any window or display is needed.
const char usage[] =
    "Usage: gyrolux [FILE]...\n"
    "Shows brain-surface meshes, per-vertex statistics and landmarks in a 3-D view.\n"
    "\n"
    "Each FILE is opened in turn, chosen by its name:\n"
    "  .obj, FreeSurfer and GIFTI surfaces      a surface\n"
    "  .vertstats, .txt, curv, .mgh, .mgz, .gii statistics for the last surface opened\n"
    "  .tag                                     landmarks\n"
    "\n"
    "Options:\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         every argument after this is a file, even one starting with --\n";

}  // namespace

int main(int argc, char** argv)
{
    // The first frame of a large surface fills much memory at once: on huge pages.
    use_huge_page_heap(std::size_t(1) << 30);
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("gyrolux %s\n", GYROLUX_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    // Coin must be running before the viewer makes its first node.
    gyroview::init();

    MainWindow* window = new MainWindow;
    // Read after Qt has taken its own options out of the list.
    QList<QByteArray> arguments;
    bool separated = false;
    for (int i = 1; i < argc; ++i) {
        if (!separated && std::strcmp(argv[i], "--") == 0) {
            separated = true;
            continue;
        }
        arguments.append(QByteArray(argv[i]));
    }
    window->openCommandLine(arguments);
    window->show();
    const int status = app.exec();
    delete window;
    return status;
}
