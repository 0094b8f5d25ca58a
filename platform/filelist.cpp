#include "platform/filelist.h"

#include "platform/drives.h"
#include "platform/errors.h"

#include <QFile>
#include <algorithm>

#ifdef Q_OS_WIN
#include <QDirIterator>
#include <QFileInfo>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <cstring>
#include <vector>
#endif

namespace platform {

namespace {

inline char16_t upper(char16_t c)
{
    if (c < 128)
        return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    return char16_t(QChar::toUpper(char32_t(c)));
}

// The plain wildcard match: '*' and '?' only, iterative, remembering the last '*' to retry from.
bool plainMatch(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            const char16_t pc = pattern.at(p).unicode();
            if (pc == u'*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (pc == u'?' || upper(pc) == upper(name.at(n).unicode())) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

// What a wildcard asks for, worked out once per listing so that the loop over the folder stays cheap.
struct WildcardPlan {
    bool all = false;      // every name matches
    QByteArray suffix;     // "*<suffix>" with an ASCII suffix: decided on the raw bytes
    QString pattern;       // otherwise: the general match on the decoded name
};

WildcardPlan planFor(const QString& wildcard)
{
    WildcardPlan plan;
    plan.pattern = wildcard;
    if (wildcard == QLatin1String("*") || wildcard == QLatin1String("*.*")) {
        plan.all = true;
        return plan;
    }
    if (wildcard.size() >= 2 && wildcard.at(0) == QLatin1Char('*')) {
        const QStringView rest = QStringView(wildcard).mid(1);
        bool simple = !rest.endsWith(QLatin1Char('.'));
        for (QChar c : rest) {
            if (c == QLatin1Char('*') || c == QLatin1Char('?') || c.unicode() >= 128)
                simple = false;
        }
        if (simple)
            plan.suffix = rest.toLatin1().toUpper();
    }
    return plan;
}

#ifndef Q_OS_WIN
// 1 or 0 when the ASCII tail of `name` decides the "*<suffix>" match, -1 when the name must be decoded.
int suffixMatch(const char* name, size_t length, const QByteArray& suffix)
{
    const size_t n = size_t(suffix.size());
    if (length < n)
        return 0;
    const char* tail = name + (length - n);
    bool ascii = true;
    bool equal = true;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(tail[i]);
        if (c >= 128) {
            ascii = false;
            break;
        }
        if (c >= 'a' && c <= 'z')
            c = static_cast<unsigned char>(c - 32);
        if (c != static_cast<unsigned char>(suffix.at(qsizetype(i))))
            equal = false;
    }
    if (!ascii)
        return -1;
    return equal ? 1 : 0;
}

// A folder's entries that may be ordinary files (no hidden names, no folders or devices), read once:
// their names back to back, each ended by a 0, and where each starts with its type.
struct FolderRead {
    struct Entry {
        quint32 offset;
        quint32 length;
        unsigned char type;
    };
    QByteArray folder; // null when the read is not kept
    QByteArray names;
    std::vector<Entry> entries;
};

int g_snapshots = 0;

FolderRead& keptRead()
{
    static FolderRead read;
    return read;
}

void readFolder(const QByteArray& folder, FolderRead& into)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        raise(ErrPathNotFound, QFile::decodeName(folder));
    into.folder = folder;
    into.names.clear();
    into.entries.clear();
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        const size_t length = std::strlen(entry->d_name);
        into.entries.push_back({quint32(into.names.size()), quint32(length), entry->d_type});
        into.names.append(entry->d_name, qsizetype(length) + 1);
    }
    ::closedir(dir);
}

bool isOrdinaryFile(const FolderRead& read, const FolderRead::Entry& entry)
{
    if (entry.type == DT_REG)
        return true;
    struct stat st;
    const QByteArray path = read.folder + '/' + QByteArray(read.names.constData() + entry.offset);
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}
#endif

struct Listing {
    QStringList names;
    qsizetype next = 0;
    bool active = false;
};

Listing& listing()
{
    static Listing state;
    return state;
}

} // namespace

bool matchesWildcard(const QString& name, const QString& pattern)
{
    const QStringView p(pattern);
    if (p.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.'))
        && plainMatch(name, p.chopped(2)))
        return true;
    if (p.endsWith(QLatin1Char('.')) && !p.endsWith(QLatin1String("..")))
        return !name.contains(QLatin1Char('.')) && plainMatch(name, p.chopped(1));
    return plainMatch(name, p);
}

bool ntfsLess(const QString& a, const QString& b)
{
    const char16_t* pa = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* pb = reinterpret_cast<const char16_t*>(b.constData());
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        const char16_t ua = upper(pa[i]);
        const char16_t ub = upper(pb[i]);
        if (ua != ub)
            return ua < ub;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return QStringView(a).compare(QStringView(b), Qt::CaseSensitive) < 0;
}

QStringList listFolder(const QString& systemFolder, const QString& wildcard)
{
    const WildcardPlan plan = planFor(wildcard);
    QStringList names;

#ifdef Q_OS_WIN
    if (!QFileInfo(systemFolder).isDir())
        raise(ErrPathNotFound, systemFolder);
    QDirIterator it(systemFolder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.startsWith(QLatin1Char('.')))
            continue;
        if (plan.all || matchesWildcard(name, plan.pattern))
            names.append(name);
    }
#else
    const QByteArray folder = QFile::encodeName(systemFolder);
    FolderRead local;
    FolderRead& read = g_snapshots > 0 ? keptRead() : local;
    if (read.folder.isNull() || read.folder != folder)
        readFolder(folder, read);
    for (const FolderRead::Entry& entry : read.entries) {
        const char* raw = read.names.constData() + entry.offset;
        int decided = plan.all ? 1 : -1;
        if (decided < 0 && !plan.suffix.isEmpty())
            decided = suffixMatch(raw, entry.length, plan.suffix);
        if (decided == 0)
            continue;
        QString name = QFile::decodeName(raw);
        if (decided < 0 && !matchesWildcard(name, plan.pattern))
            continue;
        if (!isOrdinaryFile(read, entry))
            continue;
        names.append(std::move(name));
    }
    // The order NTFS keeps names in; on Windows the file system's own order is kept.
    std::sort(names.begin(), names.end(), ntfsLess);
#endif
    return names;
}

FolderSnapshot::FolderSnapshot()
{
#ifndef Q_OS_WIN
    ++g_snapshots;
#endif
}

FolderSnapshot::~FolderSnapshot()
{
#ifndef Q_OS_WIN
    if (--g_snapshots == 0)
        keptRead() = FolderRead();
#endif
}

QString Dir(const QString& pattern, int attributes)
{
    (void)attributes;
    Listing& state = listing();
    state = Listing();

    qsizetype cut = std::max(pattern.lastIndexOf(QLatin1Char('\\')), pattern.lastIndexOf(QLatin1Char('/')));
    if (cut < 0 && pattern.size() >= 2 && pattern.at(1) == QLatin1Char(':'))
        cut = 1; // "C:*.jpg": the drive's root
    const QString folder = cut < 0 ? pattern : pattern.left(cut + 1);
    QString wildcard = cut < 0 ? QString() : pattern.mid(cut + 1);
    if (wildcard.isEmpty())
        wildcard = QStringLiteral("*");

    const QString systemFolder = toSystemPath(folder);
    QStringList names = listFolder(systemFolder, wildcard);
    if (names.isEmpty())
        return {};
    state.names = std::move(names);
    state.next = 1;
    state.active = true;
    return state.names.first();
}

QString Dir()
{
    Listing& state = listing();
    if (!state.active)
        raise(ErrInvalidCall);
    if (state.next >= state.names.size()) {
        state = Listing();
        return {};
    }
    return state.names.at(state.next++);
}

} // namespace platform
