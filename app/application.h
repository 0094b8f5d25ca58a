#pragma once
// Application-wide settings made once before the first window: name, Japanese locale and fonts.

#include <QStringList>

class QApplication;

namespace app {

// Names the application, selects the Japanese locale and the runtime's translations, gives the
// default font Japanese fallbacks, and leaves the end of the program to the runtime.
void prepareApplication(QApplication& application);

// Font families for Japanese text, the design's family first, then fallbacks found on the system: on
// Windows its own Japanese UI fonts (Yu Gothic UI, Meiryo, MS UI Gothic) before the others.
QStringList japaneseFamilies(const QString& designFamily = {});

} // namespace app
