#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/common/apptitle.h"
#include "ui/common/messagebox.h"

using namespace Qt::StringLiterals;

namespace corvale {

class TestMessageBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recorderKeepsMessagesInOrder();
    void recorderRestoresThePreviousShower();
    void realBoxHasOneButtonAndNoIcon();
};

void TestMessageBox::recorderKeepsMessagesInOrder()
{
    QWidget owner;
    MessageRecorder recorder;
    showMessage(&owner, u"first"_s, kAppTitle);
    showMessage(nullptr, u"second"_s, u"Sorry..."_s);

    QCOMPARE(recorder.messages().size(), 2);
    QCOMPARE(recorder.messages().at(0).parent, &owner);
    QCOMPARE(recorder.messages().at(0).text, u"first"_s);
    QCOMPARE(recorder.messages().at(0).title, u"Corvale"_s);
    QCOMPARE(recorder.messages().at(1).parent, nullptr);
    QCOMPARE(recorder.messages().at(1).text, u"second"_s);
    QCOMPARE(recorder.messages().at(1).title, u"Sorry..."_s);
}

void TestMessageBox::recorderRestoresThePreviousShower()
{
    MessageRecorder outer;
    {
        MessageRecorder inner;
        showMessage(nullptr, u"inner"_s, kAppTitle);
        QCOMPARE(inner.messages().size(), 1);
    }
    showMessage(nullptr, u"outer"_s, kAppTitle);
    QCOMPARE(outer.messages().size(), 1);
    QCOMPARE(outer.messages().constFirst().text, u"outer"_s);
}

void TestMessageBox::realBoxHasOneButtonAndNoIcon()
{
    QWidget owner;
    struct Seen
    {
        QWidget *parent = nullptr;
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Information;
        QList<QMessageBox::StandardButton> buttons;
    } seen;
    QTimer::singleShot(0, &owner, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen = {box->parentWidget(), box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton *button : box->buttons())
            seen.buttons.append(box->standardButton(button));
        box->buttons().constFirst()->click();
    });

    showMessage(&owner, u"Map saved as /tmp/x.jpg"_s, u"Success..."_s);

    QCOMPARE(seen.parent, &owner);
    QCOMPARE(seen.title, u"Success..."_s);
    QCOMPARE(seen.text, u"Map saved as /tmp/x.jpg"_s);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

} // namespace corvale

QTEST_MAIN(corvale::TestMessageBox)
#include "tst_messagebox.moc"
