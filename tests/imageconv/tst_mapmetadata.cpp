#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QWidget>

#include "corvale/version.h"
#include "imageconv/imageconv.h"
#include "ui/common/messagebox.h"
#include "ui/map/mapsave.h"
#include "util/mapfolder.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

const QString kChicago = u"Lakeshore Lantern Works\n410 W Marlow Ave\nChicago, IL 60601-1234\n(312) 555-0142\n"
                         "Latitude: 41.8853, Longitude: -87.6298"_s;
const QString kMontreal = u"Latitude: 45.5048, Longitude: -73.5550 (95 Rue des Tisserands, Montréal)"_s;

// What exiftool, a reader nobody here wrote, finds in a file; tags named by
// group ("EXIF:GPSLatitudeRef"), figures as numbers, every value as text.
QVariantMap readBack(const QString &path)
{
    QProcess exiftool;
    exiftool.start(u"exiftool"_s, {u"-n"_s, u"-json"_s, u"-G"_s, path});
    if (!exiftool.waitForFinished() || exiftool.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(exiftool.readAllStandardOutput()).array().first().toObject().toVariantMap();
}

// djpeg, like any plain JPEG reader, decodes the file without a word.
bool djpegReads(const QString &path)
{
    QProcess djpeg;
    djpeg.setStandardOutputFile(QProcess::nullDevice());
    djpeg.start(u"djpeg"_s, {path});
    return djpeg.waitForFinished() && djpeg.exitCode() == 0 && djpeg.readAllStandardError().isEmpty();
}

} // namespace

class TestMapMetadata : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void positions_data();
    void positions();
    void metadataReadsBack_data();
    void metadataReadsBack();
    void savedMapCarriesItsPlace_data();
    void savedMapCarriesItsPlace();

private:
    QTemporaryDir m_dir;
};

void TestMapMetadata::positions_data()
{
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QString() << QString() << false;
    QTest::newRow("only a minus sign") << u"41.8853"_s << u"-"_s << false;
    QTest::newRow("two dots") << u"12.3.4"_s << u"-87.6"_s << false;
    QTest::newRow("1e308") << u"1e308"_s << u"0"_s << false;
    QTest::newRow("NaN") << u"NaN"_s << u"10"_s << false;
    QTest::newRow("infinite") << u"45"_s << u"-inf"_s << false;
    QTest::newRow("longitude 200") << u"41.9"_s << u"200"_s << false;
    QTest::newRow("latitude -91") << u"-91"_s << u"0"_s << false;
    QTest::newRow("one figure missing") << u"41.8853"_s << QString() << false;
    QTest::newRow("a minus put before a minus") << u"41.8853"_s << u"--87.6298"_s << false;
    QTest::newRow("north west") << u"41.8853"_s << u"-87.6298"_s << true;
    QTest::newRow("south east") << u"-33.8688"_s << u"151.2093"_s << true;
    QTest::newRow("pole and date line") << u"-90"_s << u"180"_s << true;
}

void TestMapMetadata::positions()
{
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(bool, valid);
    const std::optional<GeoPosition> position = parsePosition(latitude, longitude);
    QCOMPARE(position.has_value(), valid);
    if (valid) {
        QCOMPARE(position->latitude, latitude.toDouble());
        QCOMPARE(position->longitude, longitude.toDouble());
    }
}

void TestMapMetadata::metadataReadsBack_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<std::optional<GeoPosition>>("position");
    QTest::addColumn<QString>("latitudeRef");
    QTest::addColumn<QString>("longitudeRef");
    QTest::newRow("north west") << kChicago << std::optional(GeoPosition{41.8853, -87.6298}) << u"N"_s << u"W"_s;
    QTest::newRow("south east") << u"Sydney"_s << std::optional(GeoPosition{-33.86882, 151.20929}) << u"S"_s
                                << u"E"_s;
    QTest::newRow("no position") << kMontreal << std::optional<GeoPosition>() << QString() << QString();
}

void TestMapMetadata::metadataReadsBack()
{
    QFETCH(QString, description);
    QFETCH(std::optional<GeoPosition>, position);
    QFETCH(QString, latitudeRef);
    QFETCH(QString, longitudeRef);
    const QString bitmap = m_dir.filePath(u"map.bmp"_s);
    const QString jpeg = m_dir.filePath(u"map.jpg"_s);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(bitmap, "BMP"));
    const QDateTime captured(QDate(2024, 5, 17), QTime(14, 3, 9), QTimeZone(-5 * 3600));

    QVERIFY(ConvertImageToJpeg(bitmap, jpeg, MapMetadata{u"Montréal"_s, description, position, captured}));

    const QVariantMap tags = readBack(jpeg);
    QCOMPARE(tags[u"XMP:Description"_s].toString(), description);
    QCOMPARE(tags[u"XMP:Title"_s].toString(), u"Montréal"_s);
    // EXIF text is ASCII: non-ASCII text is left to the XMP.
    QCOMPARE(tags[u"EXIF:ImageDescription"_s].toString(), description.contains(u'é') ? QString() : description);
    QCOMPARE(tags[u"EXIF:Software"_s].toString(), u"Corvale "_s + QLatin1String(kVersion));
    QCOMPARE(tags[u"EXIF:DateTimeOriginal"_s].toString(), u"2024:05:17 14:03:09"_s);
    QCOMPARE(tags[u"XMP:CreateDate"_s].toString(), u"2024:05:17 14:03:09-05:00"_s);
    QCOMPARE(tags[u"EXIF:GPSLatitudeRef"_s].toString(), latitudeRef);
    QCOMPARE(tags[u"EXIF:GPSLongitudeRef"_s].toString(), longitudeRef);
    if (position) {
        QVERIFY(qAbs(tags[u"Composite:GPSLatitude"_s].toDouble() - position->latitude) < 0.0001);
        QVERIFY(qAbs(tags[u"Composite:GPSLongitude"_s].toDouble() - position->longitude) < 0.0001);
    } else {
        QCOMPARE(tags.keys().filter(u"GPS"_s), QStringList());
    }
    QVERIFY(djpegReads(jpeg));
    QCOMPARE(QImage(jpeg).size(), picture.size());
}

void TestMapMetadata::savedMapCarriesItsPlace_data()
{
    QTest::addColumn<MapQuery>("query");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("file");
    QTest::newRow("phone") << MapQuery{u"3125550142"_s, {}, {}, kChicago, u"41.8853"_s, u"-87.6298"_s}
                           << u"3125550142"_s << u"3125550142.jpg"_s;
    QTest::newRow("address") << MapQuery{{}, u"95 Rue des Tisserands"_s, u"Montréal"_s, kMontreal, u"45.5048"_s,
                                         u"-73.5550"_s}
                             << u"95 Rue des Tisserands, Montréal"_s << u"95_Rue_des_TisserandsMontréal.jpg"_s;
}

void TestMapMetadata::savedMapCarriesItsPlace()
{
    QFETCH(MapQuery, query);
    QFETCH(QString, title);
    QFETCH(QString, file);
    QWidget window;
    auto *panel = new QWidget(&window);
    panel->resize(120, 80);
    panel->setStyleSheet(u"background: #3090d0"_s);
    MapFolder folder;
    folder.setPath(m_dir.path());
    const MessageRecorder messages;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

    QVERIFY(saveCapturedMap(&window, panel, folder, [query] { return query; }));

    const QVariantMap tags = readBack(QDir(m_dir.path()).filePath(file));
    QCOMPARE(tags[u"XMP:Title"_s].toString(), title);
    QCOMPARE(tags[u"XMP:Description"_s].toString(), query.txtResult);
    QVERIFY(qAbs(tags[u"Composite:GPSLatitude"_s].toDouble() - query.Latitude.toDouble()) < 0.0001);
    QVERIFY(qAbs(tags[u"Composite:GPSLongitude"_s].toDouble() - query.Longitude.toDouble()) < 0.0001);
    const QDateTime captured =
        QDateTime::fromString(tags[u"EXIF:DateTimeOriginal"_s].toString(), u"yyyy:MM:dd HH:mm:ss"_s);
    QVERIFY2(captured >= before && captured <= QDateTime::currentDateTime(), qPrintable(captured.toString()));
}

} // namespace corvale

QTEST_MAIN(corvale::TestMapMetadata)
#include "tst_mapmetadata.moc"
