// SPDX-License-Identifier: GPL-3.0-or-later
#include <QBuffer>
#include <QDir>
#include <QJsonDocument>
#include <QPainter>
#include <QProcess>
#include <QTimeZone>

#include "corvale/version.h"
#include "imageconv/imageconv.h"
#include "ui/common/browseforfolder.h"
#include "ui/map/mapsave.h"
#include "ui/map/screencapture.h"
#include "uitest.h"
#include "util/general.h"
#include "util/settings.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

const QList<QColor> kQuadrants{Qt::red, Qt::blue, Qt::green, Qt::yellow};

void paintQuadrants(QPaintDevice *device, const QSize &size, const QList<QColor> &colours)
{
    QPainter painter(device);
    const QSize half = size / 2;
    painter.fillRect(QRect(QPoint(0, 0), size), colours.at(3));
    painter.fillRect(QRect(0, 0, half.width(), half.height()), colours.at(0));
    painter.fillRect(QRect(half.width(), 0, size.width() - half.width(), half.height()), colours.at(1));
    painter.fillRect(QRect(0, half.height(), half.width(), size.height() - half.height()), colours.at(2));
}

// Stands in for the map panel: the four quarters at any size.
class Panel : public QWidget
{
public:
    using QWidget::QWidget;
    QList<QColor> colours = kQuadrants;

protected:
    void paintEvent(QPaintEvent *) override { paintQuadrants(this, size(), colours); }
};

// What exiftool, a reader nobody here wrote, finds in a file; tags named by
// group ("EXIF:GPSLatitudeRef"), figures as numbers.
QVariantMap readBack(const QString &path)
{
    return QJsonDocument::fromJson(test::output(u"exiftool"_s, {u"-n"_s, u"-json"_s, u"-G"_s, path}))
        .toVariant()
        .toList()
        .value(0)
        .toMap();
}

// Whether exiftool puts the map, signed, within 0.0001 degrees of the lookup's figures.
bool placedAt(const QVariantMap &tags, const QString &latitude, const QString &longitude)
{
    return qAbs(tags[u"Composite:GPSLatitude"_s].toDouble() - latitude.toDouble()) < 0.0001
        && qAbs(tags[u"Composite:GPSLongitude"_s].toDouble() - longitude.toDouble()) < 0.0001;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestMapSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void save_data();
    void save();
    void devicePixels_data();
    void devicePixels();
    void failedConversionLeavesTheTargetAlone_data();
    void failedConversionLeavesTheTargetAlone();
    void metadata_data();
    void metadata();

private:
    test::OwnHome m_home;
    std::optional<QTemporaryDir> m_root;
    QString m_maps;
    std::optional<QWidget> m_window;
    Panel *m_panel = nullptr;
};

void TestMapSave::init()
{
    m_root.emplace();
    // Two levels down: what a name lets escape stays inside the test's folder.
    m_maps = m_root->filePath(u"level/maps"_s);
    QVERIFY(QDir().mkpath(m_maps));
    m_window.emplace();
    m_window->resize(381, 281);
    m_panel = new Panel(&*m_window);
    m_panel->setGeometry(30, 20, 321, 201);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*m_window));
}

void TestMapSave::save_data()
{
    // Phone, street and city as the main window's boxes hold them; then the
    // lookup's result, latitude and longitude, the title the JPEG carries and
    // the service named as its source.
    QTest::addColumn<QStringList>("typed");
    // The run's map folder before, the chooser's answer (null: not asked), the
    // map folder after; %1 stands for the map folder on disk, %2 for Pictures.
    QTest::addColumn<QStringList>("folder");
    // Made in the map folder first: "name/" a folder, "name" a file; "one
    // colour": the panel shows nothing but red.
    QTest::addColumn<QString>("setup");
    // The map left in the folder ("" for none; a bitmap when its JPEG cannot be written).
    QTest::addColumn<QString>("saved");
    // What a "Sorry..." message names (null: none).
    QTest::addColumn<QString>("sorry");
    const QString none;
    const QStringList maps{u"%1/"_s, none, u"%1/"_s};
    const auto row = [](const char *name, const QStringList &typed, const QStringList &folder, const QString &saved,
                        const QString &setup = {}, const QString &sorry = {}) {
        QTest::newRow(name) << typed << folder << setup << saved << sorry;
    };
    row("phone", {u"5551234567"_s}, maps, u"5551234567.jpg"_s);
    row("phone before address, its place",
        {u"3125550142"_s, u"410 W Marlow Ave"_s, u"Chicago"_s, u"Lakeshore Lantern Works\nChicago, IL"_s, u"41.8853"_s,
         u"-87.6298"_s, u"3125550142"_s},
        maps, u"3125550142.jpg"_s);
    row("phone as typed", {u"555 123 4567"_s}, maps, u"555 123 4567.jpg"_s);
    row("address, its place",
        {none, u"95 Rue des Tisserands"_s, u"Montréal"_s, u"Latitude: 45.5048 (Montréal)"_s, u"45.5048"_s,
         u"-73.5550"_s, u"95 Rue des Tisserands, Montréal"_s, u"https://nominatim.openstreetmap.org/search"_s},
        maps, u"95_Rue_des_TisserandsMontréal.jpg"_s);
    row("a dot, blanks in the city", {none, u"12 Main St."_s, u"Mont real"_s}, maps, u"12_Main_St.Mont_real.jpg"_s);
    row("street only", {none, u"77 Foxglove Ln"_s}, maps, u"77_Foxglove_Ln.jpg"_s);
    row("blanks and NULs around the folder go", {u"5551234567"_s}, {u" \0 %1 \0"_s, none, u"%1"_s},
        u"5551234567.jpg"_s);
    row("no folder: the chooser's answer, cleaned", {u"5551234567"_s}, {u"  \0 "_s, u"  %1\0 "_s, u"%1/"_s},
        u"5551234567.jpg"_s);
    row("no folder, chooser cancelled: Pictures next, the program's folder being unwritable", {u"5551234567"_s},
        {none, u""_s, u"%2"_s}, none);
    // Every failure but a refused name says so; one of the folder forgets it.
    row("folder removed since it was chosen", {u"5551234567"_s}, {u"%1/gone"_s, none, u""_s}, none, none, u"%1/gone"_s);
    row("folder through a file", {u"5551234567"_s}, {u"%1/plain/maps/"_s, none, u""_s}, none, u"plain"_s,
        u"%1/plain/maps/"_s);
    row("a folder where the bitmap goes", {u"5551234567"_s}, {u"%1/"_s, none, u""_s}, none, u"5551234567.bmp/"_s,
        u"%1/5551234567.bmp"_s);
    row("a folder where the JPEG goes: the bitmap kept", {u"5551234567"_s}, maps, u"5551234567.bmp"_s,
        u"5551234567.jpg/"_s, u"%1/5551234567.bmp"_s);
    row("nothing drawn", {u"5551234567"_s}, maps, none, u"one colour"_s, u""_s);
    for (const QStringList &typed :
         {QStringList{none, u"12/14 Main St"_s, u"Springfield"_s},
          QStringList{none, u"12 Main St"_s, u"Spring\\field"_s}, QStringList{none, u"../../escaped"_s},
          QStringList{u"555/123"_s}, QStringList(), QStringList{none, u"."_s}, QStringList{none, u"."_s, u"."_s},
          QStringList{u"555\u00001234"_s}})
        QTest::newRow(qPrintable(u"leaves the folder: "_s + typed.join(u'|')))
            << typed << maps << none << none << QString();
}

void TestMapSave::save()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, folder);
    QFETCH(QString, setup);
    QFETCH(QString, saved);
    QFETCH(QString, sorry);
    const QString pictures = QDir::toNativeSeparators(m_home.dir.filePath(u"Pictures"_s));
    for (QString *path : {&folder[0], &folder[1], &folder[2], &sorry})
        *path = path->replace(u"%1"_s, m_maps).replace(u"%2"_s, pictures);
    MapFolder::store(u"/stored/"_s);
    // A program folder nobody may write to: not even root makes one through a file.
    QVERIFY(test::writeFile(m_root->filePath(u"program"_s), "x"));
    MapFolder mapFolder(m_root->filePath(u"program/bin"_s));
    mapFolder.setPath(folder.at(0));
    const test::ScriptedFolderChooser chooser(folder.at(1));
    const test::MessageRecorder messages;
    if (setup == u"one colour"_s)
        m_panel->colours.fill(Qt::red);
    else if (!setup.isEmpty())
        QVERIFY(setup.endsWith(u'/') ? QDir(m_maps).mkdir(setup) : test::writeFile(QDir(m_maps).filePath(setup), "x"));
    // An older map of that name is replaced by the whole new one.
    QVERIFY(!saved.endsWith(u".jpg"_s) || test::writeFile(QDir(m_maps).filePath(saved), "an older map"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

    QCOMPARE(saveCapturedMap(&*m_window, m_panel, mapFolder,
                             [&typed] {
                                 return MapQuery{typed.value(0), typed.value(1), typed.value(2), typed.value(3),
                                                 typed.value(4), typed.value(5), typed.value(7)};
                             }),
             saved.endsWith(u".jpg"_s));

    QCOMPARE(mapFolder.path(), folder.at(2));
    // Only the main window stores the folder.
    QCOMPARE(readSetting(kMapFolderSetting).value_or(QString()), u"/stored/"_s);
    QStringList left{saved, setup.chopped(setup.endsWith(u'/'))};
    left.removeIf([](const QString &name) { return name.isEmpty() || name == u"one colour"_s; });
    QCOMPARE(entries(m_maps), left);
    QCOMPARE(entries(m_root->path()) + entries(m_root->filePath(u"level"_s)),
             QStringList({u"level"_s, u"program"_s, u"maps"_s}));
    QCOMPARE(messages.messages().size(), saved.endsWith(u".jpg"_s) || !sorry.isNull() ? 1 : 0);
    const QString path = AddBackslash(mapFolder.path()) + saved;
    for (const test::ShownMessage &message : messages.messages()) {
        QCOMPARE(message.parent.data(), &*m_window);
        QVERIFY2(saved.endsWith(u".jpg"_s)
                     ? message.title == u"Success..."_s && message.text == u"Map saved as "_s + path
                     : message.title == u"Sorry..."_s && message.text.contains(sorry),
                 qPrintable(message.text));
    }
    if (!saved.isEmpty()) {
        const QImage picture(path);
        QCOMPARE(picture.size(), QSize(321, 201) * m_panel->devicePixelRatioF());
        QVERIFY(test::showsQuadrants(picture));
        // The format and quality, as a reader of its own finds them.
        QCOMPARE(test::output(u"identify"_s, {u"-format"_s, u"%m %Q"_s, path}).left(saved.endsWith(u".jpg"_s) ? 8 : 3),
                 saved.endsWith(u".jpg"_s) ? QByteArray("JPEG 90") : QByteArray("BMP"));
    }
    if (typed.size() > 3) {
        const QVariantMap tags = readBack(path);
        QCOMPARE(QStringList({tags[u"XMP:Title"_s].toString(), tags[u"XMP:Description"_s].toString(),
                              tags[u"XMP:Source"_s].toString()}),
                 QStringList({typed.at(6), typed.at(3), typed.value(7)}));
        QVERIFY(placedAt(tags, typed.at(4), typed.at(5)));
        const QDateTime captured = QDateTime::fromString(tags[u"EXIF:DateTimeOriginal"_s].toString(),
                                                         u"yyyy:MM:dd HH:mm:ss"_s);
        QVERIFY2(captured >= before && captured <= QDateTime::currentDateTime(), qPrintable(captured.toString()));
    }
    QCOMPARE(chooser.requests().size(), folder.at(1).isNull() ? 0 : 1);
    for (const FolderRequest &request : chooser.requests())
        QVERIFY(request.ownerWindow == &*m_window && request.startFolder == AddBackslash(pictures));
}

void TestMapSave::devicePixels_data()
{
    QTest::addColumn<QSize>("logical");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("odd size at 1") << QSize(101, 67) << 1.0 << QSize(101, 67);
    // 67 x 1.5 = 100.5 goes down to 100; 69 x 1.5 = 103.5 up to 104.
    QTest::newRow("halves to even at 1.5") << QSize(67, 69) << 1.5 << QSize(100, 104);
    QTest::newRow("whole at 1.5") << QSize(400, 300) << 1.5 << QSize(600, 450);
}

// The picture is drawn from the widgets: another window over the map, or the
// map window hidden, does not spoil it.
void TestMapSave::devicePixels()
{
    QFETCH(QSize, logical);
    QFETCH(qreal, ratio);
    QFETCH(QSize, expected);
    if (!qFuzzyCompare(m_panel->devicePixelRatioF(), ratio))
        QSKIP("this run has another device pixel ratio (QT_SCALE_FACTOR)");
    m_panel->resize(logical);
    QWidget cover;
    cover.setGeometry(m_window->geometry());
    cover.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cover));

    for (const QImage &picture : {GrabClientArea(m_panel), (m_window->hide(), GrabClientArea(m_panel))}) {
        QCOMPARE(picture.size(), expected);
        QCOMPARE(picture.devicePixelRatio(), 1.0);
        QVERIFY(test::showsQuadrants(picture));
    }
    m_panel->resize(0, 0);
    QVERIFY(GrabClientArea(m_panel).isNull());
}

void TestMapSave::failedConversionLeavesTheTargetAlone_data()
{
    // A null source: no bitmap file at all.
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("older");
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(&buffer, "BMP");
    QTest::newRow("missing") << QByteArray() << true;
    QTest::newRow("text") << QByteArray("this is no picture at all\n") << true;
    QTest::newRow("cut short") << bitmap.left(bitmap.size() / 2) << true;
    QTest::newRow("broken header") << QByteArray("BM").append(bitmap.mid(2, 12)).append(QByteArray(40, '\xFF')) << true;
    QTest::newRow("broken, no older map") << QByteArray("BM and nothing else") << false;
}

void TestMapSave::failedConversionLeavesTheTargetAlone()
{
    QFETCH(QByteArray, source);
    QFETCH(bool, older);
    QTemporaryDir folder;
    const QString bitmap = folder.filePath(u"map.bmp"_s);
    QVERIFY(source.isNull() || test::writeFile(bitmap, source));
    QVERIFY(!older || test::writeFile(folder.filePath(u"map.jpg"_s), "an older map that must survive"));

    QVERIFY(!ConvertImageToJpeg(bitmap, folder.filePath(u"map.jpg"_s)));

    QStringList expected{u"map.bmp"_s, u"map.jpg"_s};
    if (source.isNull())
        expected.removeFirst();
    if (older)
        QCOMPARE(test::readAll(folder.filePath(u"map.jpg"_s)), QByteArray("an older map that must survive"));
    else
        expected.removeLast();
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), expected);
}

void TestMapSave::metadata_data()
{
    QTest::addColumn<QString>("description");
    // Latitude and longitude as the lookup gave them, then the hemispheres
    // exiftool reads (none: no position is written).
    QTest::addColumn<QStringList>("position");
    const QString chicago = u"Lakeshore Lantern Works\n410 W Marlow Ave\nChicago, IL 60601-1234"_s;
    QTest::newRow("north west") << chicago << QStringList{u"41.8853"_s, u"-87.6298"_s, u"N W"_s};
    QTest::newRow("south east") << u"Sydney"_s << QStringList{u"-33.86882"_s, u"151.20929"_s, u"S E"_s};
    QTest::newRow("south pole, date line") << u"Pole"_s << QStringList{u"-90"_s, u"180.0"_s, u"S E"_s};
    QTest::newRow("no position, accents")
        << u"Latitude: (95 Rue des Tisserands, Montréal)"_s << QStringList{{}, {}, {}};
    for (const QStringList &wrong : {QStringList{u"41.8853"_s, u"-"_s},
                                     {u"12.3.4"_s, u"-87.6"_s},
                                     {u"1e308"_s, u"0"_s},
                                     {u"NaN"_s, u"10"_s},
                                     {u"41.9"_s, u"200"_s},
                                     {u"-91"_s, u"0"_s},
                                     {u"41.8853"_s, {}},
                                     {u"41.8853"_s, u"--87.6298"_s}})
        QTest::newRow(qPrintable(wrong.join(u' '))) << chicago << wrong + QStringList{QString()};
}

// A converted map carries its place, as readers nobody here wrote find it.
void TestMapSave::metadata()
{
    QFETCH(QString, description);
    QFETCH(QStringList, position);
    const QString bitmap = m_root->filePath(u"map.bmp"_s);
    const QString jpeg = m_root->filePath(u"map.jpg"_s);
    QVERIFY(GrabClientArea(m_panel).save(bitmap, "BMP"));
    const QDateTime captured(QDate(2024, 5, 17), QTime(14, 3, 9), QTimeZone(-5 * 3600));
    const std::optional<GeoPosition> place = parsePosition(position.at(0), position.at(1));
    QCOMPARE(place.has_value(), !position.at(2).isNull());

    QVERIFY(ConvertImageToJpeg(bitmap, jpeg, MapMetadata{u"Montréal"_s, description, place, captured}));

    const QVariantMap tags = readBack(jpeg);
    QCOMPARE(tags[u"XMP:Description"_s].toString(), description);
    QCOMPARE(tags[u"XMP:Title"_s].toString(), u"Montréal"_s);
    // EXIF text is ASCII: non-ASCII text is left to the XMP.
    QCOMPARE(tags[u"EXIF:ImageDescription"_s].toString(), description.contains(u'é') ? QString() : description);
    QCOMPARE(tags[u"EXIF:Software"_s].toString(), u"Corvale "_s + QLatin1String(kVersion));
    QCOMPARE(tags[u"EXIF:DateTimeOriginal"_s].toString(), u"2024:05:17 14:03:09"_s);
    QCOMPARE(tags[u"XMP:CreateDate"_s].toString(), u"2024:05:17 14:03:09-05:00"_s);
    if (place) {
        QCOMPARE(tags[u"EXIF:GPSLatitudeRef"_s].toString() + u' ' + tags[u"EXIF:GPSLongitudeRef"_s].toString(),
                 position.at(2));
        QVERIFY(placedAt(tags, position.at(0), position.at(1)));
    }
    QCOMPARE(tags.keys().filter(u"GPS"_s).isEmpty(), !place);
    // Plain JPEG readers decode the file without a word.
    QProcess djpeg;
    djpeg.setStandardOutputFile(QProcess::nullDevice());
    djpeg.start(u"djpeg"_s, {jpeg});
    QVERIFY(djpeg.waitForFinished() && djpeg.exitCode() == 0 && djpeg.readAllStandardError().isEmpty());
    QVERIFY(test::showsQuadrants(QImage(jpeg)));
}

} // namespace corvale

QTEST_MAIN(corvale::TestMapSave)
#include "tst_mapsave.moc"
