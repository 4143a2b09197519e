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

struct stat status_of(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info;
}

} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT

private slots:
    void writes_the_example_record()
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

    void reads_leniently_data()
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

    void reads_leniently()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(RecordStatus, status);
        QFETCH(QByteArray, read_as);
        ConfigRecord record;
        QCOMPARE(read_config_record(bytes, record), status);
        if (!read_as.isEmpty())
            QCOMPARE(write_config_record(record).bytes, read_as);
    }

    void save_keeps_the_old_file_data()
    {
        QTest::addColumn<uint>("mode");        // of the old file
        QTest::addColumn<bool>("nobody_owns"); // else the test's own user
        QTest::addColumn<QString>("limits");   // as the child takes them
        QTest::addColumn<int>("padding");      // bytes added to the old file
        QTest::addColumn<bool>("saved");       // for a user other than root
        QTest::addColumn<QString>("reason");   // a piece of the reason given
        const auto row = [](const char *name, uint mode, bool nobody_owns, const char *limits,
                            int padding, bool saved, const QString &reason = {}) {
            QTest::newRow(name) << mode << nobody_owns << QString::fromLatin1(limits) << padding
                                << saved << reason;
        };
        // Root may write over a read-only file; anyone else is refused.
        row("read-only", 0444u, false, "", 0, false);
        row("group-readable", 0640u, false, "", 0, true);
        row("another owner's", 0640u, true, "", 0, true);
        // The old file is writable by anyone, so only the folder or the size limit can stop the
        // save; the new record is over a kilobyte, the old one under 512 bytes.
        row("file size limit", 0666u, false, "512", 0, false);
        row("folder not writable: in place", 0666u, false, "nobody", 0, true);
        row("in place, past the size limit: put back", 0666u, false, "nobody,512", 0, false);
        row("in place, no room for a copy", 0666u, false, "nobody,512", 600, false,
            files::SAVE_NO_COPY.section(u'\n', 0, 0));
    }

    void save_keeps_the_old_file()
    {
        QFETCH(uint, mode);
        QFETCH(bool, nobody_owns);
        QFETCH(QString, limits);
        QFETCH(int, padding);
        QFETCH(bool, saved);
        QFETCH(QString, reason);
        const bool root = ::geteuid() == 0;
        if (nobody_owns && !root)
            QSKIP("only root can save over another user's file");
        saved = saved || (root && limits.isEmpty());
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
        const struct stat before = status_of(file);
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
        const struct stat after = status_of(file);
        QCOMPARE(after.st_mode & 07777, mode);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
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
