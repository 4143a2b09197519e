#pragma once
// The conversation with the module: the attention handshake and the three exchange routines,
// passing arguments and results through the window's variables (address_l, data_l in; A,
// error_flag, temp1 and the status line out).

class ComPort;
class Form1;
class LinkWaits;
class StepGuard;
struct ConverterConfig;

#include <QtGlobal>

class ModuleExchanges
{
public:
    ModuleExchanges(Form1 &form, ComPort &port, LinkWaits &waits);

    // Up to six "A" sends, each followed by a reply wait; true when exactly the acknowledgement
    // was taken and the last wait saw no tick. Each of its steps runs under `steps`.
    bool attention_handshake(StepGuard &steps);
    // Stores data_l at address_l and reads it back.
    void write_and_verify();
    // Reads address_l into A, accepting 0..160 or 0..255.
    void read_point_code();
    void read_loop_byte();

private:
    void read_value(qint16 limit);
    // Input that came after an earlier wait had ended answers no request of ours.
    void send_fresh(const QByteArray &frame);
    qint16 value_of(const QByteArray &reply) const;

    Form1 &m_form;
    ConverterConfig &m_config;
    ComPort &m_port;
    LinkWaits &m_waits;
};
