#include <QDir>
#include <QFile>
#include <QTest>

#include "lookupprobes.h"

using namespace corvale::test;

// Every input that once made a fuzz target fail, run through the same probe.
class TestFuzzRegressions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void probe_data();
    void probe();
};

void TestFuzzRegressions::probe_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("input");

    const QDir regressions(QStringLiteral(CORVALE_FUZZ_REGRESSIONS));
    for (const QString &target : {QStringLiteral("pagetext"), QStringLiteral("lookups"), QStringLiteral("query")}) {
        const QDir folder(regressions.filePath(target));
        for (const QString &name : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::newRow(qPrintable(target + u'/' + name)) << target << file.readAll();
        }
    }
}

void TestFuzzRegressions::probe()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, input);
    const QString fault = target == u"pagetext" ? probePageText(input)
        : target == u"lookups"                  ? probeLookups(input)
                                                : probeQueryEncoding(input);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
