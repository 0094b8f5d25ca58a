// Writes the program's icon as PNG files in the sizes a desktop asks for: DIR/NxN/tarnavel.png.

#include "app/appicon.h"

#include <QDir>
#include <QGuiApplication>

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1").arg(size);
        if (!out.mkpath(folder) || !app::appIconImage(size).save(out.filePath(folder + "/tarnavel.png")))
            return 1;
    }
    return 0;
}
