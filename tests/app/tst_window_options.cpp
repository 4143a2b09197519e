// The window program's command line: what it answers before the window system starts, the
// options the window reads once the window system has taken its own, and the window started with
// a file.

#include "config_record.h"
#include "panel_check.h"
#include "panel_notation.h"
#include "recording_prompts.h"
#include "whole_files.h"
#include "window_options.h"
#include "window_program.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // The window system's options are left for it to take: --version and --help answer before
    // it starts, so that they work without a display (the package test runs both from the real
    // program without one).
    void answers_before_the_window_system()
    {
        QCOMPARE(WindowOptions().answer_without_window(
                     {u"converter-config"_s, u"-platform"_s, u"xcb"_s, u"--version"_s}),
                 EXIT_SUCCESS);
    }

    void options_for_the_window_data()
    {
        QTest::addColumn<QStringList>("arguments");
        // What the window takes from a line it reads, "file|port|reply wait", else the error.
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, const QString &line, const QString &outcome) {
            QTest::newRow(name) << line.split(u' ', Qt::SkipEmptyParts) << outcome;
        };
        const QString bad_port = u"--port %1: give a COM number from 1 to 5, a device name such "
                                 u"as ttyUSB0, a path, or tcp://HOST:PORT or rfc2217://HOST:PORT"_s;
        const QString bad_wait =
            u"--reply-wait %1: give a whole number of milliseconds from 100 to 2000"_s;
        row("none", {}, u"||100"_s);
        row("unknown option", u"--bogus"_s, u"Unknown option 'bogus'."_s);
        row("a file", u"north.olc"_s, u"north.olc||100"_s);
        row("two files", u"a.olc b.olc"_s,
            u"converter-config opens one file at a time: a.olc b.olc"_s);
        row("COM number", u"--port com3"_s, u"|COM3|100"_s);
        row("device name", u"--port ttyUSB0"_s, u"|/dev/ttyUSB0|100"_s);
        row("relative path", u"--port pty/e1 south.olc"_s,
            u"south.olc|"_s + QDir::current().absoluteFilePath(u"pty/e1"_s) + u"|100"_s);
        row("network port", u"--port rfc2217://[::1]:2001"_s, u"|rfc2217://[::1]:2001|100"_s);
        row("COM 6", u"--port COM6"_s, bad_port.arg(u"COM6"_s));
        row("longest reply wait", u"--reply-wait 2000"_s, u"||2000"_s);
        row("reply wait below a tick", u"--reply-wait 99"_s, bad_wait.arg(u"99"_s));
        row("reply wait not a number", u"--reply-wait 1s"_s, bad_wait.arg(u"1s"_s));
    }
    void options_for_the_window()
    {
        QFETCH(QStringList, arguments);
        QCoreApplication::setApplicationName(QStringLiteral("converter-config"));
        WindowOptions line;
        const bool accepted =
            line.read(QStringList{QStringLiteral("converter-config")} + arguments);
        // The port as COM n or the device it was resolved to.
        const std::optional<PortArgument> &port = line.port();
        const QString port_text = !port ? QString() : port->com_number ? port->label : port->device;
        const QString taken =
            u"%1|%2|%3"_s.arg(line.file_name(), port_text).arg(line.reply_wait().count());
        QTEST(accepted ? taken : line.error_text(), "outcome");
    }

    // Started with a file, the window shows it as OPEN CONFIGURATION FILE would (the model's open,
    // with the check after it: IN-1 names its own OUT-1, which is cleared, and a box says so), and
    // its file dialogs start from that name; and it uses the port given.
    void opens_the_file_it_was_started_with()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"north.olc"_s);
        const ConfigRecord record = record_of(u"IN1=B3.B OUT1=B3.B IN2=A1 OUT2=C3"_s);
        QVERIFY(put_file(file, write_config_record(record).bytes));
        RecordingPrompts prompts;
        WindowOptions line;
        QVERIFY(line.read({u"converter-config"_s, u"--port"_s, u"ttyUSB0"_s, file}));
        WindowProgram program(prompts, line);
        program.start();
        QTRY_VERIFY(!program.files().running());

        QCOMPARE(program.form().panel(), open_record(record).checked.panel);
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(program.device().port_device(), u"/dev/ttyUSB0"_s);
        QTest::mouseClick(program.form().READ_FILE(), Qt::LeftButton);
        QCOMPARE(prompts.file_requests.value(0).file_name, file);
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_window_options.moc"
