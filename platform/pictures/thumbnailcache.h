#pragma once
// The desktop's shared thumbnail cache of Linux desktops (the freedesktop.org Thumbnail Managing
// Standard), read and written: thumbnails that file managers and image viewers made are shown
// without decoding the picture again, and thumbnails made here are left for them.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

// A file's size and modification time as stat() gives them, taken before a thumbnail is made from
// it. Not valid when the file could not be stat'ed or is not a regular file.
struct FileStamp {
    qint64 mtime = -1; // seconds since the epoch (what the shared cache compares)
    qint64 mtimeNs = 0; // and the nanoseconds within that second
    qint64 size = -1;  // bytes
    bool valid() const { return size >= 0; }
};
FileStamp stampOf(const QString& systemPath);

// The desktop's shared thumbnail cache under one root folder, usually $XDG_CACHE_HOME/thumbnails.
// A disabled cache finds nothing and stores nothing. Every member is safe to call from several
// threads at once; nothing here throws or reports to the user: a cache that fails costs only speed.
class ThumbnailCache {
public:
    // The cache of this user: $XDG_CACHE_HOME/thumbnails, or $HOME/.cache/thumbnails when
    // XDG_CACHE_HOME is unset, empty or not absolute. Disabled on Windows and where HOME is unset
    // or not absolute.
    static ThumbnailCache forUser();
    // A cache under `root` (made absolute and clean); a disabled cache when `root` is empty.
    explicit ThumbnailCache(const QString& root);
    bool enabled() const { return !m_root.isEmpty(); }
    QString root() const { return m_root; }

    // The flavour that covers a cell of `cellPixels` device pixels: the smallest of 128 ("normal"),
    // 256 ("large"), 512 ("x-large") and 1024 ("xx-large") that both sides fit in, else 0 (the cache
    // is not used for that cell, nor for an empty one).
    static int flavourFor(QSize cellPixels);
    // The size a thumbnail of a picture of `pictureSize` has in flavour `flavour`: scaled down,
    // aspect kept and rounded, at least 1 pixel a side, so that the larger side is `flavour`; a
    // picture already no larger keeps its size. An empty size for an empty picture or a flavour of 0.
    static QSize thumbnailSize(QSize pictureSize, int flavour);
    // Whether `systemPath` lies inside the cache's root, by its clean absolute path or, when the
    // root and the file's folder exist, by their paths with links resolved. Such pictures are never
    // read from or written to the cache.
    bool covers(const QString& systemPath) const;

    // How far an entry is trusted: it tells the file it was made from by Thumb::MTime, in whole
    // seconds, and Thumb::Size (where present), and by nothing finer. A file rewritten within the
    // same second to the same size therefore looks unchanged to the cache. Whoever knows better (the
    // thumbnail threads, which remember the nanoseconds of the files they made thumbnails of) does
    // not ask the cache for such a file, and writes its entry again.
    //
    // The cached thumbnail of the file `systemPath` for flavour `flavour`: the first entry, in that
    // flavour's folder and then in each larger flavour's, whose Thumb::URI is the file's URI, whose
    // Thumb::MTime equals stamp.mtime, whose Thumb::Size (where present) equals stamp.size and whose
    // sides fit in its folder's flavour; a null image otherwise (missing, stale, corrupt, foreign,
    // unreadable, covered, invalid stamp, disabled cache). Each place looked in costs one open.
    QImage find(const QString& systemPath, const FileStamp& stamp, int flavour) const;
    // True when this version of this program recorded under fail/ that the file as stamped cannot be
    // read (records of other versions, whose checks differ, are not looked at).
    bool failedBefore(const QString& systemPath, const FileStamp& stamp) const;

    // Writes `thumbnail` (already at thumbnailSize, sides at most `flavour`) for the file as
    // stamped, by the standard's rules: tEXt chunks Thumb::URI, Thumb::MTime, Thumb::Size and
    // Software; the PNG written to a temporary name in the same folder and renamed over the old
    // entry; missing folders made 0700, the file 0600. Returns false on any failure (disabled
    // cache, covered or unstamped file, bad flavour or image, unwritable or missing folder, full
    // disk) and then leaves no temporary file behind.
    bool store(const QString& systemPath, const FileStamp& stamp, int flavour, const QImage& thumbnail) const;
    // Records under fail/<program>-<version>/ that the file as stamped cannot be read: a 1 x 1 PNG
    // with the same keys, written as store() writes. Only for failures that the same bytes give
    // every time (data that cannot be decoded), never for a lack of memory.
    bool storeFailure(const QString& systemPath, const FileStamp& stamp) const;

    // The file's URI as the standard wants it: "file://" and the clean absolute path in the file
    // system's encoding, percent-encoded except for letters, digits and -._~!$&'()*+,=:@/ (as GLib,
    // and so GNOME's file manager, encodes it).
    static QByteArray uriOf(const QString& systemPath);
    // The cache file name of `systemPath`: the lower-case hex MD5 of its URI, then ".png".
    static QString fileNameOf(const QString& systemPath);

    // The folder under fail/ where this version of this program records files it cannot read:
    // "tarnavel-" and the project's version.
    static QString failureFolderName();

private:
    QImage readEntry(const QString& file, const QString& systemPath, const FileStamp& stamp, int maxSide) const;
    bool writeEntry(const QString& folder, const QString& systemPath, const FileStamp& stamp, const QImage& image) const;

    QString m_root; // clean absolute path; empty when disabled
};

} // namespace platform
