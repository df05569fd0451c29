#include "MainWindow.h"

#include "ViewerWidget.h"

#include <QApplication>
#include <QFile>
#include <iostream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Coin must be running before the viewer makes its first node.
    gyroview::init();

    MainWindow* window = new MainWindow;
    for (int i = 1; i < argc; ++i) {
        std::cout << "Loading " << argv[i] << std::endl;
        QFile file(QString::fromLocal8Bit(argv[i]));
        window->openFile(file);
    }
    window->show();
    const int status = app.exec();
    delete window;
    return status;
}
