#include "app/application.h"

#include "app/appicon.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

QStringList japaneseFamilies(const QString& designFamily)
{
    QStringList families;
    if (!designFamily.isEmpty())
        families << designFamily;
#ifdef Q_OS_WIN
    // The Japanese UI fonts that Windows ships, newest first.
    families << QStringLiteral("Yu Gothic UI") << QStringLiteral("Meiryo UI") << QStringLiteral("Meiryo")
             << QStringLiteral("MS UI Gothic") << QStringLiteral("MS PGothic");
#else
    families << QStringLiteral("MS PGothic") << QStringLiteral("MS UI Gothic") << QStringLiteral("Meiryo UI");
#endif
    families << QStringLiteral("IPAPGothic") << QStringLiteral("IPAGothic") << QStringLiteral("Noto Sans CJK JP")
             << QStringLiteral("Noto Sans JP") << QStringLiteral("VL PGothic") << QStringLiteral("TakaoPGothic");
    return families;
}

void prepareApplication(QApplication& application)
{
    QApplication::setApplicationName(QStringLiteral("Tarnavel"));
    QApplication::setOrganizationName(QStringLiteral("Tarnavel"));
    QApplication::setQuitOnLastWindowClosed(false); // the runtime ends the program when no window is left
    QApplication::setWindowIcon(appIcon());
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    QFont font = QApplication::font();
    QStringList families{font.family()};
    families << japaneseFamilies();
    font.setFamilies(families);
    QApplication::setFont(font);
}

} // namespace app
