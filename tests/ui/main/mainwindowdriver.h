#pragma once

#include <csignal>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include "lookup/phone2geo.h"
#include "scriptedtransport.h"
#include "testcontrols.h"
#include "ui/common/messagebox.h"
#include "ui/main/frmmaps.h"
#include "ui/map/frmmap.h"
#include "util/mapfolder.h"

namespace corvale::test {

// The sample lookup service as run.sh starts it, with its request log in a
// file of its own.
class SampleServiceProcess
{
public:
    explicit SampleServiceProcess(const QStringList &options = {})
    {
        m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("requests.log")));
#ifdef __linux__
        // A test that crashes takes the service with it.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        m_process.start(QStringLiteral(CORVALE_SAMPLE_SERVICE),
                        QStringList{QStringLiteral("--port"), QStringLiteral("0")} + options);
        if (m_process.waitForReadyRead(10000))
            m_base = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~SampleServiceProcess()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    SampleServiceProcess(const SampleServiceProcess &) = delete;
    SampleServiceProcess &operator=(const SampleServiceProcess &) = delete;

    const QString &base() const { return m_base; }

    // Every request so far, as "METHOD /path?query".
    QStringList requests() const
    {
        QFile log(m_dir.filePath(QStringLiteral("requests.log")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_base;
};

// What the main window showed in a message box, and how the window looked
// at that moment.
struct ShownBox
{
    QWidget *parent;
    QString text;
    QString title;
    QString resultBox;
    bool createMapEnabled;
    bool busyCursor;
};

// A map window as it was when its page had loaded.
struct ShownMap
{
    QString title;
    QUrl address;
    bool modal;
    bool createMapEnabled;
    bool busyCursor;
};

// The main window over a real lookup client whose waits do not sleep. Map
// windows close once their page has loaded; message boxes are recorded.
class MainWindowDriver
{
public:
    explicit MainWindowDriver(const QString &base)
        : m_client(base, m_clock, &makeNetworkTransport)
        , m_window(m_client, m_mapFolder)
        , m_previousShower(installMessageShower([this](QWidget *parent, const QString &text, const QString &title) {
            m_boxes.append({parent, text, title, resultText(), button(QStringLiteral("Command1"))->isEnabled(),
                            busyCursor()});
        }))
    {
        QObject::connect(&m_window, &frmMaps::mapWindowOpening, &m_window, [this](frmMap *map) { watch(map); });
    }
    ~MainWindowDriver() { installMessageShower(std::move(m_previousShower)); }
    MainWindowDriver(const MainWindowDriver &) = delete;
    MainWindowDriver &operator=(const MainWindowDriver &) = delete;

    frmMaps &window() { return m_window; }
    MapFolder &mapFolder() { return m_mapFolder; }
    const QList<ShownBox> &boxes() const { return m_boxes; }
    const QList<ShownMap> &maps() const { return m_maps; }

    QLineEdit *box(const QString &name) { return control<QLineEdit>(m_window, name); }
    QPushButton *button(const QString &name) { return control<QPushButton>(m_window, name); }
    QString resultText() { return control<QPlainTextEdit>(m_window, QStringLiteral("txtResult"))->toPlainText(); }

    void fill(const QString &phone, const QStringList &address = {})
    {
        box(QStringLiteral("txtPhone"))->setText(phone);
        const QStringList names{QStringLiteral("txtAddress"), QStringLiteral("txtCity"), QStringLiteral("txtState"),
                                QStringLiteral("txtZip")};
        for (qsizetype i = 0; i < names.size(); ++i)
            box(names.at(i))->setText(address.value(i));
    }

    // "Create Map", returning once everything it opened has been closed.
    void createMap() { button(QStringLiteral("Command1"))->click(); }

    static bool busyCursor()
    {
        return QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
    }

private:
    void watch(frmMap *map)
    {
        auto *browser = map->findChild<QWebEngineView *>(QStringLiteral("wb"));
        QObject::connect(browser, &QWebEngineView::loadFinished, map, [this, map, browser] {
            m_maps.append({map->windowTitle(), browser->url(), QApplication::activeModalWidget() == map,
                           button(QStringLiteral("Command1"))->isEnabled(), busyCursor()});
            map->close();
        });
        // A page that never loads still lets the test go on.
        QTimer::singleShot(20000, map, &QWidget::close);
    }

    FakeLookupClock m_clock;
    LookupClient m_client;
    MapFolder m_mapFolder;
    frmMaps m_window;
    QList<ShownBox> m_boxes;
    QList<ShownMap> m_maps;
    MessageShower m_previousShower;
};

} // namespace corvale::test
