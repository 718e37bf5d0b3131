#include <QImage>
#include <QJsonDocument>
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

static const QString kChicago = u"Lakeshore Lantern Works\n410 W Marlow Ave\nChicago, IL 60601-1234\n"
                                "(312) 555-0142\nLatitude: 41.8853, Longitude: -87.6298"_s;
static const QString kMontreal = u"Latitude: 45.5048, Longitude: -73.5550 (95 Rue des Tisserands, Montréal)"_s;

// What exiftool, a reader nobody here wrote, finds in a file; tags named by
// group ("EXIF:GPSLatitudeRef"), figures as numbers, every value as text.
static QVariantMap readBack(const QString &path)
{
    QProcess exiftool;
    exiftool.start(u"exiftool"_s, {u"-n"_s, u"-json"_s, u"-G"_s, path});
    exiftool.waitForFinished();
    return QJsonDocument::fromJson(exiftool.readAllStandardOutput()).toVariant().toList().value(0).toMap();
}

// Where exiftool puts the map, signed, within 0.0001 degrees of `position`.
static bool placedAt(const QVariantMap &tags, const GeoPosition &position)
{
    return qAbs(tags[u"Composite:GPSLatitude"_s].toDouble() - position.latitude) < 0.0001
        && qAbs(tags[u"Composite:GPSLongitude"_s].toDouble() - position.longitude) < 0.0001;
}

class TestMapMetadata : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void positions_data()
    {
        QTest::addColumn<QString>("latitude");
        QTest::addColumn<QString>("longitude");
        QTest::addColumn<QString>("read");
        QTest::newRow("empty") << QString() << QString() << QString();
        QTest::newRow("only a minus sign") << u"41.8853"_s << u"-"_s << QString();
        QTest::newRow("two dots") << u"12.3.4"_s << u"-87.6"_s << QString();
        QTest::newRow("1e308") << u"1e308"_s << u"0"_s << QString();
        QTest::newRow("NaN") << u"NaN"_s << u"10"_s << QString();
        QTest::newRow("longitude 200") << u"41.9"_s << u"200"_s << QString();
        QTest::newRow("latitude -91") << u"-91"_s << u"0"_s << QString();
        QTest::newRow("one figure missing") << u"41.8853"_s << QString() << QString();
        QTest::newRow("a minus put before a minus") << u"41.8853"_s << u"--87.6298"_s << QString();
        QTest::newRow("north west") << u"41.8853"_s << u"-87.6298"_s << u"41.8853 -87.6298"_s;
        QTest::newRow("south pole, date line") << u"-90"_s << u"180.0"_s << u"-90 180"_s;
    }

    void positions()
    {
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        QFETCH(QString, read);
        const std::optional<GeoPosition> position = parsePosition(latitude, longitude);
        QCOMPARE(position ? u"%1 %2"_s.arg(position->latitude).arg(position->longitude) : QString(), read);
    }

    void metadataReadsBack_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<std::optional<GeoPosition>>("position");
        QTest::addColumn<QString>("hemispheres");
        QTest::newRow("north west") << kChicago << std::optional(GeoPosition{41.8853, -87.6298}) << u"N W"_s;
        QTest::newRow("south east") << u"Sydney"_s << std::optional(GeoPosition{-33.86882, 151.20929}) << u"S E"_s;
        QTest::newRow("no position") << kMontreal << std::optional<GeoPosition>() << u" "_s;
    }

    void metadataReadsBack()
    {
        QFETCH(QString, description);
        QFETCH(std::optional<GeoPosition>, position);
        QFETCH(QString, hemispheres);
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
        QCOMPARE(tags[u"EXIF:GPSLatitudeRef"_s].toString() + u' ' + tags[u"EXIF:GPSLongitudeRef"_s].toString(),
                 hemispheres);
        QVERIFY(position ? placedAt(tags, *position) : tags.keys().filter(u"GPS"_s).isEmpty());
        // Plain JPEG readers decode the file without a word.
        QProcess djpeg;
        djpeg.setStandardOutputFile(QProcess::nullDevice());
        djpeg.start(u"djpeg"_s, {jpeg});
        QVERIFY(djpeg.waitForFinished() && djpeg.exitCode() == 0 && djpeg.readAllStandardError().isEmpty());
        QCOMPARE(QImage(jpeg).size(), picture.size());
    }

    void savedMapCarriesItsPlace_data()
    {
        QTest::addColumn<MapQuery>("query");
        QTest::addColumn<QString>("title");
        QTest::newRow("phone") << MapQuery{u"3125550142"_s, {}, {}, kChicago, u"41.8853"_s, u"-87.6298"_s}
                               << u"3125550142"_s;
        QTest::newRow("address") << MapQuery{{}, u"95 Rue des Tisserands"_s, u"Montréal"_s, kMontreal, u"45.5048"_s,
                                             u"-73.5550"_s}
                                 << u"95 Rue des Tisserands, Montréal"_s;
    }

    void savedMapCarriesItsPlace()
    {
        QFETCH(MapQuery, query);
        QFETCH(QString, title);
        QWidget window;
        MapFolder folder;
        folder.setPath(m_dir.path());
        const MessageRecorder messages;
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

        QVERIFY(saveCapturedMap(&window, new QWidget(&window), folder, [query] { return query; }));

        const QVariantMap tags = readBack(m_dir.filePath(mapBaseName(query) + u".jpg"_s));
        QCOMPARE(tags[u"XMP:Title"_s].toString(), title);
        QCOMPARE(tags[u"XMP:Description"_s].toString(), query.txtResult);
        QVERIFY(placedAt(tags, {query.Latitude.toDouble(), query.Longitude.toDouble()}));
        const QDateTime captured =
            QDateTime::fromString(tags[u"EXIF:DateTimeOriginal"_s].toString(), u"yyyy:MM:dd HH:mm:ss"_s);
        QVERIFY2(captured >= before && captured <= QDateTime::currentDateTime(), qPrintable(captured.toString()));
    }
};

} // namespace corvale

QTEST_MAIN(corvale::TestMapMetadata)
#include "tst_mapmetadata.moc"
