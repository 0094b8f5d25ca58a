#pragma once
// Listing the ordinary files of a folder the way the forms' Dir function does: Windows-style
// wildcards matched without regard to case, names handed out one at a time in the order of the
// file system on Windows (NTFS keeps its names in NTFS order), in NTFS order elsewhere.

#include <QString>
#include <QStringList>

namespace platform {

// True when `name` matches the Windows-style wildcard `pattern`: '*' stands for any run of characters
// (none included), '?' for exactly one; other characters match without regard to case (each UTF-16
// unit compared upper-cased). As on Windows, a pattern ending in ".*" also matches a name without a
// dot ("*.*" matches every name) and a pattern ending in a single "." matches only names without one.
// Runs in time proportional to the product of the lengths at worst.
bool matchesWildcard(const QString& name, const QString& pattern);

// NTFS order: the names compared unit by unit upper-cased, then (for names that differ only in case)
// as they are. Sorts "aab AAC a[1] a^ a_b" in that order.
bool ntfsLess(const QString& a, const QString& b);

// The names (no folder part) of the ordinary files in the system folder `systemFolder` that match
// `wildcard`: on Windows in the order the file system gives, elsewhere in NTFS order. Ordinary
// files: no folders, no hidden files (a name starting with '.'), a symbolic link only when it leads to
// an ordinary file. Raises error 76 when the folder cannot be opened.
QStringList listFolder(const QString& systemFolder, const QString& wildcard);

// While a snapshot lives (snapshots nest), the listings of one folder (listFolder, Dir) read it from
// the system once and see its names as that first read found them; a listing of another folder reads
// that one instead. Scans that list the same folder several times in a row (once for each kind of
// picture) take one snapshot around them. Made and used on one thread.
class FolderSnapshot {
public:
    FolderSnapshot();
    ~FolderSnapshot();
    FolderSnapshot(const FolderSnapshot&) = delete;
    FolderSnapshot& operator=(const FolderSnapshot&) = delete;
};

// Starts a listing: `pattern` is a Windows-style folder, a backslash and a wildcard name
// ("C:\Pictures\*.jpg"; "C:\\*.bmp" at a drive's root works too; nothing after the last backslash
// lists every file). Returns the first matching file's name, or "" when none matches. Raises error 68
// for a drive that is not in the table or not available, 76 for a folder that does not exist.
// `attributes` is accepted and ignored: only ordinary files are ever listed.
QString Dir(const QString& pattern, int attributes = 0);
// The next name of the listing the last Dir(pattern) started, "" after the last one. Raises error 5
// when no listing has been started, or when the listing's "" has already been returned.
QString Dir();

} // namespace platform
