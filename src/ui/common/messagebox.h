#pragma once

#include <functional>

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace corvale {

// Shows a modal message box over parent with one OK button and no icon.
void showMessage(QWidget *parent, const QString &text, const QString &title);

using MessageShower = std::function<void(QWidget *parent, const QString &text, const QString &title)>;

// Replaces how showMessage shows (the real box at start); returns the shower
// it replaced.
MessageShower installMessageShower(MessageShower shower);

struct ShownMessage
{
    QPointer<QWidget> parent;
    QString text;
    QString title;
};

// Takes every showMessage while it lives, so that no box waits for a click,
// and keeps them in order.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    const QList<ShownMessage> &messages() const;

private:
    QList<ShownMessage> m_messages;
    MessageShower m_previous;
};

} // namespace corvale
