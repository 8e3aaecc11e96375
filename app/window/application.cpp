#include "app/window/application.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

#include "app/window/fimgc.h"
#include "app/window/form1.h"
#include "app/window/main1.h"

int Lance_fenetre(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tracemorph");
    try {
        TMain1 main1;
        TForm1 form1(&main1);
        main1.Attache_form1(&form1);
        TFImgC fimgc(&main1);
        main1.Attache_fimgc(&fimgc);
        main1.show();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Tracemorph", QString::fromLocal8Bit(e.what()));
    }
    return 0;
}
