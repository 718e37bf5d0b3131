#pragma once

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "testcontrols.h"
#include "ui/main/frmselect.h"

namespace corvale {

// Clicks a name in the chooser's list the way a user would.
inline void clickName(const frmSelect &window, const QString &name)
{
    auto *list = test::control<QListWidget>(window, QStringLiteral("File1"));
    const QList<QListWidgetItem *> items = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.constFirst()).center());
}

inline bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

// A folder with maps, a file of another kind, a hidden file and a subfolder.
class MapFolderOnDisk
{
public:
    MapFolderOnDisk()
    {
        const QDir dir(m_dir.path());
        m_ready = m_dir.isValid();
        for (const char *name : {"5551234567.jpg", "12_Main_StSpringfield.jpg", "notes.txt", "Beacon map.bmp",
                                 ".hidden.jpg"})
            m_ready = m_ready && touch(dir.filePath(QLatin1String(name)));
        m_ready = m_ready && dir.mkdir(QStringLiteral("older maps"));
    }

    bool isReady() const { return m_ready; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_ready = false;
};

// How a test closes the chooser.
enum class Ending { Ok, Cancel, CloseBox, Escape };

inline void endChooser(frmSelect &window, Ending ending)
{
    switch (ending) {
    case Ending::Ok:
        QTest::mouseClick(test::control(window, QStringLiteral("Command1")), Qt::LeftButton);
        break;
    case Ending::Cancel:
        QTest::mouseClick(test::control(window, QStringLiteral("Command2")), Qt::LeftButton);
        break;
    case Ending::CloseBox:
        window.close();
        break;
    case Ending::Escape:
        QTest::keyClick(&window, Qt::Key_Escape);
        break;
    }
}

} // namespace corvale

Q_DECLARE_METATYPE(corvale::Ending)
