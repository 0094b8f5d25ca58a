// Fuzzes wildcard matching against a plain recursive matcher; the input is a name, a tab, a pattern.

#include "fuzz/fuzzinput.h"
#include "platform/filelist.h"

#include <vector>

namespace {

// Bounded so that the reference's table stays small.
constexpr qsizetype kMaxLength = 64;

// '*' and '?' over the units upper-cased, by recursion with a table of the cases already decided.
class Reference {
public:
    Reference(const QString& name, const QString& pattern)
        : m_name(fuzz::upperUnits(name)), m_pattern(fuzz::upperUnits(pattern)),
          m_memo(size_t((name.size() + 1) * (pattern.size() + 1)), -1)
    {
    }
    bool matches() { return at(0, 0); }

private:
    bool at(qsizetype n, qsizetype p)
    {
        signed char& known = m_memo[size_t(n * (m_pattern.size() + 1) + p)];
        if (known < 0)
            known = decide(n, p) ? 1 : 0;
        return known == 1;
    }
    bool decide(qsizetype n, qsizetype p)
    {
        if (p == m_pattern.size())
            return n == m_name.size();
        if (m_pattern.at(p) == QLatin1Char('*'))
            return at(n, p + 1) || (n < m_name.size() && at(n + 1, p));
        if (n == m_name.size())
            return false;
        if (m_pattern.at(p) == QLatin1Char('?') || m_pattern.at(p) == m_name.at(n))
            return at(n + 1, p + 1);
        return false;
    }

    QString m_name;
    QString m_pattern;
    std::vector<signed char> m_memo;
};

bool plain(const QString& name, const QString& pattern)
{
    return Reference(name, pattern).matches();
}

// What Windows adds: "<p>.*" also matches a name without a dot that "<p>" matches; a single final
// "." asks for a name without a dot.
bool reference(const QString& name, const QString& pattern)
{
    const bool hasDot = name.contains(QLatin1Char('.'));
    if (pattern.endsWith(QLatin1String(".*")) && !hasDot && plain(name, pattern.chopped(2)))
        return true;
    if (pattern.endsWith(QLatin1Char('.')) && !pattern.endsWith(QLatin1String("..")))
        return !hasDot && plain(name, pattern.chopped(1));
    return plain(name, pattern);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = fuzz::textOf(data, size);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    const QString name = (tab < 0 ? text : text.left(tab)).left(kMaxLength);
    const QString pattern = tab < 0 ? QString() : text.mid(tab + 1).left(kMaxLength);

    const bool matched = platform::matchesWildcard(name, pattern);
    if (matched != reference(name, pattern))
        fuzz::fail(matched ? "matched where the reference does not" : "missed a match the reference finds",
                   name, pattern);
    if (!platform::matchesWildcard(name, QStringLiteral("*")) || !platform::matchesWildcard(name, QStringLiteral("*.*")))
        fuzz::fail("'*' or '*.*' missed a name", name);
    // A name ending in '.' cannot exist on Windows, and a final '.' in a pattern asks for no dot.
    if (!name.endsWith(QLatin1Char('.'))) {
        if (!platform::matchesWildcard(name, fuzz::upperUnits(name)))
            fuzz::fail("a name does not match itself upper-cased", name);
        if (!platform::matchesWildcard(fuzz::upperUnits(name), name))
            fuzz::fail("an upper-cased name does not match the name as a pattern", name);
    }
    // The whole text, unbounded: the matcher must not crash or take long on long inputs.
    platform::matchesWildcard(text, text);
    return 0;
}
