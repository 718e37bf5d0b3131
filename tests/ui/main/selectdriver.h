#pragma once

#include <functional>
#include <optional>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "testcontrols.h"
#include "ui/main/frmselect.h"
#include "ui/main/printmap.h"

// Drives the saved-map chooser and stands in for the printing program.
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

// Runs `act` on the chooser once its modal loop is running.
inline void whenChooserOpens(const std::function<void(frmSelect &)> &act)
{
    QTimer::singleShot(0, qApp, [act] {
        auto *chooser = qobject_cast<frmSelect *>(QApplication::activeModalWidget());
        QVERIFY(chooser);
        act(*chooser);
    });
}

inline void pickAndEnd(const QString &name, Ending ending)
{
    whenChooserOpens([name, ending](frmSelect &chooser) {
        if (!name.isEmpty())
            clickName(chooser, name);
        endChooser(chooser, ending);
    });
}

// A printing program that leaves one file "started.<pid>" beside itself per
// start: the number of arguments, then each argument on a line. Builtins only,
// so it runs with any PATH.
inline const QByteArray kRecordingPrinter = "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"${0%/*}/started.$$\"\n";

// Sets or clears CORVALE_PRINT_PROGRAM while it lives.
class PrintProgramSetting
{
public:
    explicit PrintProgramSetting(const std::optional<QString> &value)
        : m_saved(qEnvironmentVariableIsSet(kPrintProgramVariable.data())
                      ? std::optional<QByteArray>(qgetenv(kPrintProgramVariable.data()))
                      : std::nullopt)
    {
        apply(value ? std::optional<QByteArray>(QFile::encodeName(*value)) : std::nullopt);
    }
    ~PrintProgramSetting() { apply(m_saved); }
    PrintProgramSetting(const PrintProgramSetting &) = delete;
    PrintProgramSetting &operator=(const PrintProgramSetting &) = delete;

private:
    static void apply(const std::optional<QByteArray> &value)
    {
        if (value)
            qputenv(kPrintProgramVariable.data(), *value);
        else
            qunsetenv(kPrintProgramVariable.data());
    }

    std::optional<QByteArray> m_saved;
};

// Each start the recording printer left in `folder`, as its argument lines.
// A record still being written (fewer lines than its count says) is left
// out until it is whole.
inline QList<QStringList> recordedStarts(const QString &folder)
{
    QList<QStringList> found;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("started.*")}, QDir::Files, QDir::Name)) {
        QFile record(dir.filePath(name));
        if (!record.open(QIODevice::ReadOnly))
            continue;
        const QStringList lines = QString::fromUtf8(record.readAll()).split(u'\n', Qt::SkipEmptyParts);
        if (!lines.isEmpty() && lines.size() == lines.first().toInt() + 1)
            found.append(lines);
    }
    return found;
}

} // namespace corvale

Q_DECLARE_METATYPE(corvale::Ending)
