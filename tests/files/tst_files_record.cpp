// The record format alone: exact bytes written, and what the lenient reader accepts.

#include "config_record.h"
#include "file_texts.h"

#include <QStringDecoder>
#include <QTest>

namespace
{

const QByteArray UNASSIGNED_SIDE = QByteArrayLiteral("\"DESIGNATION\",160");

// A record of unassigned slots, every designation the placeholder.
ConfigRecord blank_record()
{
    ConfigRecord record;
    record.model = files::MODEL_ID;
    record.panel = QStringLiteral("P");
    record.indesig.fill(QStringLiteral("DESIGNATION"));
    record.outdesig.fill(QStringLiteral("DESIGNATION"));
    record.in.fill(160);
    record.out.fill(160);
    return record;
}

// The bytes of a record whose fields are given as they appear in the file.
QByteArray line_of(const QList<QByteArray> &fields, const QByteArray &end = "\r\n")
{
    return fields.join(',') + end;
}

QList<QByteArray> blank_fields()
{
    QList<QByteArray> fields{"\"00-00574-000\"", "\"P\""};
    for (int side = 0; side < 2 * SLOT_COUNT; ++side)
        fields << "\"DESIGNATION\""
               << "160";
    fields << "0"
           << "0"
           << "0"
           << "0";
    return fields;
}

// Field numbers (1..46) of a few fields the cases below change.
constexpr int PANEL = 2;
constexpr int IN1_CODE = 4;
constexpr int IN3_DESIG = 7;
constexpr int OUT1_CODE = 24;
constexpr int OUT10_DESIG = 41;
constexpr int OUTLMSB = 46;

} // namespace

class TestFilesRecord : public QObject
{
    Q_OBJECT

private slots:
    void writes_the_example_record();
    void round_trips_data();
    void round_trips();
    void refuses_unwritable_text_data();
    void refuses_unwritable_text();
    void reads_leniently_data();
    void reads_leniently();
    void failed_read_keeps_unreached_fields();
};

void TestFilesRecord::writes_the_example_record()
{
    ConfigRecord record = blank_record();
    record.panel = QStringLiteral("NORTH PANEL");
    record.indesig[0] = QStringLiteral("FIRE ALARM");
    record.in[0] = 12;
    record.loops = {1, 0, 0, 0};

    const RecordBytes written = write_config_record(record);
    QVERIFY(!written.fault);
    QByteArray expected = "\"00-00574-000\",\"NORTH PANEL\",\"FIRE ALARM\",12,";
    for (int side = 2; side <= 2 * SLOT_COUNT; ++side)
        expected += UNASSIGNED_SIDE + ',';
    expected += "1,0,0,0\r\n";
    QCOMPARE(written.bytes, expected);
    QVERIFY(written.bytes.startsWith(
        "\"00-00574-000\",\"NORTH PANEL\",\"FIRE ALARM\",12,\"DESIGNATION\",160,"));
    QVERIFY(written.bytes.endsWith("\"DESIGNATION\",160,1,0,0,0\r\n"));
}

void TestFilesRecord::round_trips_data()
{
    QTest::addColumn<ConfigRecord>("record");

    ConfigRecord texts = blank_record();
    texts.panel = QStringLiteral("A PANEL NAME LONGER THAN TWELVE");
    texts.indesig[0] = QStringLiteral("PUMP, MAIN");
    texts.indesig[1] = QStringLiteral("  LEADING AND TRAILING  ");
    texts.outdesig[9] = QStringLiteral(",\t, ,");
    texts.indesig[4] = QString();
    QTest::newRow("commas and blanks") << texts;

    // Every character of the code page but the quote, and the line ends inside quotes.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != '"')
            all += static_cast<char>(b);
    ConfigRecord code_page = blank_record();
    code_page.outdesig[2] = QStringDecoder(files::CODE_PAGE).decode(all);
    code_page.panel = QStringLiteral("CAFÉ €");
    QTest::newRow("whole code page") << code_page;

    ConfigRecord numbers = blank_record();
    numbers.in = {0, 9, 10, 159, 160, 200, -1, -32768, 32767, 12};
    numbers.out = {159, 0, 1, 2, 3, 4, 5, 6, 7, 8};
    numbers.loops = {255, 3, 170, 252};
    QTest::newRow("numbers") << numbers;
}

void TestFilesRecord::round_trips()
{
    QFETCH(ConfigRecord, record);
    const RecordBytes written = write_config_record(record);
    QVERIFY(!written.fault);
    ConfigRecord read;
    QCOMPARE(read_config_record(written.bytes, read), RecordStatus::Ok);
    QCOMPARE(read, record);
}

void TestFilesRecord::refuses_unwritable_text_data()
{
    QTest::addColumn<ConfigRecord>("record");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("field");
    QTest::addColumn<char32_t>("character");

    ConfigRecord quote = blank_record();
    quote.panel = QStringLiteral("12\" RACK");
    QTest::newRow("quote in the panel name")
        << quote << int(TextFault::DoubleQuote) << PANEL << U'"';
    ConfigRecord macron = blank_record();
    macron.indesig[2] = QStringLiteral("ĀLARM");
    QTest::newRow("letter outside the code page")
        << macron << int(TextFault::NotInCodePage) << IN3_DESIG << char32_t{0x100};
    ConfigRecord emoji = blank_record();
    emoji.outdesig[9] = QStringLiteral("OK \U0001F600");
    QTest::newRow("character beyond 16 bits")
        << emoji << int(TextFault::NotInCodePage) << OUT10_DESIG << char32_t{0x1F600};
}

void TestFilesRecord::refuses_unwritable_text()
{
    QFETCH(ConfigRecord, record);
    QFETCH(int, kind);
    QFETCH(int, field);
    QFETCH(char32_t, character);
    const RecordBytes written = write_config_record(record);
    QVERIFY(written.fault);
    QCOMPARE(int(written.fault->kind), kind);
    QCOMPARE(written.fault->field, field);
    QCOMPARE(written.fault->character, character);
    QVERIFY(written.bytes.isEmpty());
}

void TestFilesRecord::reads_leniently_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<RecordStatus>("status");
    QTest::addColumn<int>("field"); // a field to look at, 0 for none
    QTest::addColumn<QString>("value");

    const QList<QByteArray> blank = blank_fields();
    auto with = [&](int field, const QByteArray &text) {
        QList<QByteArray> fields = blank;
        fields[field - 1] = text;
        return fields;
    };
    const auto ok = RecordStatus::Ok;

    QTest::newRow("as written") << line_of(blank) << ok << 0 << QString();
    QTest::newRow("no line end") << line_of(blank, "") << ok << 0 << QString();
    QTest::newRow("blanks after commas") << blank.join(", \t") << ok << 0 << QString();
    QTest::newRow("one field a line, CR LF") << blank.join("\r\n") << ok << 0 << QString();
    QTest::newRow("one field a line, LF") << blank.join("\n") << ok << 0 << QString();
    QTest::newRow("one field a line, CR") << blank.join("\r") << ok << 0 << QString();
    QTest::newRow("split after commas") << blank.join(",  \r\n") << ok << 0 << QString();
    QTest::newRow("47th field and more lines")
        << line_of(blank + QList<QByteArray>{"\"MORE\"", "7"}) + "garbage\r\n\"x\",1\r\n"
        << ok << OUTLMSB << QStringLiteral("0");
    QTest::newRow("text after a closing quote")
        << line_of(with(PANEL, "\"NORTH\" and more")) << ok << PANEL << QStringLiteral("NORTH");
    QTest::newRow("quoted text spans a comma and a line end")
        << line_of(with(PANEL, "\"A,\r\nB\"")) << ok << PANEL << QStringLiteral("A,\r\nB");
    QTest::newRow("unquoted text")
        << line_of(with(PANEL, "NORTH PANEL  ")) << ok << PANEL << QStringLiteral("NORTH PANEL");
    QTest::newRow("code page text")
        << line_of(with(PANEL, "\"\x80 \xe9\"")) << ok << PANEL << QStringLiteral("€ é");
    QTest::newRow("code of 200") << line_of(with(IN1_CODE, "200")) << ok << IN1_CODE
                                 << QStringLiteral("200");
    QTest::newRow("negative code")
        << line_of(with(IN1_CODE, "-5")) << ok << IN1_CODE << QStringLiteral("-5");
    QTest::newRow("sign, zeros and blanks")
        << line_of(with(IN1_CODE, "+0012 ")) << ok << IN1_CODE << QStringLiteral("12");
    QTest::newRow("quoted number")
        << line_of(with(OUT1_CODE, "\"7\"")) << ok << OUT1_CODE << QStringLiteral("7");
    QTest::newRow("16-bit limits")
        << line_of(with(IN1_CODE, "-32768")) << ok << IN1_CODE << QStringLiteral("-32768");

    QTest::newRow("empty file") << QByteArray() << RecordStatus::TooShort << 0 << QString();
    QTest::newRow("45 fields") << line_of(blank.mid(0, 45)) << RecordStatus::TooShort << 0
                               << QString();
    QTest::newRow("unclosed quote")
        << line_of(with(OUT10_DESIG, "\"OPEN")) << RecordStatus::TooShort << 0 << QString();
    QTest::newRow("32768") << line_of(with(IN1_CODE, "32768")) << RecordStatus::OutOfRange << 0
                           << QString();
    QTest::newRow("-32769") << line_of(with(OUTLMSB, "-32769")) << RecordStatus::OutOfRange << 0
                            << QString();
    QTest::newRow("many digits") << line_of(with(IN1_CODE, QByteArray(40, '9')))
                                 << RecordStatus::OutOfRange << 0 << QString();
    QTest::newRow("word for a number")
        << line_of(with(IN1_CODE, "TWELVE")) << RecordStatus::NotANumber << 0 << QString();
    QTest::newRow("number and letters")
        << line_of(with(IN1_CODE, "12a")) << RecordStatus::NotANumber << 0 << QString();
    QTest::newRow("empty number") << line_of(with(OUT1_CODE, "")) << RecordStatus::NotANumber << 0
                                  << QString();
    QTest::newRow("lone sign") << line_of(with(OUT1_CODE, "-")) << RecordStatus::NotANumber << 0
                               << QString();
    // The model is compared only once every field has been read.
    QTest::newRow("other model")
        << line_of(with(OUTLMSB, "3")).replace("00-00574-000", "00-00575-000")
        << RecordStatus::WrongModel << OUTLMSB << QStringLiteral("3");
    QTest::newRow("model with a trailing blank")
        << line_of(with(1, "\"00-00574-000 \"")) << RecordStatus::WrongModel << 1
        << QStringLiteral("00-00574-000 ");
}

void TestFilesRecord::reads_leniently()
{
    QFETCH(QByteArray, bytes);
    QFETCH(RecordStatus, status);
    QFETCH(int, field);
    QFETCH(QString, value);

    ConfigRecord record;
    QCOMPARE(read_config_record(bytes, record), status);
    if (field == 0)
        return;
    QString seen;
    visit_record_fields(record, [&](const auto &f, int number) {
        if (number == field) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(f)>, QString>)
                seen = f;
            else
                seen = QString::number(f);
        }
        return true;
    });
    QCOMPARE(seen, value);
}

void TestFilesRecord::failed_read_keeps_unreached_fields()
{
    QList<QByteArray> fields = blank_fields();
    fields[IN1_CODE - 1] = "12";
    fields[OUT1_CODE - 1] = "x";
    ConfigRecord record;
    record.in[0] = 99;
    record.out[0] = 98;
    record.loops.inllsb = 97;
    QCOMPARE(read_config_record(line_of(fields), record), RecordStatus::NotANumber);
    QCOMPARE(record.in[0], qint16{12});
    QCOMPARE(record.out[0], qint16{98});
    QCOMPARE(record.loops.inllsb, qint16{97});
}

QTEST_APPLESS_MAIN(TestFilesRecord)
#include "tst_files_record.moc"
