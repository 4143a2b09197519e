#pragma once
// The configuration record: 46 fields on one line, quoted texts and decimal integers in
// Windows-1252, ended by CR LF. Pure conversions between bytes and fields.

#include "record_fields.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

// A text the record cannot carry unchanged.
struct TextFault {
    enum Kind { DoubleQuote, NotInCodePage };
    Kind kind = DoubleQuote;
    int field = 0; // 1..46
    char32_t character = 0;
};

// How the refusals name a character: "U+00C9 (É)".
QString character_name(char32_t c);

// The record as it is written, or the first text that cannot be written unchanged (then no
// bytes): a double quote would end the text early, and the code page lacks some characters.
struct RecordBytes {
    QByteArray bytes;
    std::optional<TextFault> fault;
};
RecordBytes write_config_record(const ConfigRecord &record);

enum class RecordStatus {
    Ok,
    TooShort,   // the bytes end before the 46th field
    NotANumber, // an integer field holds something other than a decimal number
    OutOfRange, // an integer field does not fit in 16 bits
    WrongModel, // all 46 fields read, but the model field is not ours
    NoCodePage, // text beyond ASCII, and this Qt cannot decode Windows-1252
};

// Reads the 46 fields from the start of `bytes` into `record`, in order. On a failure the
// fields before the failing one hold what was read and the later ones keep their values, and
// *failed_field, when given, is the number (1..46) of the failing one.
// The model field is compared only after all 46 fields are read.
RecordStatus read_config_record(QByteArrayView bytes, ConfigRecord &record,
                                int *failed_field = nullptr);
