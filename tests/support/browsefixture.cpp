#include "support/browsefixture.h"

#include "app/mdlselect.h"
#include "platform/drives.h"
#include "platform/runtime.h"
#include "support/picturefiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace testsupport {

QColor pictureColour(int n)
{
    return QColor::fromHsv((n * 47) % 360, 120 + (n * 13) % 136, 100 + (n * 29) % 156);
}

BrowseFixture::BrowseFixture()
{
    platform::setDriveTable({{QChar('C'), m_dir.path(), QStringLiteral("test")}});
}

BrowseFixture::~BrowseFixture() { platform::resetDriveTable(); }

QString BrowseFixture::makeFolder(const QString& name)
{
    QDir(m_dir.path()).mkpath(name);
    return QStringLiteral("C:\\") + QString(name).replace('/', '\\');
}

QString BrowseFixture::makeBmpFolder(const QString& name, int count)
{
    const QString folder = makeFolder(name);
    for (int n = 0; n < count; ++n)
        writeBytes(folder, QStringLiteral("p%1.bmp").arg(n, 3, 10, QChar('0')), bmpBytes(16, 12, pictureColour(n)));
    return folder;
}

void BrowseFixture::writeBytes(const QString& folder, const QString& file, const QByteArray& bytes)
{
    writeFile(platform::toSystemPath(folder) + '/' + file, bytes);
}

QString fastTempBase()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

FrmSelect* startMainWindow()
{
    MdlSelect::Main();
    FrmSelect* window = FrmSelect::Existing();
    if (window)
        (void)QTest::qWaitForWindowExposed(window);
    return window;
}

FrmSelect* startGridWindow()
{
    FrmSelect* window = startMainWindow();
    if (window)
        setInnerSize(window, 7755, 4830);
    return window;
}

int nestedPageSplit(FrmSelect* window, int outer, int nested)
{
    const int size = window->PageSize;
    const auto shows = [&](int slot, int page) {
        const int n = page * size + slot;
        return slotShows(window, slot, n, QStringLiteral("p%1.bmp").arg(n, 3, 10, QChar('0')));
    };
    int split = 0;
    while (split < size && shows(split, nested))
        ++split;
    for (int i = split; i < size; ++i)
        if (!shows(i, outer))
            return -1;
    return split;
}

void closeMainWindow()
{
    QPointer<FrmSelect> window = FrmSelect::Existing();
    if (window)
        window->Unload();
    QTRY_VERIFY(window.isNull());
}

void setInnerSize(FrmSelect* window, float scaleWidth, float scaleHeight)
{
    window->setWidth(scaleWidth + window->Width() - window->ScaleWidth());
    window->setHeight(scaleHeight + window->Height() - window->ScaleHeight());
}

bool slotShows(FrmSelect* window, int slot, int n, const QString& name)
{
    if (!window->Img_Photo.exists(slot))
        return false;
    const platform::Image& img = window->Img_Photo[slot];
    const QImage& image = img.pictureImage();
    if (image.isNull() || !img.Visible() || window->Lbl_Photo[slot].Caption() != name)
        return false;
    const QColor seen = image.pixelColor(image.width() / 2, image.height() / 2);
    const QColor want = pictureColour(n);
    return qAbs(seen.red() - want.red()) <= 2 && qAbs(seen.green() - want.green()) <= 2 &&
           qAbs(seen.blue() - want.blue()) <= 2;
}

void browse(FrmSelect* window, const QString& folder)
{
    MdlSelect::PhotoFolder = folder;
    window->PageReady = 0;
    window->FraPhoto.setVisible(false);
    window->ListPhotos();
    window->VScroll.setValue(0);
    window->ShowPage(window->VScroll.Value());
    window->ArrangePhotos();
    window->FraPhoto.setVisible(true);
    window->PageReady = -1;
}

} // namespace testsupport
