#include "app/window/application.h"

#include <QApplication>

int Lance_fenetre(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
