// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTemporaryDir>
#include <QTest>

#include "messagerecorder.h"
#include "scopedenv.h"
#include "ui/about/frmabout.h"
#include "ui/about/systeminfo.h"
#include "uitest.h"

using namespace Qt::StringLiterals;

namespace corvale {

using test::control;

class TestAboutWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void systemInfo_data();
    void systemInfo();
    void link_data();
    void link();
};

void TestAboutWindow::systemInfo_data()
{
    // Programs on the PATH by their place in the search order; "-": one that
    // may not run, "!": one whose interpreter is missing.
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<int>("started");
    QTest::newRow("none") << QStringList() << -1;
    QTest::newRow("the first of several, with its argument") << QStringList{u"1"_s, u"2"_s, u"3"_s} << 1;
    QTest::newRow("one that may not run is none") << QStringList{u"0-"_s, u"2"_s} << 2;
    QTest::newRow("one that will not start") << QStringList{u"0!"_s} << -1;
}

void TestAboutWindow::systemInfo()
{
    QFETCH(QStringList, programs);
    QFETCH(int, started);
    QTemporaryDir bin;
    const test::ScopedEnv path("PATH", QFile::encodeName(bin.path()));
    for (const QString &program : std::as_const(programs))
        QVERIFY(test::writeFile(bin.filePath(kSystemInfoPrograms.at(program.left(1).toInt()).program),
                                program.endsWith(u'!') ? "#!/nonexistent/interpreter\n"
                                                       : "#!/bin/sh\necho \"${0##*/} $# $*\" >> \"${0%/*}/started\"\n",
                                !program.endsWith(u'-')));
    test::MessageRecorder messages;
    frmAbout about;
    about.show();

    QTest::mouseClick(control(about, u"cmdSysInfo"_s), Qt::LeftButton);

    if (started >= 0) {
        const SystemInfoCandidate &candidate = kSystemInfoPrograms.at(started);
        QTRY_COMPARE(
            QString::fromUtf8(test::readAll(bin.filePath(u"started"_s))),
            u"%1 %2 %3\n"_s.arg(candidate.program).arg(candidate.argument.isEmpty() ? 0 : 1).arg(candidate.argument));
    }
    QCOMPARE(messages.messages().size(), started < 0 ? 1 : 0);
    for (const test::ShownMessage &message : messages.messages()) {
        QCOMPARE(QStringList({message.text, message.title}),
                 QStringList({u"System Information Is Unavailable At This Time"_s, u"Corvale"_s}));
        QCOMPARE(message.parent.data(), &about);
    }
    QVERIFY(about.isVisible());
}

void TestAboutWindow::link_data()
{
    // How xdg-open on the PATH exits; empty: there is none.
    QTest::addColumn<QString>("exitCode");
    QTest::addColumn<bool>("sorry");
    QTest::newRow("a browser opened it") << u"0"_s << false;
    QTest::newRow("xdg-open found no browser") << u"3"_s << true;
    QTest::newRow("no xdg-open") << QString() << true;
}

void TestAboutWindow::link()
{
    QFETCH(QString, exitCode);
    QFETCH(bool, sorry);
    QTemporaryDir bin;
    const test::ScopedEnv path("PATH", QFile::encodeName(bin.path()));
    if (!exitCode.isEmpty())
        QVERIFY(test::writeFile(bin.filePath(u"xdg-open"_s),
                                "#!/bin/sh\necho \"$*\" >> \"${0%/*}/opened\"\nexit " + exitCode.toLatin1() + '\n',
                                true));
    test::MessageRecorder messages;
    frmAbout about;
    about.show();

    // By Enter and by Space.
    QTest::keyClick(control(about, u"blue"_s), Qt::Key_Return);
    QTest::keyClick(control(about, u"blue"_s), Qt::Key_Space);

    // The opener runs on its own (as long as the browser, maybe): the window
    // does not wait for it. It belongs to the application and goes once it ends.
    QVERIFY(about.isVisible());
    QTRY_VERIFY(qApp->findChildren<QProcess *>().isEmpty());
    QCOMPARE(QString::fromUtf8(test::readAll(bin.filePath(u"opened"_s))),
             exitCode.isEmpty() ? QString() : (kMakerWebAddress + u'\n').repeated(2));
    QCOMPARE(messages.messages().size(), sorry ? 2 : 0);
    for (const test::ShownMessage &message : messages.messages()) {
        QCOMPARE(message.title, u"Sorry..."_s);
        QCOMPARE(message.parent.data(), &about);
    }
}

} // namespace corvale

QTEST_MAIN(corvale::TestAboutWindow)
#include "tst_aboutwindow.moc"
