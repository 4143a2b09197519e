// The window program's command line: --help and --version from the real program on a machine
// without a display, and the options the window reads once the window system has taken its own.

#include "window_options.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answers_without_a_display_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output_start");
        QTest::addColumn<QString>("output_contains");
        const QString version = u"converter-config " CONVERTER_VERSION "\n"_s;
        // The window system's options are left for later; --help answers at once.
        QTest::newRow("-platform xcb --help")
            << QStringList{u"-platform"_s, u"xcb"_s, u"--help"_s} << u"Usage: "_s << u"--help"_s;
        QTest::newRow("--version") << QStringList{u"--version"_s} << version << version;
    }
    void answers_without_a_display()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output_start);
        QFETCH(QString, output_contains);
        // No display and no platform chosen: a window system would abort the program.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(WINDOW_PROGRAM), arguments);
        QVERIFY(program.waitForFinished());
        const QString output = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(output.startsWith(output_start) && output.contains(output_contains),
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
