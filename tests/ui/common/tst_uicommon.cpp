// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include "ui/common/messagebox.h"
#include "ui/common/twips.h"

using namespace Qt::StringLiterals;

namespace corvale {

class TestUiCommon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twips_data();
    void twips();
    void realMessageBox();
};

void TestUiCommon::twips_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("just under a half") << 7 << 0;
    QTest::newRow("just over a half") << 8 << 1;
    QTest::newRow("negative, halves away from zero") << -8 << -1;
}

void TestUiCommon::twips()
{
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(twipsRect(twips, 15, 30, twips), QRect(pixels, 1, 2, pixels));
    QCOMPARE(twipsPoint(twips, 45), QPoint(pixels, 3));
}

void TestUiCommon::realMessageBox()
{
    QWidget owner;
    QTimer::singleShot(0, &owner, [&owner] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        // Closed whatever the checks find, so that nothing waits for a click.
        const auto close = qScopeGuard([box] { box->done(0); });
        QVERIFY(box->parentWidget() == &owner && box->icon() == QMessageBox::NoIcon);
        QCOMPARE(QStringList({box->windowTitle(), box->text()}), QStringList({u"Success..."_s, u"Map saved"_s}));
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    });
    showMessage(&owner, u"Map saved"_s, u"Success..."_s);
}

} // namespace corvale

QTEST_MAIN(corvale::TestUiCommon)
#include "tst_uicommon.moc"
