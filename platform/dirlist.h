#pragma once
// The folder list control: the current folder's ancestors from its drive's root down, the current
// folder open and selected, then its subfolders, each level indented one step further.

#include "platform/control.h"
#include "platform/errors.h"

#include <QString>
#include <functional>

class QListWidget;
class QListWidgetItem;

namespace platform {

class DirListBox : public Control {
public:
    // Item data roles of the entries: the entry's full Windows-style path, and its indent level
    // (0 for the drive's root).
    static constexpr int PathRole = Qt::UserRole;
    static constexpr int LevelRole = Qt::UserRole + 1;

    // An empty list under `parent`; its Path is "" until setPath.
    DirListBox(QWidget* parent, const QString& name);

    // The current folder, Windows-style ("C:\Pictures\2024"); a drive's root ends in a backslash
    // ("C:\"), no other folder does. "" before the first setPath.
    QString Path() const;
    // Makes `path` the current folder: a full path ("C:\Pictures", "c:\") or a drive as a drive list
    // gives it ("c: [ホーム]", "C:") meaning that drive's root. Raises error 68 when the drive is not
    // in the table or not available, 76 when the text is not a drive path or the folder does not
    // exist; Path is then unchanged. A path equal to the current one (letter case aside) changes
    // nothing and raises nothing; any other rebuilds the list and raises the change event at once (the
    // handler is called directly and what it throws reaches the caller).
    void setPath(const QString& path);

    // The change event: raised by setPath, and (through the runtime's queue) when the user opens an
    // entry by double-clicking it or pressing Enter on it.
    void setChangeHandler(std::function<void()> handler);
    // The open-failed event, raised through the runtime's queue when an entry the user opens has gone
    // away (76) or its drive has (68): it gets the entry's path and the error. Before it, the list has
    // moved to the nearest folder above the entry that still exists (raising the change event when
    // that is not the current folder, and listing the current one again when it is); when nothing of
    // the drive is left, the list stays as it was. Without a handler the error is raised through the
    // queue, where nothing catches it.
    void setOpenFailedHandler(std::function<void(const QString& path, const RuntimeError& error)> handler);

private:
    // The shown path made canonical: upper-case letter, single backslashes, "." and ".." resolved.
    static QString canonicalPath(const QString& path);
    void rebuild(const QString& systemFolder);
    void openEntry(QListWidgetItem* item);
    // Moves the list to the nearest existing folder above `path` on its drive; true when it moved to
    // another folder than the current one.
    bool moveNearest(const QString& path);

    QListWidget* m_list;
    QString m_path;
    std::function<void()> m_change;
    std::function<void(const QString&, const RuntimeError&)> m_openFailed;
};

} // namespace platform
