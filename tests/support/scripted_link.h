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
public:
    struct Entry {
        bool sent; // a frame sent, or a reply taken
        QByteArray bytes;
    };

    using SerialLink::SerialLink;

    // Fails with `refuse_open` (and `refuse_fault`) when it is set.
    bool open(const QString &) override
    {
        m_error = refuse_open;
        m_open = refuse_open.isEmpty();
        m_lost = false;
        m_input.clear();
        return m_open;
    }
    void close() override { m_open = false; }
    bool is_open() const override { return m_open; }
    bool send(const QByteArray &bytes) override
    {
        if (!m_open || m_lost) {
            m_error = m_lost ? LINE_LOST : NOT_OPEN;
            return false;
        }
        transcript.append({true, bytes});
        if (on_send)
            on_send(bytes);
        return true;
    }
    qsizetype available() const override { return m_input.size(); }
    QByteArray take() override
    {
        transcript.append({false, std::exchange(m_input, {})});
        return transcript.last().bytes;
    }
    void discard() override { m_input.clear(); }
    QString error_string() const override { return m_error; }
    PortFault fault() const override { return m_lost ? PortFault::Lost : refuse_fault; }

    // Bytes arriving from the far end (ignored while closed or lost).
    void deliver(const QByteArray &bytes)
    {
        if (!m_open || m_lost || bytes.isEmpty())
            return;
        m_input += bytes;
        emit received();
    }
    // The line vanishes.
    void drop()
    {
        if (!m_open || m_lost)
            return;
        m_lost = true;
        m_error = LINE_LOST;
        emit lost(m_error);
    }

    QString refuse_open;
    PortFault refuse_fault = PortFault::Missing;
    // Called with every frame sent, after it is recorded.
    std::function<void(const QByteArray &)> on_send;
    QList<Entry> transcript;

private:
    inline static const QString LINE_LOST = QStringLiteral("the scripted line was dropped");
    inline static const QString NOT_OPEN = QStringLiteral("the scripted line is not open");

    QByteArray m_input;
    QString m_error;
    bool m_open = false;
    bool m_lost = false;
};
