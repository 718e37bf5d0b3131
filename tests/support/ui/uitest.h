// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDesktopServices>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "fakelookupclock.h"
#include "lookup/lookupclient.h"
#include "lookup/lookuptransport.h"
#include "messagerecorder.h"
#include "ownhome.h"
#include "previewrecorder.h"
#include "scopedenv.h"
#include "scriptedfolderchooser.h"
#include "ui/about/webopener.h"
#include "ui/common/messagebox.h"
#include "ui/main/frmmaps.h"
#include "util/mapfolder.h"

namespace corvale::test {

// A window's control by its object name; the test cannot go on without it.
template<typename T = QWidget>
T *control(const QWidget &window, const QString &name)
{
    auto *found = window.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a program that nobody here wrote (exiftool, poppler's tools) writes to
// its standard output; "failed" when it does not end with 0.
inline QByteArray output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitCode() == 0 ? process.readAllStandardOutput() : "failed";
}

// Writes `text` to a file that only its owner may read and write (and run, when `runnable`).
inline bool writeFile(const QString &path, const QByteArray &text, bool runnable = false)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size()
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                               | (runnable ? QFileDevice::ExeOwner : QFileDevice::Permissions()));
}

// Whether the picture shows red, blue, green and yellow quarters, in reading
// order, at each quarter's centre and outer corner, within what JPEG changes:
// a picture turned, mirrored, shifted or with its channels swapped reads wrong.
inline bool showsQuadrants(const QImage &picture,
                           const QList<QColor> &colours = {Qt::red, Qt::blue, Qt::green, Qt::yellow})
{
    const int w = picture.width() - 1;
    const int h = picture.height() - 1;
    for (int i = 0; i < 8; ++i) {
        const int right = i % 2;
        const int bottom = i / 2 % 2;
        const QColor seen = picture.pixelColor(i < 4 ? QPoint((1 + 2 * right) * w / 4, (1 + 2 * bottom) * h / 4)
                                                     : QPoint(right * w, bottom * h));
        const QColor &expected = colours.at(i % 4);
        if (qAbs(seen.red() - expected.red()) + qAbs(seen.green() - expected.green())
                + qAbs(seen.blue() - expected.blue())
            > 30)
            return false;
    }
    return !picture.isNull();
}

// Stands in for the desktop's handler of a URL scheme while it lives: web
// addresses go to Qt's handlers, which fail when none is set.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit UrlRecorder(QString scheme)
        : m_scheme(std::move(scheme))
        , m_previous(installWebOpener([](QWidget *, const QUrl &address, const std::function<void()> &failed) {
            if (!QDesktopServices::openUrl(address))
                failed();
        }))
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "open");
    }
    ~UrlRecorder() override
    {
        QDesktopServices::unsetUrlHandler(m_scheme);
        installWebOpener(std::move(m_previous));
    }

    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }

private:
    QString m_scheme;
    WebOpener m_previous;
};

// What a message box said, and whether the main window was ready for the
// next press (its buttons enabled, no busy cursor) when it showed.
struct ShownBox
{
    QWidget *parent;
    QString text;
    QString title;
    QString result;
    bool ready;
};

// The main window over a real lookup client whose waits do not sleep;
// message boxes are recorded instead of shown. `runFolder`: the map folder
// the run already holds when the window loads; `addresses`: the address service.
class MainWindow
{
public:
    explicit MainWindow(const QString &base, const QString &runFolder = {}, const AddressService &addresses = {})
        : m_client(base, m_clock, &makeNetworkTransport, addresses)
        , m_window(m_client, holding(runFolder))
        , m_previous(installMessageShower([this](QWidget *parent, const QString &text, const QString &title) {
            m_boxes.append({parent, text, title, result(), ready()});
        }))
    { }
    ~MainWindow() { installMessageShower(std::move(m_previous)); }

    frmMaps &window() { return m_window; }
    MapFolder &mapFolder() { return m_folder; }
    const QList<ShownBox> &boxes() const { return m_boxes; }
    QLineEdit *box(const QString &name) { return control<QLineEdit>(m_window, name); }
    QPushButton *button(const QString &name) { return control<QPushButton>(m_window, name); }
    QString result() { return control<QPlainTextEdit>(m_window, QStringLiteral("txtResult"))->toPlainText(); }
    // Which of "Create Map", "Print Map", "About" and ".." are enabled, as 1s and 0s.
    QString buttons()
    {
        QString enabled;
        for (const char *name : {"Command1", "Command2", "Command3", "cmdMapPath"})
            enabled += button(QLatin1String(name))->isEnabled() ? u'1' : u'0';
        return enabled;
    }
    bool ready() { return buttons() == QStringLiteral("1111") && !QGuiApplication::overrideCursor(); }

    // Phone, street, city, state, postal code.
    void fill(const QStringList &typed)
    {
        int i = 0;
        for (const char *name : {"txtPhone", "txtAddress", "txtCity", "txtState", "txtZip"})
            box(QLatin1String(name))->setText(typed.value(i++));
    }
    // "Create Map"; returns once everything it opened has closed.
    void createMap() { button(QStringLiteral("Command1"))->click(); }

private:
    MapFolder &holding(const QString &runFolder)
    {
        m_folder.setPath(runFolder);
        return m_folder;
    }

    FakeLookupClock m_clock;
    LookupClient m_client;
    MapFolder m_folder;
    frmMaps m_window;
    QList<ShownBox> m_boxes;
    MessageShower m_previous;
};

} // namespace corvale::test
