#include "platform/dirlist.h"

#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/filelist.h"

#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QListWidget>
#include <QShortcut>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

namespace platform {

namespace {

constexpr int kIndentStep = 12; // pixels per level

// Draws each entry of the folder list shifted right by its level.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indentOf(index), 0);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->rect.setLeft(option->rect.left() + indentOf(index));
    }

private:
    static int indentOf(const QModelIndex& index)
    {
        return index.data(DirListBox::LevelRole).toInt() * kIndentStep;
    }
};

bool isDriveOnly(const QString& text)
{
    return text.size() >= 2 && text.at(1) == QLatin1Char(':')
           && (text.size() == 2 || text.at(2) == QLatin1Char(' '));
}

} // namespace

DirListBox::DirListBox(QWidget* parent, const QString& name)
    : Control(new QListWidget(parent), name), m_list(static_cast<QListWidget*>(widget()))
{
    m_list->setItemDelegate(new IndentDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(m_list, &QListWidget::itemDoubleClicked, m_list,
                     [this](QListWidgetItem* item) { openEntry(item); });
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, m_list);
        shortcut->setContext(Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, m_list,
                         [this] { openEntry(m_list->currentItem()); });
    }
}

QString DirListBox::Path() const
{
    return m_path;
}

QString DirListBox::canonicalPath(const QString& path)
{
    if (path.size() < 2 || path.at(1) != QLatin1Char(':') || path.at(0).unicode() >= 128
        || !path.at(0).isLetter())
        raise(ErrPathNotFound, path);
    const QString drive = QString(path.at(0).toUpper()) + QLatin1Char(':');
    if (isDriveOnly(path))
        return drive + QLatin1Char('\\');

    const QStringList parts = pathParts(path);
    return drive + QLatin1Char('\\') + parts.join(QLatin1Char('\\'));
}

void DirListBox::setPath(const QString& path)
{
    const QString wanted = canonicalPath(path);
    if (!m_path.isEmpty() && wanted.compare(m_path, Qt::CaseInsensitive) == 0)
        return;
    const QString systemFolder = toSystemPath(wanted);
    if (!QFileInfo(systemFolder).isDir())
        raise(ErrPathNotFound, path);
    m_path = wanted;
    rebuild(systemFolder);
    if (m_change)
        m_change();
}

void DirListBox::setChangeHandler(std::function<void()> handler)
{
    m_change = std::move(handler);
}

void DirListBox::setOpenFailedHandler(std::function<void(const QString&, const RuntimeError&)> handler)
{
    m_openFailed = std::move(handler);
}

void DirListBox::rebuild(const QString& systemFolder)
{
    QStyle* style = m_list->style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon, nullptr, m_list);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon, nullptr, m_list);

    m_list->clear();
    // m_path is canonical: "X:\" then the parts, single backslashes, none at the end.
    const QString root = m_path.left(3);
    const QStringList parts = m_path.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts);

    auto add = [this](const QIcon& icon, const QString& text, const QString& full, int level) {
        auto* item = new QListWidgetItem(icon, text, m_list);
        item->setData(PathRole, full);
        item->setData(LevelRole, level);
        return item;
    };

    QListWidgetItem* current = add(open, root, root, 0);
    QString full = root.left(2);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        full += QLatin1Char('\\') + parts.at(i);
        current = add(open, parts.at(i), full, int(i) + 1);
    }

    QStringList subfolders = QDir(systemFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(subfolders.begin(), subfolders.end(), ntfsLess);
    const QString prefix = m_path.endsWith(QLatin1Char('\\')) ? m_path : m_path + QLatin1Char('\\');
    const int level = int(parts.size()) + 1;
    for (const QString& name : subfolders) {
        if (!name.startsWith(QLatin1Char('.')))
            add(closed, name, prefix + name, level);
    }

    m_list->setCurrentItem(current);
    m_list->scrollToItem(current);
}

void DirListBox::openEntry(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString target = item->data(PathRole).toString();
    if (target.compare(m_path, Qt::CaseInsensitive) == 0)
        return;
    try {
        const QString systemFolder = toSystemPath(target);
        if (!QFileInfo(systemFolder).isDir())
            raise(ErrPathNotFound, target);
        m_path = target;
        rebuild(systemFolder);
    } catch (const RuntimeError& error) {
        if (moveNearest(target))
            postEvent(m_change);
        if (m_openFailed)
            postEvent([handler = m_openFailed, target, error] { handler(target, error); });
        else
            postEvent([error] { throw error; });
        return;
    }
    postEvent(m_change);
}

bool DirListBox::moveNearest(const QString& path)
{
    QStringList parts = pathParts(path);
    while (!parts.isEmpty()) {
        parts.removeLast();
        const QString candidate = path.left(2) + QLatin1Char('\\') + parts.join(QLatin1Char('\\'));
        QString systemFolder;
        try {
            systemFolder = toSystemPath(candidate);
        } catch (const RuntimeError&) {
            return false; // the drive itself is gone
        }
        if (!QFileInfo(systemFolder).isDir())
            continue;
        const bool moved = candidate.compare(m_path, Qt::CaseInsensitive) != 0;
        m_path = candidate;
        rebuild(systemFolder);
        return moved;
    }
    return false;
}

} // namespace platform
