// The window program's command line: --help from the real program on a machine without a
// display, and the options the window reads once the window system has taken its own.

#include "window_options.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // The window system's options are left for later: --help answers at once, also on a machine
    // without a display (no display and no platform chosen: a window system would abort the
    // program). Each program's plain --help and --version: see the package test.
    void help_without_a_display()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(WINDOW_PROGRAM), {u"-platform"_s, u"xcb"_s, u"--help"_s});
        QVERIFY(program.waitForFinished());
        const QString output = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(output.startsWith(u"Usage: "_s) && output.contains(u"--help"_s),
                 qPrintable(output));
        QVERIFY(program.readAllStandardError().isEmpty());
    }

    void options_for_the_window_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("error");
        QTest::newRow("none") << QStringList{} << true << QString();
        QTest::newRow("unknown option")
            << QStringList{u"--bogus"_s} << false << u"Unknown option 'bogus'."_s;
        QTest::newRow("a word") << QStringList{u"north.olc"_s} << false
                                << u"converter-config takes no arguments: north.olc"_s;
    }
    void options_for_the_window()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, accepted);
        QCoreApplication::setApplicationName(u"converter-config"_s);
        WindowOptions line;
        QCOMPARE(line.read(QStringList{u"converter-config"_s} + arguments), accepted);
        QTEST(line.error_text(), "error");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_window_options.moc"
