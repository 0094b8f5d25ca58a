#include "app/application.h"
#include "app/mdlselect.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    app::prepareApplication(application);
    MdlSelect::Main();
    return application.exec();
}
