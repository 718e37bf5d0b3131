#include <QListWidget>
#include <QProcess>
#include <QTest>

#include "selectdriver.h"
#include "ui/common/messagebox.h"
#include "ui/main/printmap.h"
#include "ui/main/printpreview.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

enum class Gesture { Ok, DoubleClick, Enter };

// "Print Map" with no printing program set, in a folder of its own; the
// preview is printed to page.pdf there.
struct PrintSession
{
    QTemporaryDir dir;
    PrintProgramSetting program{std::nullopt};
    MessageRecorder messages;
    PreviewRecorder previews{pdf()};
    QWidget owner;

    QString pdf() const { return dir.filePath(u"page.pdf"_s); }
};

// What a poppler tool writes to its standard output.
QByteArray poppler(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    return process.waitForFinished() && process.exitCode() == 0 ? process.readAllStandardOutput() : "failed";
}

// The bounds of the map's red on a page.
QRect redArea(const QImage &page)
{
    QRect found;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (const QColor c = page.pixelColor(x, y); c.red() > 160 && c.green() < 100 && c.blue() < 100)
                found |= QRect(x, y, 1, 1);
    return found;
}

} // namespace

class TestPrintPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printsTheMapPage_data();
    void printsTheMapPage();
    void notAPictureSaysSorry();
};

void TestPrintPage::printsTheMapPage_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QStringList>("caption");
    QTest::newRow("wide map, OK") << QSize(1200, 600) << QStringList{
        u"-XMP-dc:Title=3125550142"_s, u"-XMP-dc:Description=Lakeshore Lantern Works\nRue des Tisserands, Montréal"_s,
        u"-GPSLatitude=41.8821"_s, u"-GPSLatitudeRef=N"_s, u"-GPSLongitude=87.6324"_s, u"-GPSLongitudeRef=W"_s,
        u"-DateTimeOriginal=2024:05:01 14:03:00"_s} << Gesture::Ok << QStringList{
        u"3125550142"_s, u"Lakeshore Lantern Works"_s, u"Rue des Tisserands, Montréal"_s,
        u"41.88210° N, 87.63240° W"_s, u"2024-05-01"_s};
    QTest::newRow("tall map, double-click") << QSize(400, 500) << QStringList{
        u"-EXIF:ImageDescription=Harbour Rope Co."_s, u"-GPSLatitude=33.8568"_s, u"-GPSLatitudeRef=S"_s,
        u"-GPSLongitude=151.2153"_s, u"-GPSLongitudeRef=E"_s} << Gesture::DoubleClick << QStringList{
        u"Harbour Rope Co."_s, u"33.85680° S, 151.21530° E"_s};
    QTest::newRow("no metadata, Enter") << QSize(900, 500) << QStringList() << Gesture::Enter
                                        << QStringList{u"Beacon map.jpg"_s};
}

void TestPrintPage::printsTheMapPage()
{
    QFETCH(QSize, size);
    QFETCH(QStringList, tags);
    QFETCH(Gesture, gesture);
    QFETCH(QStringList, caption);
    PrintSession session;
    const QString map = session.dir.filePath(u"Beacon map.jpg"_s);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(map, "JPG"));
    if (!tags.isEmpty())
        QCOMPARE(QProcess::execute(u"exiftool"_s, tags + QStringList{u"-q"_s, u"-overwrite_original"_s, map}), 0);

    whenChooserOpens([gesture](frmSelect &chooser) {
        clickName(chooser, u"Beacon map.jpg"_s);
        auto *list = test::control<QListWidget>(chooser, u"File1"_s);
        if (gesture == Gesture::DoubleClick)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        else if (gesture == Gesture::Enter)
            QTest::keyClick(list, Qt::Key_Return);
        else
            endChooser(chooser, Ending::Ok);
        if (chooser.isVisible()) // the gesture did nothing
            chooser.reject();
    });
    printSavedMap(&session.owner, session.dir.path());

    QCOMPARE(session.previews.previews().size(), 1);
    QCOMPARE(session.previews.previews().constFirst().owner.data(), &session.owner);
    const QString text = QString::fromUtf8(poppler(u"pdftotext"_s, {session.pdf(), u"-"_s}));
    for (const QString &line : caption)
        QVERIFY2(text.contains(line), qPrintable(text));
    QVERIFY(poppler(u"pdfinfo"_s, {session.pdf()}).simplified().contains("Pages: 1 "));
    // At 72 dpi a pixel of the page is a point.
    const QImage page = QImage::fromData(poppler(u"pdftoppm"_s, {u"-r"_s, u"72"_s, u"-png"_s, session.pdf()}));
    QCOMPARE(page.width() > page.height(), size.width() > size.height());
    const QRectF printable = session.previews.previews().constFirst().pageLayout.paintRectPoints();
    const QRect shown = redArea(page);
    QVERIFY(qAbs(qreal(shown.width()) / shown.height() / (qreal(size.width()) / size.height()) - 1) < 0.01);
    QVERIFY(qAbs(shown.width() - printable.width()) < 0.01 * printable.width()
            || qAbs(shown.height() - printable.height()) < 0.01 * printable.height());
    QVERIFY(qAbs(QRectF(shown).center().x() - printable.center().x()) < 0.01 * printable.width());
}

void TestPrintPage::notAPictureSaysSorry()
{
    PrintSession session;
    const QString notes = session.dir.filePath(u"notes.jpg"_s);
    QVERIFY(touch(notes));
    pickAndEnd(u"notes.jpg"_s, Ending::Ok);
    printSavedMap(&session.owner, session.dir.path());

    QCOMPARE(session.messages.messages().size(), 1);
    QCOMPARE(session.messages.messages().constFirst().title, u"Sorry..."_s);
    QVERIFY(session.messages.messages().constFirst().text.contains(notes));
    QVERIFY(session.previews.previews().isEmpty());
}

} // namespace corvale

QTEST_MAIN(corvale::TestPrintPage)
#include "tst_printpage.moc"
