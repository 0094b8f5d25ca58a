#pragma once
// The pictures and folders the benchmark runs on, made at start in temporary folders.

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

namespace bench {

// The memory file system where there is one, else the temporary folder.
QString fastFolderBase();

class BenchFiles {
public:
    // Makes, under `root`: page/ (40 detailed baseline JPEGs of the big size, 4 distinct pictures),
    // mixed/ (12 MP and progressive JPEGs, bitmaps and GIFs, two of each), soak/ (40 smaller JPEGs),
    // huge/huge.jpg; and under `fastRoot`: scan/, a folder of many empty files of mixed kinds.
    // `smoke` makes everything tiny.
    BenchFiles(const QString& root, const QString& fastRoot, bool smoke);

    QSize bigSize() const { return m_big; }
    int bigMegapixels() const { return (m_big.width() * m_big.height() + 500000) / 1000000; }
    int hugeMegapixels() const { return (m_huge.width() * m_huge.height() + 500000) / 1000000; }
    // The names in page/, in order, and their contents (the same order).
    QStringList pageNames() const { return m_pageNames; }
    QList<QByteArray> pageBytes() const { return m_pageBytes; }
    QString mixedDescription() const { return m_mixed; }
    // The scan folder, as a path of the system, and the number of files in it.
    QString scanFolder() const { return m_scanFolder; }
    int scanFileCount() const { return m_scanCount; }

private:
    QSize m_big;
    QSize m_huge;
    QStringList m_pageNames;
    QList<QByteArray> m_pageBytes;
    QString m_mixed;
    QString m_scanFolder;
    int m_scanCount = 0;
};

} // namespace bench
