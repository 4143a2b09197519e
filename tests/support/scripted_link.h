#pragma once
// A SerialLink with nothing behind it: the test decides what arrives and when, and every frame
// sent and every reply taken is kept in order, so what a run claims can be checked against what
// really went over the line.

#include "serial_link.h"

#include <QByteArray>
#include <QList>
#include <functional>

class ScriptedLink : public SerialLink
{
    Q_OBJECT

public:
    struct Entry {
        bool sent; // a frame sent, or a reply taken
        QByteArray bytes;
    };

    using SerialLink::SerialLink;

    bool open(const QString &device) override;
    void close() override { m_open = false; }
    bool is_open() const override { return m_open; }
    bool send(const QByteArray &bytes) override;
    qsizetype available() const override { return m_input.size(); }
    QByteArray take() override;
    void discard() override { m_input.clear(); }
    QString error_string() const override { return m_error; }

    // Bytes arriving from the far end (ignored while closed or lost).
    void deliver(const QByteArray &bytes);
    // The line vanishes.
    void drop();

    // Opening fails with this reason when set.
    QString refuse_open;
    // Called with every frame sent, after it is recorded.
    std::function<void(const QByteArray &)> on_send;
    QList<Entry> transcript;

private:
    QByteArray m_input;
    QString m_error;
    bool m_open = false;
    bool m_lost = false;
};
