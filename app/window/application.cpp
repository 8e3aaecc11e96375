#include "app/window/application.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

#include "app/window/fimgc.h"
#include "app/window/form1.h"
#include "app/window/main1.h"

int Execution_gardee(const std::function<int()>& corps, const std::function<void(const std::string&)>& montre)
{
    try {
        return corps();
    } catch (const std::exception& e) {
        montre(e.what());
    }
    return 1;
}

int Lance_fenetre(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tracemorph");
    return Execution_gardee(
        [&] {
            TMain1 main1;
            TForm1 form1(&main1);
            main1.Attache_form1(&form1);
            TFImgC fimgc(&main1);
            main1.Attache_fimgc(&fimgc);
            main1.show();
            return app.exec();
        },
        [](const std::string& texte) {
            QMessageBox::critical(nullptr, "Tracemorph", QString::fromLocal8Bit(texte.c_str()));
        });
}
