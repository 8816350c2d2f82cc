#include "commandline.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MainWindow window(nullptr, parseCommandLine(app.arguments()));
    window.show();
    return app.exec();
}
