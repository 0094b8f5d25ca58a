// Fuzzes what the program does with names and paths: wildcard matching against a plain recursive
// matcher, NTFS order as a strict weak order on the upper-cased units, and the drive path translation
// (only errors 68 and 76, never out of its drive's root, the same file both ways). The input is text
// (UTF-8, or raw UTF-16 after a first byte 0x01 to reach lone surrogates): a name, a tab, a pattern, a
// tab, a third name.

#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/filelist.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QString g_base;

[[noreturn]] void fail(const char* what, const QString& a, const QString& b = {})
{
    std::fprintf(stderr, "invariant broken: %s\n  a = \"%s\"\n  b = \"%s\"\n", what, qPrintable(a), qPrintable(b));
    std::abort();
}

QString upperUnits(QString text)
{
    for (QChar& c : text)
        c = c.toUpper();
    return text;
}

// '*' and '?' over the upper-cased units, by recursion with a table of the cases decided; then what
// Windows adds: "<p>.*" also matches a name without a dot that "<p>" matches, and a single final "."
// asks for a name without a dot.
bool plainMatch(const QString& name, const QString& pattern)
{
    const QString n = upperUnits(name), p = upperUnits(pattern);
    std::vector<signed char> memo(size_t((n.size() + 1) * (p.size() + 1)), -1);
    const std::function<bool(qsizetype, qsizetype)> at = [&](qsizetype i, qsizetype j) -> bool {
        signed char& known = memo[size_t(i * (p.size() + 1) + j)];
        if (known < 0)
            known = j == p.size() ? i == n.size()
                    : p.at(j) == '*' ? at(i, j + 1) || (i < n.size() && at(i + 1, j))
                                     : i < n.size() && (p.at(j) == '?' || p.at(j) == n.at(i)) && at(i + 1, j + 1);
        return known == 1;
    };
    return at(0, 0);
}
bool referenceMatch(const QString& name, const QString& pattern)
{
    const bool dot = name.contains('.');
    if (pattern.endsWith(QLatin1String(".*")) && !dot && plainMatch(name, pattern.chopped(2)))
        return true;
    if (pattern.endsWith('.') && !pattern.endsWith(QLatin1String("..")))
        return !dot && plainMatch(name, pattern.chopped(1));
    return plainMatch(name, pattern);
}

void checkWildcard(QString name, QString pattern)
{
    name.truncate(64), pattern.truncate(64); // the reference's table stays small
    if (platform::matchesWildcard(name, pattern) != referenceMatch(name, pattern))
        fail("the match differs from the reference's", name, pattern);
    if (!platform::matchesWildcard(name, "*") || !platform::matchesWildcard(name, "*.*"))
        fail("'*' or '*.*' missed a name", name);
    if (!name.endsWith('.') && !platform::matchesWildcard(name, upperUnits(name))) // (no such name on Windows)
        fail("a name does not match itself upper-cased", name);
}

void checkOrder(const QString& a, const QString& b, const QString& c)
{
    using platform::ntfsLess;
    const auto units = [](const QString& x, const QString& y) { return std::lexicographical_compare(x.utf16(), x.utf16() + x.size(), y.utf16(), y.utf16() + y.size()); };
    for (const auto& [x, y] : {std::pair(a, b), std::pair(b, c), std::pair(a, c)}) {
        const QString ux = upperUnits(x), uy = upperUnits(y);
        if (ntfsLess(x, x) || (ntfsLess(x, y) && ntfsLess(y, x)) || (x != y && !ntfsLess(x, y) && !ntfsLess(y, x)))
            fail("NTFS order is not a strict total order", x, y);
        if (ntfsLess(x, y) != (ux != uy ? units(ux, uy) : units(x, y)))
            fail("NTFS order disagrees with the order of the upper-cased units", x, y);
    }
    if ((ntfsLess(a, b) && ntfsLess(b, c) && !ntfsLess(a, c)) || (ntfsLess(b, a) && ntfsLess(c, b) && !ntfsLess(c, a)))
        fail("NTFS order is not transitive", a, c);
}

bool isDrivePath(const QString& path) { return path.size() >= 3 && path.at(0) >= 'A' && path.at(0) <= 'Z' && path.mid(1, 2) == ":\\"; }

void checkPath(const QString& text)
{
    for (const QString& part : platform::pathParts(text))
        if (part.isEmpty() || part == "." || part == ".." || part.contains('\\') || part.contains('/'))
            fail("pathParts gave a part that names no folder", text, part);
    for (const QString& system : {text, g_base + '/' + text}) // any system path: a drive path or nothing
        if (const QString windows = platform::toWindowsPath(system); !windows.isEmpty() && !isDrivePath(windows))
            fail("toWindowsPath gave neither a drive path nor nothing", system, windows);
    QString system;
    try {
        system = platform::toSystemPath(text);
    } catch (const platform::RuntimeError& e) {
        if (e.number() != platform::ErrDeviceUnavailable && e.number() != platform::ErrPathNotFound)
            fail("toSystemPath raised an error other than 68 or 76", text);
        return;
    }
    const QString root = QDir::cleanPath(platform::driveOf(text.at(0))->root), back = platform::toWindowsPath(system);
    if (system != root && !system.startsWith(root + '/'))
        fail("toSystemPath left its drive's root", text, system);
    try {
        if (!isDrivePath(back) || platform::toSystemPath(back) != system)
            fail("a path does not survive the way there and back", text, back);
    } catch (const platform::RuntimeError&) {
        fail("the way back raised an error", text, back);
    }
}

} // namespace

// C: and D: are folders of a temporary folder, E: one inside D:, M: a folder that does not exist, R: a
// root given with a trailing separator.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static QTemporaryDir base;
    g_base = QDir(base.path()).canonicalPath();
    for (const char* folder : {"c", "d/e", "r"})
        QDir(g_base).mkpath(folder);
    platform::setDriveTable({{'C', g_base + "/c", {}}, {'D', g_base + "/d", {}}, {'E', g_base + "/d/e", {}},
                             {'M', g_base + "/missing", {}}, {'R', g_base + "/r/", {}}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString text;
    if (size > 0 && data[0] == 0x01)
        for (std::size_t i = 1; i + 1 < size; i += 2)
            text.append(QChar(char16_t(data[i] | data[i + 1] << 8)));
    else
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList parts = text.split('\t');
    checkWildcard(parts.value(0), parts.value(1));
    checkOrder(parts.value(0), parts.value(1), parts.value(2));
    checkPath(text);
    checkPath(parts.value(0));
    platform::matchesWildcard(text, text); // unbounded: no crash, no long run on long inputs
    return 0;
}
