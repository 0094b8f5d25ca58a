#include "support/browsefixture.h"

#include "app/mdlselect.h"
#include "folder/frmfolder.h"
#include "platform/drives.h"
#include "support/picturefiles.h"

#include <QAbstractButton>
#include <QDir>

namespace testsupport {

QColor pictureColour(int n) { return QColor::fromHsv((n * 47) % 360, 120 + (n * 13) % 136, 100 + (n * 29) % 156); }

BrowseFixture::BrowseFixture() { platform::setDriveTable({{QChar('C'), m_dir.path(), QStringLiteral("test")}}); }

BrowseFixture::~BrowseFixture() { platform::resetDriveTable(); }

QString BrowseFixture::makeFolder(const QString& name) { return QDir(m_dir.path()).mkpath(name), QStringLiteral("C:\\") + QString(name).replace('/', '\\'); }

QString BrowseFixture::makeBmpFolder(const QString& name, int count, QSize size)
{
    const QString folder = makeFolder(name);
    for (int n = 0; n < count; ++n)
        writeBytes(folder, QStringLiteral("p%1.bmp").arg(n, 3, 10, QChar('0')), bmpBytes(size.width(), size.height(), pictureColour(n)));
    return folder;
}

void BrowseFixture::writeBytes(const QString& folder, const QString& file, const QByteArray& bytes) { writeFile(platform::toSystemPath(folder) + '/' + file, bytes); }

FrmSelect* startMainWindow(bool grid)
{
    MdlSelect::Main();
    FrmSelect* window = FrmSelect::Existing();
    if (window && QTest::qWaitForWindowExposed(window) && grid)
        setInnerSize(window, 7755, 4830);
    return window;
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

bool slotShows(FrmSelect* window, int slot, int n, QString name)
{
    if (!window->Img_Photo.exists(slot))
        return false;
    const QImage& image = window->Img_Photo[slot].pictureImage();
    const QString caption = name.isEmpty() ? QStringLiteral("p%1.bmp").arg(n, 3, 10, QChar('0')) : name;
    return !image.isNull() && window->Img_Photo[slot].Visible() && window->Lbl_Photo[slot].Caption() == caption &&
           near(image.pixelColor(image.width() / 2, image.height() / 2), pictureColour(n), 2);
}

bool runFolderCommand(FrmSelect* window, const std::function<void(FrmFolder*)>& answer)
{
    const QPointer<FrmSelect> self(window);
    auto answered = std::make_shared<bool>(false); // outlives this call if the wait gives up
    whenModal([](QWidget* w) { return w == FrmFolder::Existing(); }, [answered, answer](QWidget*) {
        *answered = true;
        answer(FrmFolder::Existing());
    });
    window->MnuFolder.action()->trigger();
    // The command runs whole inside these waits: the folder window's own loop, then the build.
    return QTest::qWaitFor([&] { return *answered; }, 10000) &&
           QTest::qWaitFor([&] { return !FrmFolder::Existing() && (!self || !self->Loaded() || self->PageReady == -1); }, 40000);
}

void browse(FrmSelect* window, const QString& folder)
{
    auto error = std::make_shared<int>(0);
    const bool ended = runFolderCommand(window, [error, folder](FrmFolder* f) {
        *error = errorOf([&] { f->Dir1.setPath(folder); });
        static_cast<QAbstractButton*>((*error ? f->Com_Cancel : f->Com_Ok).widget())->click();
    });
    QVERIFY2(ended && *error == 0, qPrintable(QStringLiteral("the folder command did not show %1 (error %2)").arg(folder).arg(*error)));
}

} // namespace testsupport
