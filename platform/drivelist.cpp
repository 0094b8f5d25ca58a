#include "platform/drivelist.h"

#include "platform/drives.h"
#include "platform/errors.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace platform {

namespace {

QString itemText(const DriveInfo& drive)
{
    QString text = QString(drive.letter.toLower()) + QLatin1Char(':');
    if (!drive.label.isEmpty())
        text += QStringLiteral(" [%1]").arg(drive.label);
    return text;
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent, const QString& name)
    : Control(new QComboBox(parent), name), m_combo(static_cast<QComboBox*>(widget()))
{
    m_combo->setEditable(false);
    refreshDrives();
    // Only the user's picks arrive here: every change by code happens with the signals blocked.
    QObject::connect(m_combo, &QComboBox::currentIndexChanged, m_combo, [this](int) { postEvent(m_change); });
}

QString DriveListBox::Drive() const
{
    return m_combo->currentText();
}

void DriveListBox::setDrive(const QString& text)
{
    if (text.isEmpty())
        raise(ErrDeviceUnavailable, text);
    if (text.size() >= 2 && text.at(1) != QLatin1Char(':'))
        raise(ErrDeviceUnavailable, text);
    const int index = indexOfLetter(text.at(0).toUpper());
    if (index < 0)
        raise(ErrDeviceUnavailable, text);
    if (index == m_combo->currentIndex())
        return;
    {
        const QSignalBlocker blocker(m_combo);
        m_combo->setCurrentIndex(index);
    }
    if (m_change)
        m_change();
}

void DriveListBox::setChangeHandler(std::function<void()> handler)
{
    m_change = std::move(handler);
}

void DriveListBox::refreshDrives()
{
    const QChar shown = m_combo->currentIndex() >= 0
                            ? m_combo->currentData().toChar()
                            : QChar(QLatin1Char('C'));
    const QSignalBlocker blocker(m_combo);
    m_combo->clear();
    const QList<DriveInfo> table = drives();
    for (const DriveInfo& drive : table)
        m_combo->addItem(itemText(drive), QVariant::fromValue(drive.letter));
    int index = indexOfLetter(shown);
    if (index < 0)
        index = indexOfLetter(QLatin1Char('C'));
    if (index < 0 && m_combo->count() > 0)
        index = 0;
    m_combo->setCurrentIndex(index);
}

int DriveListBox::indexOfLetter(QChar letter) const
{
    for (int i = 0; i < m_combo->count(); ++i) {
        if (m_combo->itemData(i).toChar() == letter)
            return i;
    }
    return -1;
}

} // namespace platform
