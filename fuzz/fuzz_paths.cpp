// Fuzzes the drive path translation: any text, a fixed table of temporary drives, only errors 68 and 76.

#include "fuzz/fuzzinput.h"
#include "platform/drives.h"
#include "platform/errors.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

QString g_base;

// C: and D: are folders of a temporary folder, E: one inside D:, M: a folder that does not exist,
// R: a root given with a trailing separator.
void makeDrives()
{
    static QTemporaryDir base;
    g_base = QDir(base.path()).canonicalPath();
    QDir(g_base).mkpath(QStringLiteral("c"));
    QDir(g_base).mkpath(QStringLiteral("d/e"));
    QDir(g_base).mkpath(QStringLiteral("r"));
    platform::setDriveTable({{QLatin1Char('C'), g_base + QStringLiteral("/c"), {}},
                             {QLatin1Char('D'), g_base + QStringLiteral("/d"), {}},
                             {QLatin1Char('E'), g_base + QStringLiteral("/d/e"), {}},
                             {QLatin1Char('M'), g_base + QStringLiteral("/missing"), {}},
                             {QLatin1Char('R'), g_base + QStringLiteral("/r/"), {}}});
}

QString rootOf(QChar letter)
{
    return QDir::cleanPath(platform::driveOf(letter)->root);
}

bool isDrivePath(const QString& path)
{
    return path.size() >= 3 && path.at(0) >= QLatin1Char('A') && path.at(0) <= QLatin1Char('Z')
           && path.at(1) == QLatin1Char(':') && path.at(2) == QLatin1Char('\\');
}

void checkParts(const QString& text)
{
    for (const QString& part : platform::pathParts(text)) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")
            || part.contains(QLatin1Char('\\')) || part.contains(QLatin1Char('/')))
            fuzz::fail("pathParts gave a part that names no folder", text, part);
    }
}

void checkTranslation(const QString& text)
{
    QString system;
    try {
        system = platform::toSystemPath(text);
    } catch (const platform::RuntimeError& e) {
        if (e.number() != platform::ErrDeviceUnavailable && e.number() != platform::ErrPathNotFound)
            fuzz::fail("toSystemPath raised an error other than 68 or 76", text);
        return;
    }
    const QString root = rootOf(text.at(0));
    if (system != root && !system.startsWith(root + QLatin1Char('/')))
        fuzz::fail("toSystemPath left its drive's root", text, system);
    const QString back = platform::toWindowsPath(system);
    if (!isDrivePath(back))
        fuzz::fail("toWindowsPath of a translated path is not a drive path", system, back);
    // The way back names the same file.
    try {
        if (platform::toSystemPath(back) != system)
            fuzz::fail("a path does not survive the way there and back", text, back);
    } catch (const platform::RuntimeError&) {
        fuzz::fail("the way back raised an error", text, back);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeDrives();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = fuzz::textOf(data, size);
    checkParts(text);
    checkTranslation(text);
    // A system path anywhere, under the temporary drives or not: a drive path or nothing.
    for (const QString& system : {text, g_base + QLatin1Char('/') + text}) {
        const QString windows = platform::toWindowsPath(system);
        if (!windows.isEmpty() && !isDrivePath(windows))
            fuzz::fail("toWindowsPath gave neither a drive path nor nothing", system, windows);
    }
    return 0;
}
