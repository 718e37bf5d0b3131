// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWebEngineView>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "benchsupport.h"
#include "imageconv/imageconv.h"
#include "messagerecorder.h"
#include "ui/common/messagebox.h"
#include "ui/map/frmmap.h"
#include "ui/map/mapsave.h"
#include "ui/map/screencapture.h"
#include "util/general.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr QSize kPanelSize(1920, 1080);
// The page's bottom-right corner, drawn last: once it shows, the page is drawn.
const QColor kCorner(0x10, 0x20, 0x30);

// A page with a map's mix of flat land, blocks, roads and labels.
QString mapLikePage()
{
    QString page = u"<html><body style='margin:0;overflow:hidden;background:#e8e4d8;font:12px sans-serif'>"_s;
    for (int i = 0; i < 80; ++i) {
        page +=
            u"<div style='position:absolute;left:%1px;top:%2px;width:%3px;height:%4px;"
            "background:hsl(%5,45%,78%)'>Block %6</div>"_s.arg((i * 397) % 1800)
                .arg((i * 211) % 1000)
                .arg(60 + (i * 37) % 240)
                .arg(40 + (i * 53) % 160)
                .arg((i * 47) % 360)
                .arg(i);
    }
    for (int i = 0; i < 40; ++i) {
        page += u"<div style='position:absolute;left:0;top:%1px;width:1920px;height:%2px;background:#fff'></div>"_s
                    .arg((i * 131) % 1080)
                    .arg(3 + i % 6);
    }
    return page
        + u"<div style='position:absolute;right:0;bottom:0;width:8px;height:8px;background:#102030'></div>"
          "</body></html>"_s;
}

// A map panel of 1920 x 1080 with the page drawn in it.
class MapPanel
{
public:
    MapPanel()
        : m_panel(new QWidget(&m_window))
        , m_browser(new QWebEngineView(m_panel))
    {
        m_window.resize(kPanelSize + QSize(0, 60));
        m_panel->setGeometry(QRect(QPoint(0, 0), kPanelSize));
        m_browser->setGeometry(m_panel->rect());
        QEventLoop loop;
        QObject::connect(m_browser, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
        m_browser->setHtml(mapLikePage());
        m_window.show();
        loop.exec();
        // The page is drawn a moment after it has loaded.
        for (int tries = 0; tries < 200 && !isDrawn(); ++tries) {
            QTimer::singleShot(25, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }

    QWidget *window() { return &m_window; }
    QWidget *panel() const { return m_panel; }
    bool isDrawn() const
    {
        return GrabClientArea(m_panel).pixelColor(kPanelSize.width() - 1, kPanelSize.height() - 1) == kCorner;
    }

private:
    QWidget m_window;
    QWidget *m_panel;
    QWebEngineView *m_browser;
};

// Made in main, after the application and before the benchmarks run, and
// gone before the application: the web engine must not outlive it.
MapPanel *g_mapPanel = nullptr;

MapPanel &mapPanel()
{
    return *g_mapPanel;
}

bool checkPanel(benchmark::State &state)
{
    if (mapPanel().isDrawn())
        return true;
    state.SkipWithError("the map page was not drawn");
    return false;
}

void BM_Capture(benchmark::State &state)
{
    if (!checkPanel(state))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(GrabClientArea(mapPanel().panel()));
}
BENCHMARK(BM_Capture)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BitmapWrite(benchmark::State &state)
{
    if (!checkPanel(state))
        return;
    const MapFiles folder;
    const QImage picture = GrabClientArea(mapPanel().panel());
    for (auto _ : state)
        picture.save(folder.bitmap(), "BMP");
}
BENCHMARK(BM_BitmapWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Conversion(benchmark::State &state)
{
    if (!checkPanel(state))
        return;
    const MapFiles folder;
    GrabClientArea(mapPanel().panel()).save(folder.bitmap(), "BMP");
    for (auto _ : state)
        ConvertImageToJpeg(folder.bitmap(), folder.jpeg());
}
BENCHMARK(BM_Conversion)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Delete(benchmark::State &state)
{
    if (!checkPanel(state))
        return;
    const MapFiles folder;
    const QImage picture = GrabClientArea(mapPanel().panel());
    for (auto _ : state) {
        state.PauseTiming();
        picture.save(folder.bitmap(), "BMP");
        state.ResumeTiming();
        QFile::remove(folder.bitmap());
    }
}
BENCHMARK(BM_Delete)->Unit(benchmark::kMillisecond)->UseRealTime();

// What "Capture" does from the press to its message.
void BM_WholeSave(benchmark::State &state)
{
    if (!checkPanel(state))
        return;
    const MapFiles folder;
    MapFolder mapFolder;
    mapFolder.setPath(AddBackslash(folder.path()));
    const test::MessageRecorder messages;
    const MapQuerySource query = [] {
        return MapQuery{u"3125550142"_s,
                        {},
                        {},
                        u"Lakeshore Lantern Works\n410 W Marlow Ave\nChicago, IL 60601-1234\n(312) 555-0142\n"
                        "Latitude: 41.8853, Longitude: -87.6298"_s,
                        u"41.8853"_s,
                        u"-87.6298"_s};
    };
    for (auto _ : state) {
        if (!saveCapturedMap(mapPanel().window(), mapPanel().panel(), mapFolder, query)) {
            state.SkipWithError("the save failed");
            break;
        }
    }
}
BENCHMARK(BM_WholeSave)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

void runBenchmarks()
{
    MapPanel panel;
    g_mapPanel = &panel;
    benchmark::RunSpecifiedBenchmarks();
    g_mapPanel = nullptr;
}

} // namespace corvale

int main(int argc, char **argv)
{
    corvale::drawOffscreenUnlessTold();
#ifdef Q_OS_UNIX
    // The web engine's sandbox will not start as root.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    corvale::runBenchmarks();
    benchmark::Shutdown();
    return 0;
}
