// The record format: the exact bytes written and what the lenient reader accepts. Saving a
// record file: a failure never costs the old file, and a save keeps its mode and owner; each save
// runs in a child process, which alone gets the limits of the row.

#include "config_record.h"
#include "file_texts.h"
#include "panel_notation.h"
#include "record_file.h"
#include "whole_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace
{

constexpr uid_t NOBODY = 65534;
// Field numbers (1..46) of the fields the reader cases change.
constexpr int PANEL = 2;
constexpr int IN1_CODE = 4;
constexpr int OUT1_CODE = 24;
constexpr int OUT10_DESIG = 41;
constexpr int OUTLMSB = 46;

// A save over an old file, in a child process that alone gets the limits.
struct SaveCase {
    uint mode = 0666;         // of the old file
    bool nobody_owns = false; // else the test's own user
    QString limits;           // as the child takes them
    int padding = 0;          // bytes added to the old file
    bool saved = false;       // for a user other than root
    QString reason;           // a piece of the reason given
};

// Mode, owner and group, which a save keeps.
QList<uint> owner_and_mode(const QString &path)
{
    const QFileInfo info(path);
    return {uint(info.permissions()), info.ownerId(), info.groupId()};
}

} // namespace

Q_DECLARE_METATYPE(SaveCase)

class TestRecordFile : public QObject
{
    Q_OBJECT

private slots:
    void reads_leniently_writes_exactly_data()
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

        // The record as the writer lays it out, and read back field by field.
        const QByteArray example = "\"00-00574-000\",\"NORTH PANEL\",\"FIRE ALARM\",12," +
                                   QByteArray("\"DESIGNATION\",160,").repeated(19) + "1,0,0,0\r\n";
        row("the example record", example, Ok, example);
        row("no line end", blank.join(','), Ok, as_written);
        row("blanks after commas", blank.join(", \t"), Ok, as_written);
        row("one field a line, LF", blank.join('\n'), Ok, as_written);
        row("one field a line, CR", blank.join('\r'), Ok, as_written);
        row("47th field and more lines", with(OUTLMSB, "5,\"MORE\",7") + "garbage\r\n\"x\",1\r\n",
            Ok, with(OUTLMSB, "5"));
        row("text after a closing quote", with(PANEL, "\"N\" and more"), Ok, with(PANEL, "\"N\""));
        row("quoted comma and line end", with(PANEL, "\"A,\r\nB\""), Ok,
            with(PANEL, "\"A,\r\nB\""));
        row("unquoted text", with(PANEL, "NORTH  "), Ok, with(PANEL, "\"NORTH\""));
        row("every character", every_character, Ok, every_character);
        row("empty text", with(PANEL, "\"\""), Ok, with(PANEL, "\"\""));
        row("lowest number", with(IN1_CODE, "-32768"), Ok, with(IN1_CODE, "-32768"));
        row("highest number", with(OUTLMSB, "32767"), Ok, with(OUTLMSB, "32767"));
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

    void reads_leniently_writes_exactly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, read_as);
        ConfigRecord record;
        QTEST(read_config_record(bytes, record), "status");
        if (!read_as.isEmpty())
            QCOMPARE(write_config_record(record).bytes, read_as);
    }

    void save_keeps_the_old_file_data()
    {
        QTest::addColumn<SaveCase>("c");
        const auto row = [](const char *name, const SaveCase &c) { QTest::newRow(name) << c; };
        // Root may write over a read-only file; anyone else is refused.
        row("read-only", {.mode = 0444});
        row("group-readable", {.mode = 0640, .saved = true});
        row("another owner's", {.mode = 0640, .nobody_owns = true, .saved = true});
        // The old file is writable by anyone, so only the folder or the size limit can stop the
        // save; the new record is over a kilobyte, the old one under 512 bytes.
        row("file size limit", {.limits = u"512"_s});
        row("folder not writable: in place", {.limits = u"nobody"_s, .saved = true});
        row("in place, past the size limit: put back", {.limits = u"nobody,512"_s});
        row("in place, no room for a copy", {.limits = u"nobody,512"_s,
                                             .padding = 600,
                                             .reason = files::SAVE_NO_COPY.section(u'\n', 0, 0)});
    }

    void save_keeps_the_old_file()
    {
        QFETCH(SaveCase, c);
        const auto [mode, nobody_owns, limits, padding, saved_as_user, reason] = c;
        const bool root = ::geteuid() == 0;
        if (nobody_owns && !root)
            QSKIP("only root can save over another user's file");
        const bool saved = saved_as_user || (root && limits.isEmpty());
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString folder = m_dir.filePath(tag);
        const QString data = m_dir.filePath(u"data of "_s + tag);
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(data));
        const QString file = QDir(folder).filePath(u"old.olc"_s);
        const QByteArray old =
            write_config_record(record_of(QString())).bytes + QByteArray(padding, ' ');
        QVERIFY(put_file(file, old));
        const QByteArray name = QFile::encodeName(file);
        QCOMPARE(chmod(name.constData(), mode), 0);
        if (nobody_owns)
            QCOMPARE(chown(name.constData(), NOBODY, NOBODY), 0);
        const QList<uint> before = owner_and_mode(file);
        // nobody must reach the folder but not write in it, and may keep copies in its data folder.
        const QByteArray folder_name = QFile::encodeName(folder);
        QCOMPARE(chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        QCOMPARE(chmod(QFile::encodeName(data).constData(), 0777), 0);
        if (limits.contains(u"nobody"_s))
            QCOMPARE(chmod(folder_name.constData(), 0555), 0);

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_s, data);
        environment.insert(u"TMPDIR"_s, data); // where a copy goes when the data folder fails
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(SAVE_CHILD), {file, limits});
        QVERIFY(child.waitForFinished());
        chmod(folder_name.constData(), 0755);
        QCOMPARE(child.exitCode(), 0);
        const QStringList output =
            QString::fromLocal8Bit(child.readAllStandardOutput()).split(u'\n');
        QCOMPARE(output.value(0).toInt(), int(saved ? SaveStatus::Ok : SaveStatus::NotWritten));
        QVERIFY2(output.value(1).contains(reason), qPrintable(output.value(1)));
        QCOMPARE(file_bytes(file) == old, !saved);
        QCOMPARE(owner_and_mode(file), before);
        // No temporary file beside it, and no copy left once the old content is safe.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"old.olc"_s});
        QDirIterator copies(data, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QVERIFY2(!copies.hasNext(), qPrintable(copies.hasNext() ? copies.next() : QString()));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_APPLESS_MAIN(TestRecordFile)
#include "tst_record_file.moc"
