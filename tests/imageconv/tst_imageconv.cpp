#include <algorithm>
#include <array>
#include <optional>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "imageconv/imageconv.h"
#include "jpegcheck.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool saveSolidBitmap(const QString &path, const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "BMP");
}

// Four quadrants of different colours: a picture turned over or mirrored,
// or with its channels swapped, reads back wrong.
QImage quadrants(const QSize &size, const std::array<QColor, 4> &colours)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int halfWidth = size.width() / 2;
    const int halfHeight = size.height() / 2;
    painter.fillRect(0, 0, halfWidth, halfHeight, colours[0]);
    painter.fillRect(halfWidth, 0, size.width() - halfWidth, halfHeight, colours[1]);
    painter.fillRect(0, halfHeight, halfWidth, size.height() - halfHeight, colours[2]);
    painter.fillRect(halfWidth, halfHeight, size.width() - halfWidth, size.height() - halfHeight, colours[3]);
    return image;
}

// The luminance quantisation table of the first DQT segment, in zigzag order.
QList<int> firstQuantTable(const QByteArray &jpeg)
{
    const qsizetype marker = jpeg.indexOf("\xFF\xDB");
    if (marker < 0 || marker + 5 + 64 > jpeg.size())
        return {};
    // Length (2 bytes), then precision and table id (8-bit table 0 expected).
    if (jpeg.at(marker + 4) != 0)
        return {};
    QList<int> table;
    for (int i = 0; i < 64; ++i)
        table.append(static_cast<unsigned char>(jpeg.at(marker + 5 + i)));
    return table;
}

// The JPEG standard's luminance table scaled for a quality, in zigzag order,
// the way the IJG encoder scales it.
QList<int> expectedQuantTable(int quality)
{
    static constexpr std::array<int, 64> kLuminanceZigzag{
        16, 11, 12, 14, 12, 10, 16, 14, 13, 14, 18, 17, 16, 19, 24, 40,
        26, 24, 22, 22, 24, 49, 35, 37, 29, 40, 58, 51, 61, 60, 57, 51,
        56, 55, 64, 72, 92, 78, 64, 68, 87, 69, 55, 56, 80, 109, 81, 87,
        95, 98, 103, 104, 103, 62, 77, 113, 121, 112, 100, 120, 92, 101, 103, 99};
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    QList<int> table;
    for (const int value : kLuminanceZigzag)
        table.append(std::clamp((value * scale + 50) / 100, 1, 255));
    return table;
}

} // namespace

class TestImageConv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void solidColours_data();
    void solidColours();
    void quadrantsKeepTheirPlace_data();
    void quadrantsKeepTheirPlace();
    void greyBitmap();
    void encodesAtQualityNinety();
    void replacesAnOlderMap();
    void failureLeavesTargetAlone_data();
    void failureLeavesTargetAlone();
    void failureWithoutTargetWritesNothing();
    void missingTargetFolderFails();
    void pathsWithBlanksAndAccents();

private:
    QStringList entries() const;

    std::optional<QTemporaryDir> m_folder;
    QString m_bitmap;
    QString m_jpeg;
};

void TestImageConv::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isValid());
    m_bitmap = m_folder->filePath(u"map.bmp"_s);
    m_jpeg = m_folder->filePath(u"map.jpg"_s);
}

void TestImageConv::cleanup()
{
    m_folder.reset();
}

QStringList TestImageConv::entries() const
{
    return QDir(m_folder->path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void TestImageConv::solidColours_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("red 64x48") << QSize(64, 48) << QColor(255, 0, 0);
    QTest::newRow("green 64x48") << QSize(64, 48) << QColor(0, 255, 0);
    QTest::newRow("blue 64x48") << QSize(64, 48) << QColor(0, 0, 255);
    QTest::newRow("white 33x17") << QSize(33, 17) << QColor(255, 255, 255);
    QTest::newRow("black 17x33") << QSize(17, 33) << QColor(0, 0, 0);
    QTest::newRow("orange 1x1") << QSize(1, 1) << QColor(255, 128, 0);
    QTest::newRow("teal 612x401") << QSize(612, 401) << QColor(0, 128, 128);
}

void TestImageConv::solidColours()
{
    QFETCH(QSize, size);
    QFETCH(QColor, colour);
    QVERIFY(saveSolidBitmap(m_bitmap, size, colour));

    QVERIFY(ConvertImageToJpeg(m_bitmap, m_jpeg));

    QCOMPARE(readFile(m_jpeg).left(3), QByteArray("\xFF\xD8\xFF"));
    const QImage result(m_jpeg, "JPG");
    QCOMPARE(result.size(), size);
    for (const QPoint point : {QPoint(0, 0), QPoint(size.width() - 1, size.height() - 1),
                               QPoint(size.width() / 2, size.height() / 2)}) {
        const QColor actual = result.pixelColor(point);
        QVERIFY2(closeTo(actual, colour), qPrintable(describe(actual) + u" for "_s + describe(colour)));
    }
    QCOMPARE(entries(), QStringList({u"map.bmp"_s, u"map.jpg"_s}));
}

void TestImageConv::quadrantsKeepTheirPlace_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("even") << QSize(320, 240);
    QTest::newRow("odd") << QSize(321, 239);
}

void TestImageConv::quadrantsKeepTheirPlace()
{
    QFETCH(QSize, size);
    const std::array<QColor, 4> colours{QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 255, 0),
                                        QColor(255, 255, 0)};
    QVERIFY(quadrants(size, colours).save(m_bitmap, "BMP"));

    QVERIFY(ConvertImageToJpeg(m_bitmap, m_jpeg));

    const QImage result(m_jpeg, "JPG");
    QCOMPARE(result.size(), size);
    const int quarterX = size.width() / 4;
    const int quarterY = size.height() / 4;
    const std::array<QPoint, 4> centres{QPoint(quarterX, quarterY), QPoint(size.width() - quarterX, quarterY),
                                        QPoint(quarterX, size.height() - quarterY),
                                        QPoint(size.width() - quarterX, size.height() - quarterY)};
    for (std::size_t i = 0; i < centres.size(); ++i) {
        const QColor actual = result.pixelColor(centres[i]);
        QVERIFY2(closeTo(actual, colours[i]),
                 qPrintable(u"quadrant %1: "_s.arg(i) + describe(actual) + u" for "_s + describe(colours[i])));
    }
}

void TestImageConv::greyBitmap()
{
    QImage image(40, 30, QImage::Format_Grayscale8);
    image.fill(QColor(90, 90, 90));
    QVERIFY(image.save(m_bitmap, "BMP"));

    QVERIFY(ConvertImageToJpeg(m_bitmap, m_jpeg));

    const QImage result(m_jpeg, "JPG");
    QCOMPARE(result.size(), QSize(40, 30));
    QVERIFY(closeTo(result.pixelColor(20, 15), QColor(90, 90, 90)));
}

void TestImageConv::encodesAtQualityNinety()
{
    QVERIFY(quadrants(QSize(64, 64), {Qt::red, Qt::green, Qt::blue, Qt::white}).save(m_bitmap, "BMP"));

    QVERIFY(ConvertImageToJpeg(m_bitmap, m_jpeg));

    QCOMPARE(firstQuantTable(readFile(m_jpeg)), expectedQuantTable(90));
}

void TestImageConv::replacesAnOlderMap()
{
    QVERIFY(writeFile(m_jpeg, "an older map"));
    QVERIFY(saveSolidBitmap(m_bitmap, QSize(50, 20), Qt::blue));

    QVERIFY(ConvertImageToJpeg(m_bitmap, m_jpeg));

    const QImage result(m_jpeg, "JPG");
    QCOMPARE(result.size(), QSize(50, 20));
    QVERIFY(closeTo(result.pixelColor(25, 10), Qt::blue));
    QCOMPARE(entries(), QStringList({u"map.bmp"_s, u"map.jpg"_s}));
}

void TestImageConv::failureLeavesTargetAlone_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("sourceExists");
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QByteArray bitmap = encoded(image, "BMP");
    const QByteArray png = encoded(image, "PNG");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("text") << QByteArray("this is no picture at all\n") << true;
    QTest::newRow("header only") << bitmap.left(54) << true;
    QTest::newRow("cut short") << bitmap.left(bitmap.size() / 2) << true;
    QTest::newRow("broken header") << QByteArray("BM").append(bitmap.mid(2, 12)).append(QByteArray(40, '\xFF'))
                                   << true;
    QTest::newRow("png") << png << true;
}

void TestImageConv::failureLeavesTargetAlone()
{
    QFETCH(QByteArray, source);
    QFETCH(bool, sourceExists);
    const QByteArray older("an older map that must survive");
    QVERIFY(writeFile(m_jpeg, older));
    if (sourceExists)
        QVERIFY(writeFile(m_bitmap, source));

    QVERIFY(!ConvertImageToJpeg(m_bitmap, m_jpeg));

    QCOMPARE(readFile(m_jpeg), older);
    QStringList expected{u"map.jpg"_s};
    if (sourceExists)
        expected.prepend(u"map.bmp"_s);
    QCOMPARE(entries(), expected);
}

void TestImageConv::failureWithoutTargetWritesNothing()
{
    QVERIFY(writeFile(m_bitmap, "BM and nothing else"));

    QVERIFY(!ConvertImageToJpeg(m_bitmap, m_jpeg));

    QCOMPARE(entries(), QStringList({u"map.bmp"_s}));
}

void TestImageConv::missingTargetFolderFails()
{
    QVERIFY(saveSolidBitmap(m_bitmap, QSize(8, 8), Qt::green));

    QVERIFY(!ConvertImageToJpeg(m_bitmap, m_folder->filePath(u"no such folder/map.jpg"_s)));
    QVERIFY(!ConvertImageToJpeg(m_bitmap, QString()));
    QVERIFY(!ConvertImageToJpeg(QString(), m_jpeg));

    QCOMPARE(entries(), QStringList({u"map.bmp"_s}));
}

void TestImageConv::pathsWithBlanksAndAccents()
{
    QVERIFY(QDir(m_folder->path()).mkdir(u"My Maps Montréal"_s));
    const QString bitmap = m_folder->filePath(u"My Maps Montréal/95_Rue_des_TisserandsMontréal.bmp"_s);
    const QString jpeg = m_folder->filePath(u"My Maps Montréal/95_Rue_des_TisserandsMontréal.jpg"_s);
    QVERIFY(saveSolidBitmap(bitmap, QSize(16, 16), Qt::magenta));

    QVERIFY(ConvertImageToJpeg(bitmap, jpeg));

    QVERIFY(closeTo(QImage(jpeg, "JPG").pixelColor(8, 8), Qt::magenta));
}

} // namespace corvale

QTEST_GUILESS_MAIN(corvale::TestImageConv)
#include "tst_imageconv.moc"
