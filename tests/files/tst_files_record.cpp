// The record format alone: exact bytes written, and what the lenient reader accepts.

#include "config_record.h"
#include "panel_notation.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

// Field numbers (1..46) of the fields the reader cases change.
constexpr int PANEL = 2;
constexpr int IN1_CODE = 4;
constexpr int OUT1_CODE = 24;
constexpr int OUT10_DESIG = 41;
constexpr int OUTLMSB = 46;

} // namespace

class TestFilesRecord : public QObject
{
    Q_OBJECT

private slots:
    void writes_the_example_record();
    void reads_leniently_data();
    void reads_leniently();
};

void TestFilesRecord::writes_the_example_record()
{
    ConfigRecord record = record_of(QString());
    record.panel = u"NORTH PANEL"_s;
    record.indesig[0] = u"FIRE ALARM"_s;
    record.in[0] = 12;
    record.loops = {1, 0, 0, 0};
    QCOMPARE(write_config_record(record).bytes,
             "\"00-00574-000\",\"NORTH PANEL\",\"FIRE ALARM\",12," +
                 QByteArray("\"DESIGNATION\",160,").repeated(19) + "1,0,0,0\r\n");
}

void TestFilesRecord::reads_leniently_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<RecordStatus>("status");
    QTest::addColumn<QByteArray>("read_as"); // what the fields read write back as, if checked

    const QList<QByteArray> blank =
        write_config_record(record_of(QString())).bytes.chopped(2).split(',');
    const QByteArray as_written = blank.join(',') + "\r\n";
    auto with = [&](int field, const QByteArray &text) {
        QList<QByteArray> fields = blank;
        fields[field - 1] = text;
        return fields.join(',') + "\r\n";
    };
    auto row = [](const char *name, const QByteArray &bytes, RecordStatus status,
                  const QByteArray &read_as = {}) {
        QTest::newRow(name) << bytes << status << read_as;
    };
    using enum RecordStatus;
    // Every byte but the quote (0x80 is the euro sign), commas and line ends included.
    QByteArray every_byte = "\"";
    for (int b = 0; b < 256; ++b)
        if (b != '"')
            every_byte += static_cast<char>(b);
    const QByteArray every_character = with(OUT10_DESIG, every_byte + '"');

    row("no line end", blank.join(','), Ok, as_written);
    row("blanks after commas", blank.join(", \t"), Ok, as_written);
    row("one field a line, LF", blank.join('\n'), Ok, as_written);
    row("one field a line, CR", blank.join('\r'), Ok, as_written);
    row("47th field and more lines", with(OUTLMSB, "5,\"MORE\",7") + "garbage\r\n\"x\",1\r\n", Ok,
        with(OUTLMSB, "5"));
    row("text after a closing quote", with(PANEL, "\"N\" and more"), Ok, with(PANEL, "\"N\""));
    row("quoted comma and line end", with(PANEL, "\"A,\r\nB\""), Ok, with(PANEL, "\"A,\r\nB\""));
    row("unquoted text", with(PANEL, "NORTH  "), Ok, with(PANEL, "\"NORTH\""));
    row("every character", every_character, Ok, every_character);
    row("empty text", with(PANEL, "\"\""), Ok, with(PANEL, "\"\""));
    row("lowest number", with(IN1_CODE, "-32768"), Ok, with(IN1_CODE, "-32768"));
    row("highest number", with(OUTLMSB, "32767"), Ok, with(OUTLMSB, "32767"));
    row("code of 200", with(IN1_CODE, "200"), Ok, with(IN1_CODE, "200"));
    row("negative code", with(IN1_CODE, "-5"), Ok, with(IN1_CODE, "-5"));
    row("sign, zeros and blanks", with(IN1_CODE, "+0012 "), Ok, with(IN1_CODE, "12"));
    row("quoted number", with(OUT1_CODE, "\"7\""), Ok, with(OUT1_CODE, "7"));

    row("empty file", QByteArray(), TooShort);
    row("45 fields", blank.mid(0, 45).join(','), TooShort);
    row("unclosed quote", with(OUT10_DESIG, "\"OPEN"), TooShort);
    row("32768", with(IN1_CODE, "32768"), OutOfRange);
    row("-32769", with(OUTLMSB, "-32769"), OutOfRange);
    row("many digits", with(IN1_CODE, QByteArray(40, '9')), OutOfRange);
    row("number and letters", with(IN1_CODE, "12a"), NotANumber);
    row("empty number", with(OUT1_CODE, ""), NotANumber);
    row("lone sign", with(OUT1_CODE, "-"), NotANumber);
    // The model is compared only once every field has been read.
    const QByteArray other_model = with(OUTLMSB, "3").replace("00-00574-000", "00-00575-000");
    row("other model", other_model, WrongModel, other_model);
}

void TestFilesRecord::reads_leniently()
{
    QFETCH(QByteArray, bytes);
    QFETCH(RecordStatus, status);
    QFETCH(QByteArray, read_as);
    ConfigRecord record;
    QCOMPARE(read_config_record(bytes, record), status);
    if (!read_as.isEmpty())
        QCOMPARE(write_config_record(record).bytes, read_as);
}

QTEST_APPLESS_MAIN(TestFilesRecord)
#include "tst_files_record.moc"
