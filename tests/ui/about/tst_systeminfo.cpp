#include <optional>

#include <QTest>

#include "scriptedpath.h"
#include "ui/about/systeminfo.h"

using namespace Qt::StringLiterals;

namespace corvale {

namespace {

// A buffer as the registry query leaves it: the data first, NULs after.
QByteArray filledBuffer(const QByteArray &data)
{
    QByteArray buffer(kRegistryBufferBytes, '\0');
    buffer.replace(0, data.size(), data);
    return buffer;
}

QByteArray utf16(const QString &text)
{
    return {reinterpret_cast<const char *>(text.utf16()), text.size() * 2};
}

} // namespace

class TestSystemInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void registryValue_data();
    void registryValue();
#ifndef Q_OS_WIN
    void programFromPath_data();
    void programFromPath();
#endif
};

void TestSystemInfo::registryValue_data()
{
    QTest::addColumn<bool>("read");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("result");

    const QString path = u"C:\\Program Files\\Common Files\\msinfo32.exe"_s;
    const QByteArray pathBytes = utf16(path);
    const qsizetype nulBytes = 2;
    const QString full(kRegistryBufferBytes / 2, u'x');

    QTest::newRow("nothing read") << false << QByteArray() << qsizetype(0) << kRegSz << QString() << false;
    QTest::newRow("string with its NUL") << true << pathBytes << pathBytes.size() + nulBytes << kRegSz
                                         << path << true;
    QTest::newRow("string without NUL") << true << pathBytes << pathBytes.size() << kRegSz << path << true;
    QTest::newRow("only one NUL goes") << true << utf16(u"ab"_s) << qsizetype(8) << kRegSz
                                       << QString(u"ab\0"_s) << true;
    QTest::newRow("cut to the length") << true << utf16(u"abcdef"_s) << qsizetype(6) << kRegSz << u"abc"_s
                                       << true;
    QTest::newRow("fills the buffer") << true << utf16(full) << kRegistryBufferBytes << kRegSz << full << true;
    QTest::newRow("no data") << true << QByteArray() << qsizetype(0) << kRegSz << QString() << true;
    QTest::newRow("dword") << true << QByteArray::fromHex("39300000") << qsizetype(4) << kRegDword
                           << u"12345"_s << true;
    QTest::newRow("dword unsigned") << true << QByteArray::fromHex("ffffffff") << qsizetype(4) << kRegDword
                                    << u"4294967295"_s << true;
    QTest::newRow("other type keeps the text") << true << utf16(u"%SystemRoot%"_s) << qsizetype(24)
                                               << quint32(2) << u"as passed"_s << true;
}

void TestSystemInfo::registryValue()
{
    QFETCH(bool, read);
    QFETCH(QByteArray, data);
    QFETCH(qsizetype, length);
    QFETCH(quint32, type);
    QFETCH(QString, expected);
    QFETCH(bool, result);

    QString value = u"as passed"_s;
    const std::optional<RegistryData> queried =
        read ? std::optional<RegistryData>(RegistryData{filledBuffer(data), length, type}) : std::nullopt;
    QCOMPARE(applyRegistryValue(queried, value), result);
    QCOMPARE(value, expected);
}

#ifndef Q_OS_WIN

void TestSystemInfo::programFromPath_data()
{
    QTest::addColumn<QList<int>>("executables");
    QTest::addColumn<QList<int>>("plainFiles");
    QTest::addColumn<int>("expected");
    QTest::newRow("none") << QList<int>{} << QList<int>{} << -1;
    QTest::newRow("only the last") << QList<int>{2} << QList<int>{} << 2;
    QTest::newRow("the first of several") << QList<int>{0, 1, 2} << QList<int>{} << 0;
    QTest::newRow("not executable is no program") << QList<int>{2} << QList<int>{0} << 2;
}

void TestSystemInfo::programFromPath()
{
    QFETCH(QList<int>, executables);
    QFETCH(QList<int>, plainFiles);
    QFETCH(int, expected);
    const ScriptedPath path;
    for (int index : executables)
        QVERIFY(path.add(kSystemInfoPrograms.at(index).program, "#!/bin/sh\n"));
    for (int index : plainFiles)
        QVERIFY(path.add(kSystemInfoPrograms.at(index).program, "#!/bin/sh\n", QFileDevice::ReadOwner));

    QCOMPARE(systemInfoProgram().program,
             expected < 0 ? QString() : path.filePath(kSystemInfoPrograms.at(expected).program));
}

#endif

} // namespace corvale

QTEST_APPLESS_MAIN(corvale::TestSystemInfo)
#include "tst_systeminfo.moc"
