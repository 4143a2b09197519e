#pragma once
// The main window's form-level variables: one configuration in module and file encodings,
// and the flags and working fields through which the window's routines hand results on.

#include <QString>
#include <QtGlobal>
#include <array>

constexpr int SLOT_COUNT = 10;
constexpr qint16 TRUE16 = -1; // the 16-bit Boolean True kept in `busy`
constexpr qint16 FALSE16 = 0;

// Per-slot arrays are indexed by k - 1: inw[0] is in1w, outl[9] is out10l, and so on.
struct ConverterConfig {
    using Slots = std::array<qint16, SLOT_COUNT>;

    // Point codes gathered from the window for writing: in1w..in10w, out1w..out10w.
    Slots inw{};
    Slots outw{};
    // Loop flags: 0 for DATA-A, the slot's bit value for DATA-B: in1l..in10l, out1l..out10l.
    Slots inl{};
    Slots outl{};
    // Loop bytes: the loop flags packed eight to a byte.
    qint16 inllsb = 0;
    qint16 inlmsb = 0;
    qint16 outllsb = 0;
    qint16 outlmsb = 0;

    // File staging: point codes and texts as read from a file, before they reach the window.
    Slots in{};
    Slots out{};
    std::array<QString, SLOT_COUNT> indesig;
    std::array<QString, SLOT_COUNT> outdesig;
    QString panel;
    QString rmodel;
    QString wmodel;

    // Flags and working fields.
    qint16 busy = FALSE16;
    qint16 error_flag = 0;
    qint16 timer_flag = 0;
    qint16 A = 0;
    qint16 m_index = 0;
    qint16 c_index = 0;
    qint16 address_l = 0;
    qint16 data_l = 0;
    qint16 temp1 = 0;
};
