// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include "benchsupport.h"
#include "imageconv/imageconv.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

constexpr QSize kMapSize(1920, 1080);

// Something with a map's mix of flat areas, roads and edges, the same on
// every run.
QImage mapLikeImage()
{
    QImage image(kMapSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient land(0, 0, kMapSize.width(), kMapSize.height());
    land.setColorAt(0, QColor(0xE8, 0xE4, 0xD8));
    land.setColorAt(1, QColor(0xD4, 0xE6, 0xC8));
    painter.fillRect(image.rect(), land);
    QRandomGenerator random(1920);
    for (int i = 0; i < 60; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 60 + random.bounded(80), 200));
        painter.setPen(Qt::NoPen);
        painter.drawRect(random.bounded(kMapSize.width()), random.bounded(kMapSize.height()), 40 + random.bounded(300),
                         40 + random.bounded(200));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 150; ++i) {
        painter.setPen(QPen(QColor(0xFF, 0xFF, 0xFF - random.bounded(0x60)), 2 + random.bounded(8)));
        painter.drawLine(random.bounded(kMapSize.width()), random.bounded(kMapSize.height()),
                         random.bounded(kMapSize.width()), random.bounded(kMapSize.height()));
    }
    return image;
}

// The map's bitmap, written once for each benchmark.
class BitmapFolder : public MapFiles
{
public:
    BitmapFolder() { mapLikeImage().save(bitmap(), "BMP"); }
};

void BM_ConvertImageToJpeg(benchmark::State &state)
{
    const BitmapFolder folder;
    for (auto _ : state) {
        if (!ConvertImageToJpeg(folder.bitmap(), folder.jpeg())) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
}
BENCHMARK(BM_ConvertImageToJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole cjpeg process, as a user running it from a shell would wait for it.
void BM_CjpegQuality90(benchmark::State &state)
{
    const QString cjpeg = QStandardPaths::findExecutable(u"cjpeg"_s);
    if (cjpeg.isEmpty()) {
        state.SkipWithError("cjpeg is not installed (libjpeg-turbo-progs)");
        return;
    }
    const BitmapFolder folder;
    const QStringList arguments{u"-quality"_s, u"90"_s, u"-outfile"_s, folder.jpeg(), folder.bitmap()};
    for (auto _ : state) {
        if (QProcess::execute(cjpeg, arguments) != 0) {
            state.SkipWithError("cjpeg failed");
            break;
        }
    }
}
BENCHMARK(BM_CjpegQuality90)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

} // namespace corvale

int main(int argc, char **argv)
{
    corvale::drawOffscreenUnlessTold();
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
