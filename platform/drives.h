#pragma once
// Drive letters over the system's file system, and the translation of the forms' Windows-style paths.
// On Windows the drives are the real ones. Elsewhere "C:" is the user's home folder (the root of the
// file system when the home folder does not exist or cannot be listed), "Z:" the root of
// the file system, and volumes mounted under /media, /run/media and /mnt take D:, E:, ... in the order
// of their mount points.

#include <QList>
#include <QStringList>
#include <QString>
#include <optional>

namespace platform {

struct DriveInfo {
    QChar letter;  // upper case, 'A' to 'Z'
    QString root;  // the system's path of the drive's root folder
    QString label; // shown in brackets after the letter in a drive list; may be empty
};

// The drive table, in letter order: the table setDriveTable set; else, inside a DriveTableScope, the
// system's table as the scope first read it; else the system's table read now (on Linux the kernel's
// mount table is read again only after a mount or an unmount, and no volume is statfs'd).
QList<DriveInfo> drives();
// Replaces the drive table (tests: a temporary folder as "C:", a missing folder to provoke error 68).
void setDriveTable(const QList<DriveInfo>& table);
// Goes back to the system's own drives, read afresh.
void resetDriveTable();
std::optional<DriveInfo> driveOf(QChar letter);
// True when the drive is in the table and its root folder can be listed.
bool driveAvailable(QChar letter);

// While the outermost scope lives (scopes nest), drives() on this thread reads the system's drive
// table at most once: at its first use in the scope, and gives that table until the scope ends. A
// command that translates many paths (a folder build, a rebuild, a page's thumbnail jobs) takes
// one around it. A drive that vanishes inside the scope still fails when its files are opened.
// Made and used on one thread.
class DriveTableScope {
public:
    DriveTableScope();
    ~DriveTableScope();
    DriveTableScope(const DriveTableScope&) = delete;
    DriveTableScope& operator=(const DriveTableScope&) = delete;
};
// How many times the process has read the system's drive table (any thread; a table set by
// setDriveTable is no read), for tests and measurements.
int driveTableReads();

// "C:\Pictures\2024" -> "<home>/Pictures/2024". Letters are case-insensitive; doubled backslashes
// (as "C:\\a.jpg", which joining a root folder and a name gives) name the same file. A path whose drive
// is not in the table, or not available, raises error 68; a text that is not a drive path raises 76.
// Reads the drive table once.
QString toSystemPath(const QString& windowsPath);
// The folder names of a Windows-style path after its "X:": empty parts (doubled separators) and "."
// name nothing, ".." goes up but never above the drive's root; '/' separates as '\\' does.
QStringList pathParts(const QString& windowsPath);
// The Windows-style path of a system path, on the drive whose root is its longest prefix; an empty
// string when no drive holds it. A drive's root ends in a backslash ("C:\"), no other folder does.
QString toWindowsPath(const QString& systemPath);

} // namespace platform
