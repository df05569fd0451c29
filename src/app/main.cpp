#include "MainWindow.h"

#include "ViewerWidget.h"

#include <QApplication>
#include <QByteArray>
#include <QList>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Coin must be running before the viewer makes its first node.
    gyroview::init();

    MainWindow* window = new MainWindow;
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    window->openCommandLine(arguments);
    window->show();
    const int status = app.exec();
    delete window;
    return status;
}
