#include "ui/common/messagebox.h"

#include <utility>

#include <QMessageBox>

namespace corvale {

namespace {

void showMessageBox(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

MessageShower &currentShower()
{
    static MessageShower shower = showMessageBox;
    return shower;
}

} // namespace

void showMessage(QWidget *parent, const QString &text, const QString &title)
{
    currentShower()(parent, text, title);
}

MessageShower installMessageShower(MessageShower shower)
{
    return std::exchange(currentShower(), std::move(shower));
}

MessageRecorder::MessageRecorder()
    : m_previous(installMessageShower([this](QWidget *parent, const QString &text, const QString &title) {
        m_messages.append({parent, text, title});
    }))
{
}

MessageRecorder::~MessageRecorder()
{
    installMessageShower(std::move(m_previous));
}

const QList<ShownMessage> &MessageRecorder::messages() const
{
    return m_messages;
}

} // namespace corvale
