// Fuzzes NTFS order: a strict weak order on any three names, and the order of the upper-cased units.

#include "fuzz/fuzzinput.h"
#include "platform/filelist.h"

#include <algorithm>

namespace {

// Ordinal comparison of UTF-16 units.
bool unitsLess(const QString& a, const QString& b)
{
    return std::lexicographical_compare(a.utf16(), a.utf16() + a.size(), b.utf16(), b.utf16() + b.size());
}

void checkPair(const QString& a, const QString& b)
{
    const bool ab = platform::ntfsLess(a, b);
    const bool ba = platform::ntfsLess(b, a);
    if (ab && ba)
        fuzz::fail("ntfsLess is not asymmetric", a, b);
    if (a != b && !ab && !ba)
        fuzz::fail("two different names are neither before nor after each other", a, b);
    const QString ua = fuzz::upperUnits(a), ub = fuzz::upperUnits(b);
    const bool expected = ua != ub ? unitsLess(ua, ub) : unitsLess(a, b);
    if (ab != expected)
        fuzz::fail("ntfsLess disagrees with the order of the upper-cased units", a, b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Names separated by newlines; the first three are compared.
    QStringList names = fuzz::textOf(data, size).split(QLatin1Char('\n'));
    while (names.size() < 3)
        names.append(QString());
    const QString& a = names.at(0);
    const QString& b = names.at(1);
    const QString& c = names.at(2);

    for (const QString& x : {a, b, c}) {
        if (platform::ntfsLess(x, x))
            fuzz::fail("a name is before itself", x);
    }
    checkPair(a, b);
    checkPair(b, c);
    checkPair(a, c);
    if (platform::ntfsLess(a, b) && platform::ntfsLess(b, c) && !platform::ntfsLess(a, c))
        fuzz::fail("ntfsLess is not transitive", a, c);
    if (platform::ntfsLess(b, a) && platform::ntfsLess(c, b) && !platform::ntfsLess(c, a))
        fuzz::fail("ntfsLess is not transitive", c, a);
    return 0;
}
