#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QProcess>

#include "imageconv/imageconv.h"
#include "ui/map/mapsave.h"
#include "ui/map/screencapture.h"
#include "uitest.h"
#include "util/browseforfolder.h"
#include "util/general.h"

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

QImage quadrants(const QSize &size, const QList<QColor> &colours, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, QImage::Format_RGB32);
    paintQuadrants(&image, size, colours);
    return image.convertToFormat(format);
}

// Stands in for the map panel: the four quarters at any size.
class Panel : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override { paintQuadrants(this, size(), kQuadrants); }
};

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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

private:
    test::OwnHome m_home;
    std::optional<QTemporaryDir> m_root;
    QString m_maps;
    std::optional<QWidget> m_window;
    QWidget *m_panel = nullptr;
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
    // Phone, street and city as the main window's boxes hold them.
    QTest::addColumn<QStringList>("typed");
    // The run's map folder before, the chooser's answer (null: not asked), the
    // map folder after; %1 stands for the map folder on disk.
    QTest::addColumn<QStringList>("folder");
    // The map left in the folder ("" for none; a bitmap when its JPEG cannot be written).
    QTest::addColumn<QString>("saved");
    const QString none;
    const QStringList maps{u"%1/"_s, none, u"%1/"_s};
    QTest::newRow("phone") << QStringList{u"5551234567"_s} << maps << u"5551234567.jpg"_s;
    QTest::newRow("phone before address") << QStringList{u"3125550142"_s, u"410 W Marlow Ave"_s, u"Chicago"_s} << maps
                                          << u"3125550142.jpg"_s;
    QTest::newRow("phone as typed") << QStringList{u"555 123 4567"_s} << maps << u"555 123 4567.jpg"_s;
    QTest::newRow("address") << QStringList{none, u"12 Main St"_s, u"Springfield"_s} << maps
                             << u"12_Main_StSpringfield.jpg"_s;
    QTest::newRow("a dot, blanks in the city, accents") << QStringList{none, u"12 Main St."_s, u"Mont réal"_s} << maps
                                                        << u"12_Main_St.Mont_réal.jpg"_s;
    QTest::newRow("street only") << QStringList{none, u"77 Foxglove Ln"_s} << maps << u"77_Foxglove_Ln.jpg"_s;
    QTest::newRow("blanks and NULs around the folder go")
        << QStringList{u"5551234567"_s} << QStringList{u" \0 %1 \0"_s, none, u"%1"_s} << u"5551234567.jpg"_s;
    QTest::newRow("no folder: the chooser's answer, cleaned")
        << QStringList{u"5551234567"_s} << QStringList{u"  \0 "_s, u"  %1\0 "_s, u"%1/"_s} << u"5551234567.jpg"_s;
    QTest::newRow("no folder, chooser cancelled: the program's folder next")
        << QStringList{u"5551234567"_s} << QStringList{none, u""_s, programFolder()} << none;
    QTest::newRow("missing folder") << QStringList{u"5551234567"_s}
                                    << QStringList{u"%1/not made"_s, none, u"%1/not made"_s} << none;
    QTest::newRow("conversion fails") << QStringList{u"5551234567"_s} << maps << u"5551234567.bmp"_s;
    for (const QStringList &typed : {QStringList{none, u"12/14 Main St"_s, u"Springfield"_s},
                                     QStringList{none, u"12 Main St"_s, u"Spring\\field"_s},
                                     QStringList{none, u"../../escaped"_s}, QStringList{u"555/123"_s}, QStringList(),
                                     QStringList{none, u"."_s}, QStringList{none, u"."_s, u"."_s},
                                     QStringList{u"555\u00001234"_s}})
        QTest::newRow(qPrintable(u"leaves the folder: "_s + typed.join(u'|'))) << typed << maps << none;
}

void TestMapSave::save()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, folder);
    QFETCH(QString, saved);
    for (QString &path : folder)
        path.replace(u"%1"_s, m_maps);
    MapFolder::store(u"/stored/"_s);
    MapFolder mapFolder;
    mapFolder.setPath(folder.at(0));
    const ScriptedFolderChooser chooser(folder.at(1));
    const MessageRecorder messages;
    // A folder in the JPEG's place: the bitmap is written, its conversion cannot be.
    QVERIFY(!saved.endsWith(u".bmp"_s) || QDir(m_maps).mkdir(u"5551234567.jpg"_s));
    // An older map of that name is replaced by the whole new one.
    QVERIFY(saved != u"5551234567.jpg"_s || writeFile(QDir(m_maps).filePath(saved), "an older map"));

    QCOMPARE(saveCapturedMap(&*m_window, m_panel, mapFolder, [&typed] {
        return MapQuery{typed.value(0), typed.value(1), typed.value(2)};
    }), saved.endsWith(u".jpg"_s));

    QCOMPARE(mapFolder.path(), folder.at(2));
    // Only the main window stores the folder.
    QCOMPARE(MapFolder::stored({}), u"/stored/"_s);
    QCOMPARE(entries(m_maps).join(u'|'), saved.endsWith(u".bmp"_s) ? saved + u"|5551234567.jpg"_s : saved);
    QCOMPARE(entries(m_root->path()) + entries(m_root->filePath(u"level"_s)), QStringList({u"level"_s, u"maps"_s}));
    QCOMPARE(messages.messages().size(), saved.isEmpty() ? 0 : 1);
    const QString path = AddBackslash(mapFolder.path()) + saved;
    for (const ShownMessage &message : messages.messages()) {
        QCOMPARE(message.parent.data(), &*m_window);
        QVERIFY2(saved.endsWith(u".jpg"_s) ? message.title == u"Success..."_s && message.text == u"Map saved as "_s + path
                                           : message.title == u"Sorry..."_s && message.text.contains(path),
                 qPrintable(message.text));
        const QImage picture(path);
        QCOMPARE(picture.size(), QSize(321, 201) * m_panel->devicePixelRatioF());
        QVERIFY(test::showsQuadrants(picture));
        // The format and quality, as a reader of its own finds them.
        QProcess identify;
        identify.start(u"identify"_s, {u"-format"_s, u"%m %Q"_s, path});
        QVERIFY(identify.waitForFinished());
        QCOMPARE(identify.readAllStandardOutput().left(saved.endsWith(u".jpg"_s) ? 8 : 3),
                 saved.endsWith(u".jpg"_s) ? "JPEG " + QByteArray::number(kJpegQuality) : QByteArray("BMP"));
    }
    QCOMPARE(chooser.requests().size(), folder.at(1).isNull() ? 0 : 1);
    for (const FolderRequest &request : chooser.requests()) {
        QVERIFY(request.ownerWindow == &*m_window && !request.classicStyle);
        QCOMPARE(QStringList({request.prompt, request.caption, request.startFolder}),
                 QStringList({u"Please select the directory where the document will be saved."_s, u"Saving Map"_s,
                              AddBackslash(programFolder())}));
    }
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
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("older");
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    quadrants(QSize(32, 32), QList<QColor>(4, Qt::red)).save(&buffer, "BMP");
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    quadrants(QSize(32, 32), QList<QColor>(4, Qt::red)).save(&pngBuffer, "PNG");
    const QString jpeg = u"map.jpg"_s;
    QTest::newRow("missing") << QByteArray() << jpeg << true;
    QTest::newRow("empty") << QByteArray("") << jpeg << true;
    QTest::newRow("text") << QByteArray("this is no picture at all\n") << jpeg << true;
    QTest::newRow("header only") << bitmap.left(54) << jpeg << true;
    QTest::newRow("cut short") << bitmap.left(bitmap.size() / 2) << jpeg << true;
    QTest::newRow("broken header") << QByteArray("BM").append(bitmap.mid(2, 12)).append(QByteArray(40, '\xFF'))
                                   << jpeg << true;
    QTest::newRow("png") << png << jpeg << true;
    QTest::newRow("broken, no older map") << QByteArray("BM and nothing else") << jpeg << false;
    QTest::newRow("target folder missing") << bitmap << u"no such folder/map.jpg"_s << false;
    QTest::newRow("no target") << bitmap << QString() << false;
}

void TestMapSave::failedConversionLeavesTheTargetAlone()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, target);
    QFETCH(bool, older);
    QTemporaryDir folder;
    const QString bitmap = folder.filePath(u"map.bmp"_s);
    QVERIFY(source.isNull() || writeFile(bitmap, source));
    QVERIFY(!older || writeFile(folder.filePath(target), "an older map that must survive"));

    QVERIFY(!ConvertImageToJpeg(bitmap, target.isEmpty() ? target : folder.filePath(target)));

    QStringList expected;
    if (!source.isNull())
        expected.append(u"map.bmp"_s);
    if (older) {
        expected.append(target);
        QCOMPARE(readFile(folder.filePath(target)), QByteArray("an older map that must survive"));
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), expected);
}

} // namespace corvale

QTEST_MAIN(corvale::TestMapSave)
#include "tst_mapsave.moc"
