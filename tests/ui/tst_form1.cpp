// The main window through its real widgets: its start-up and layout, what the person's mouse and
// keys do, and each edit's reactions: how a slot shows, the assignment check's boxes (with the
// window looked at while each is open) and what they leave. And the windows as a person sees
// them on a Linux desktop: every caption whole in the fonts the program picked, and message boxes
// that show each line of their text as one line. And the window as a keyboard and a screen reader
// work it. Runs on an offscreen desktop 1024 pixels wide, the narrowest the program is made for.

#include "com_port_dialog.h"
#include "device_commands.h"
#include "file_commands.h"
#include "file_texts.h"
#include "message_dialog.h"
#include "qt_prompts.h"
#include "recording_prompts.h"
#include "status_line.h"
#include "ui_constants.h"
#include "window_commands.h"
#include "window_fonts.h"
#include "window_notation.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace
{

// QLineEdit keeps this many pixels between its frame and its text on either side.
constexpr int LINE_EDIT_TEXT_MARGIN = 2;
// Pixels across a box on a screen narrower than the longest lines of the messages.
constexpr int NARROW_ROOM = 480;

// What of a control's caption does not fit it; nothing for a control without a caption. Several
// lines of a label need them whole, a single line only its ink (the "=" signs were designed
// smaller than their font's line), a list the width of each item.
std::optional<QString> caption_fault(const QWidget *w)
{
    const QFontMetrics metrics = w->fontMetrics();
    QString fault;
    const auto fits = [&](const QString &text, const QRect &needed, const QRect &room) {
        if (fault.isEmpty() && !room.contains(needed))
            QDebug(&fault) << w << text << "needs" << needed << "in" << room;
    };
    const auto centred = [&](const QString &text, const QSize &needed, const QRect &room) {
        fits(text, QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, needed, room), room);
    };
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        const QString text = label->text();
        const QRect room = label->contentsRect();
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect line =
            QStyle::alignedRect(Qt::LeftToRight, label->alignment(),
                                QSize(metrics.horizontalAdvance(text), metrics.height()), room);
        if (label->wordWrap() || text.contains(u'\n'))
            fits(text, metrics.boundingRect(room, flags, text), room);
        else
            fits(text,
                 metrics.tightBoundingRect(text).translated(line.left(),
                                                            line.top() + metrics.ascent()),
                 label->rect());
    } else if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        centred(option.text, metrics.size(Qt::TextShowMnemonic, option.text),
                button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button));
    } else if (const auto *edit = qobject_cast<const QLineEdit *>(w)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        centred(edit->text(), QSize(metrics.horizontalAdvance(edit->text()), metrics.height()),
                edit->style()
                    ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                    .adjusted(LINE_EDIT_TEXT_MARGIN, 0, -LINE_EDIT_TEXT_MARGIN, 0));
    } else if (const auto *list = qobject_cast<const QListWidget *>(w)) {
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.font = list->font();
        option.features = QStyleOptionViewItem::HasDisplay;
        for (int row = 0; row < list->count(); ++row) {
            const QRect item = list->visualItemRect(list->item(row));
            const QSize needed =
                list->itemDelegate()->sizeHint(option, list->model()->index(row, 0));
            fits(list->item(row)->text(),
                 QRect(item.topLeft(), QSize(needed.width(), item.height())),
                 QRect(item.left(), item.top(), list->viewport()->width(), item.height()));
        }
    } else {
        return std::nullopt;
    }
    return fault;
}

// Why a box does not show its title and each line of its text whole, in the desktop's font (as
// a QMessageBox would; a 1024-pixel screen holds every line), with one plain OK button and no
// icon; empty when it does.
QString box_fault(const MessageDialog &box, const QString &title, const QString &text)
{
    const QLabel *label = box.text_label();
    if (box.windowTitle() != title || label->text() != text || label->wordWrap())
        return u"title or text changed, or wrapped"_s;
    if (const QString cut = *caption_fault(label); !cut.isEmpty())
        return cut;
    if (!box.screen()->availableGeometry().contains(box.frameGeometry()))
        return u"box outside the screen"_s;
    if (label->font() != QApplication::font(label))
        return u"font made smaller on a wide enough screen"_s;
    const QList<QAbstractButton *> buttons = box.findChild<QDialogButtonBox *>()->buttons();
    if (buttons != QList<QAbstractButton *>{box.ok_button()} || !box.ok_button()->icon().isNull())
        return u"not one plain OK button"_s;
    for (const QLabel *other : box.findChildren<QLabel *>())
        if (!other->pixmap().isNull())
            return u"an icon is shown"_s;
    return {};
}

const QMap<QString, QString> TEXTS{
    {u"CHANNEL ASSIGNMENT ERROR"_s,
     u"THE ASSIGNED OUTPUT CHANNEL MUST BE DIFFERENT THAN THE ASSIGNED INPUT CHANNEL\n"_s +
         QString(54, u' ') + u"-- ON THE SAME LOOP --"_s},
    {u"DUPLICATE INPUT AND OUTPUT ERROR"_s,
     u"WARNING! YOU HAVE ASSIGNED AN OUTPUT ON THIS MODULE TO ANOTHER INPUT ON THIS MODULE.\n"
     "THIS MAY CAUSE SYSTEM LATCH-UP AND WILL NOT BE PERMITTED.\n"
     "IF YOU DESIRE, YOU CAN:\n"
     "  1)  ASSIGN MULTIPLE INPUTS TO THE SAME CHANNEL, WITH DIFFERENT OUTPUT CHANNELS ASSIGNED.\n"
     "  2)  ASSIGN MULTIPLE INPUTS FROM DIFFERENT CHANNELS TO THE SAME OUTPUT.\n"
     "IT IS A GOOD PRACTICE TO ONLY USE INPUT CHANNELS TO THE DATA CONVERTER MODULE THAT ARE\n"
     "GENERATED BY A QMB MODULE OTHER THAN A DATA CONVERTER MODULE."_s}};

// Slot k as the person sees it: "closed" and the colour of its input module list, or "open" and
// the colours of each side's module list, channel list and designation box (Y yellow, C light
// cyan, G greyed); "half" when only part of the row shows.
QString slot_look(const Form1 &form, int k)
{
    const QList<QColor> named{ui::YELLOW, ui::LIGHT_CYAN, Form1::greyed_text_colour()};
    const auto colour = [&](const QWidget *w) {
        const qsizetype i = named.indexOf(Form1::background(w));
        return QChar(i < 0 ? u'?' : u"YCG"[i]);
    };
    const QList<QWidget *> always{form.List(input_module_list(k)), form.in_caption(k),
                                  form.Shape3(k - 1)};
    // The input side's channel list and box, then the output side's lists and box, then the rest.
    QList<QWidget *> row;
    row << form.List(input_channel_list(k)) << form.Text(input_designation_box(k))
        << form.List(output_module_list(k)) << form.List(output_channel_list(k))
        << form.Text(output_designation_box(k)) << form.out_caption(k) << form.Label1(k - 1)
        << form.ToggleButton(input_toggle(k)) << form.ToggleButton(output_toggle(k))
        << form.Shape3(k + 9);
    const auto visible = [](const QWidget *w) { return w->isVisible(); };
    const qsizetype shown = std::count_if(row.begin(), row.end(), visible);
    if (!std::all_of(always.begin(), always.end(), visible) || (shown && shown < row.size()))
        return u"half"_s;
    if (!shown)
        return u"closed "_s + colour(always[0]);
    return u"open "_s + colour(always[0]) + colour(row[0]) + colour(row[1]) + u' ' +
           colour(row[2]) + colour(row[3]) + colour(row[4]);
}

QString name_of(QObject *control)
{
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    RecordingPrompts m_prompts;
    std::unique_ptr<Form1> m_form;
    Form1 &form() { return *m_form; }

private slots:
    void init()
    {
        m_prompts = RecordingPrompts();
        m_form = std::make_unique<Form1>(m_prompts);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup() { m_form.reset(); }

    void start_up_and_layout()
    {
        QCOMPARE(form().windowTitle(), ui::WINDOW_CAPTION);
        QCOMPARE(form().MENU1()->text(), u"COM SETTINGS"_s);
        QVERIFY(!form().Text1()->isVisible() && form().Shape1()->isVisible() &&
                form().Shape2()->isVisible());
        // The model's start-up panel is this window: every slot "N/A", nothing else selected,
        // every loop DATA-A, every designation the placeholder, no panel name.
        QCOMPARE(form().panel(), Panel());
        for (int k = 1; k <= SLOT_COUNT; ++k)
            QCOMPARE(slot_look(form(), k), u"closed G"_s);
        // Columns left to right: input side, output side, status line and buttons; rows one
        // pitch apart; the buttons top to bottom: open, save, read from module, write to module.
        QVERIFY(form().List(input_module_list(1))->x() < form().List(output_module_list(1))->x());
        QVERIFY(form().List(output_channel_list(1))->x() < form().Text1()->x());
        const int pitch = form().List(3)->y() - form().List(1)->y();
        QVERIFY(pitch > 0);
        QCOMPARE(form().List(input_module_list(10))->y() - form().List(1)->y(), 9 * pitch);
        QVERIFY(form().READ_FILE()->y() < form().WRITE_FILE()->y() &&
                form().WRITE_FILE()->y() < form().READ_CONFIG()->y() &&
                form().READ_CONFIG()->y() < form().WRITE_CONFIG()->y());
        QCOMPARE(form().minimumSize(), form().maximumSize());
    }

    // A click picks an item and a Ctrl-click cannot empty the list; focus alone picks nothing;
    // a click presses a LOOP.
    void person_at_the_controls()
    {
        QListWidget *list = form().List(input_module_list(3));
        const QPoint b = list->visualItemRect(list->item(2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, b);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, b);
        QVERIFY(list->item(2)->isSelected());
        form().List(input_channel_list(3))->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QTest::mouseClick(form().ToggleButton(input_toggle(3)), Qt::LeftButton);
        QCOMPARE(sides_of(form().panel(), u"IN3"_s), u"IN3=B-.B"_s);
    }

    // What a screen reader is told: every control of the window and of COM PORT SETTINGS by a name
    // of its own, each LOOP toggle with its loop, the status as a notification, a box as an alert.
    // Tab goes in reading order: the open rows, the name box, the four buttons, the status.
    void screen_reader_and_tab_order()
    {
        ComPortDialog dialog(m_form.get());
        QSet<QString> names;
        for (QWidget *w : form().findChildren<QWidget *>() + dialog.findChildren<QWidget *>())
            names << (w->focusPolicy() & Qt::TabFocus ? name_of(w) : u"-"_s);
        // The window's own names are those Tab reaches below.
        QCOMPARE(names.size(), 89 + 1);
        QVERIFY(!names.contains(QString()) && names.contains(u"COM port"_s));
        for (int n = 1; n <= TOGGLE_COUNT; ++n) // the Return row below presses one
            QVERIFY(form().ToggleButton(n)->accessibleDescription().startsWith(u"DATA-A, "_s));
        form().show_status(u"STATUS"_s, ui::YELLOW);
        QAccessibleInterface *notification = QAccessible::queryAccessibleInterface(
            qobject_cast<StatusLine *>(form().Text1())->announcer());
        QCOMPARE(notification->role(), QAccessible::Notification);
        QTRY_COMPARE(notification->child(0)->text(QAccessible::Name), u"STATUS"_s);
        MessageDialog box(u"TITLE"_s, u"TEXT"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(&box)->role(), QAccessible::AlertMessage);

        QStringList order;
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            form().set_list_position(input_module_list(k), qint16(k));
            order << u"IN-%1 loop,IN-%1 module,IN-%1 channel,IN-%1 designation,OUT-%1 module,"
                     u"OUT-%1 channel,OUT-%1 loop,OUT-%1 designation"_s.arg(k)
                         .split(u',');
        }
        order << u"DATA CONVERTER NAME"_s << ui::READ_FILE_CAPTION << ui::WRITE_FILE_CAPTION
              << ui::READ_CONFIG_CAPTION << ui::WRITE_CONFIG_CAPTION << u"Status"_s;
        form().ToggleButton(1)->setFocus(Qt::TabFocusReason);
        QStringList tabbed;
        while (tabbed.size() < order.size()) {
            tabbed << name_of(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(tabbed, order);
        QCOMPARE(QApplication::focusWidget(), form().ToggleButton(1)); // and round again
    }

    // Each shortcut, and Return on a focused button or LOOP, reaches what a click reaches: the
    // first thing the window then shows.
    void keys_reach_commands_data()
    {
        QTest::addColumn<QString>("focus"); // the control that has the focus; any when empty
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("reached");
        const auto row = [](const char *name, const QString &focus, const QKeySequence &keys,
                            const QString &reached) {
            QTest::newRow(name) << focus << keys << reached;
        };
        row("open", {}, QKeySequence::Open, u"open dialog"_s);
        row("save, in a text box", u"IN-1 designation"_s, QKeySequence::Save, u"save dialog"_s);
        row("read", {}, QKeySequence(u"Ctrl+Shift+R"_s), ui::STARTING_READ);
        row("write", {}, QKeySequence(u"Ctrl+Shift+W"_s), ui::STARTING_WRITE);
        row("COM PORT SETTINGS", {}, QKeySequence(u"Ctrl+Shift+P"_s), u"COM PORT SETTINGS"_s);
        row("Return on a button", ui::WRITE_FILE_CAPTION, Qt::Key_Return, u"save dialog"_s);
        row("Return on a LOOP", u"IN-1 loop"_s, Qt::Key_Return,
            u"DATA-B, CLICK TO CHANGE IN-1 LOOP"_s);
    }
    void keys_reach_commands()
    {
        QFETCH(QString, focus);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, reached);
        DeviceCommands device(form());
        FileCommands files(form());
        connect_window_commands(form(), device, files);
        device.set_port_name_map([](qint16) { return u"/nonexistent/COM1"_s; });
        edit(form(), u"IN1=A1 OUT1=B1"_s);
        form().Text(ui::PANEL_NAME_BOX)->setText(u"NORTH"_s);
        QStringList shown; // status texts
        connect(form().Text1(), &QTextEdit::textChanged, this,
                [&] { shown << form().status_text(); });
        // A dialog, else the first status text, else what the LOOP says of its state.
        const auto seen = [&] {
            if (!m_prompts.file_requests.isEmpty())
                return m_prompts.file_requests[0].save ? u"save dialog"_s : u"open dialog"_s;
            return device.dialog()
                       ? device.dialog()->windowTitle()
                       : shown.value(0, form().ToggleButton(1)->accessibleDescription());
        };
        for (QWidget *w : form().findChildren<QWidget *>())
            if (!focus.isEmpty() && name_of(w) == focus)
                w->setFocus();
        QTest::keySequence(QApplication::focusWidget(), keys);
        QTRY_COMPARE(seen(), reached);
        QTRY_VERIFY(!device.running());
    }

    void edits_data()
    {
        // Sides before a "|" are loaded as a file open does: set with the check held off, then
        // one run. The rest are edits, one control at a time.
        QTest::addColumn<QString>("steps");
        // Each box as its title's first word and the window while it is open, "; " between boxes.
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("look"); // of the slot it names first, when given

        const auto row = [](const char *name, const char *steps, const char *boxes,
                            const char *after, const char *look = "") {
            QTest::newRow(name) << steps << boxes << after << look;
        };
        row("DATA-B colours its side", "IN1=A.B", "", "IN1=A-.B", "1 open CCC YYY");
        row("the other side's too", "IN9=A OUT9=--.B", "", "OUT9=--.B", "9 open YYY CCC");
        // "N/A" clears the row's lists and releases both loops; a letter then opens it empty.
        row("N/A closes the row", "IN4=C5.B OUT4=G-.B IN4=N/A5.B", "", "IN4=N/A- OUT4=--",
            "4 closed G");
        row("a letter again", "IN4=C5.B OUT4=G-.B IN4=N/A5.B IN4=H5.B", "", "IN4=H- OUT4=--",
            "4 open YYY YYY");
        // A load may press the hidden toggle of an "N/A" input.
        row("hidden loop of an N/A input", "IN6=N/A.B", "", "IN6=N/A-.B", "6 closed C");
        row("then a letter", "IN6=N/A.B IN6=C.B", "", "IN6=C-.B", "6 open CCC YYY");

        // OUT-1 is cleared before its box appears, whichever list or toggle made the conflict.
        const char *own = "CHANNEL: IN1=A3 OUT1=--";
        row("own output, output channel last", "IN1=A3 OUT1=A3", own, "IN1=A3 OUT1=--");
        row("own output, output module last", "IN1=A3 OUT1=-3 OUT1=A3", own, "IN1=A3 OUT1=--");
        row("own output, input module last", "IN1=B3 OUT1=A3 IN1=A3", own, "IN1=A3 OUT1=--");
        row("toggle: input pressed to match", "IN10=P2 OUT10=--.B OUT10=P2.B IN10=P2.B",
            "CHANNEL: IN10=P2.B OUT10=--.B", "IN10=P2.B OUT10=--.B");

        // IN-2 still shows its choice while the box is open; after it the whole slot is off.
        row("other output", "IN7=C1 OUT7=B5 IN2=B- OUT2=A1 IN2=B5", "DUPLICATE: IN2=B5 OUT7=B5",
            "IN2=N/A- OUT2=-- IN7=C1 OUT7=B5");
        row("two other outputs, one box", "IN4=C1 OUT4=B5 IN7=C1 OUT7=B5 IN2=B5",
            "DUPLICATE: IN2=B5 OUT4=B5 OUT7=B5", "IN2=N/A- OUT4=B5 OUT7=B5");

        // Same module or same channel alone is no conflict; shared sources and destinations are
        // allowed.
        const char *sharing = "IN1=A3 OUT1=A4 IN2=B4 OUT2=C3 IN3=A3 OUT3=C3";
        row("near misses and sharing", sharing, "", sharing);

        // The own output wins; the other match waits for the next edit, in any slot.
        row("own output first, other at the next edit", "IN3=D4 OUT3=D4 IN5=E1 OUT5=D4 | IN9=A1",
            "CHANNEL: IN3=D4 OUT3=--; DUPLICATE: IN3=D4 OUT5=D4", "IN3=N/A- OUT5=D4");

        // An "N/A" input names no module, not even an output with none selected.
        row("N/A input against output without module", "IN1=N/A3 IN2=B1 OUT2=-3 |", "",
            "IN1=N/A3 IN2=B1 OUT2=-3");
    }
    void edits()
    {
        QFETCH(QString, steps);
        QFETCH(QString, boxes);
        QFETCH(QString, after);
        QFETCH(QString, look);
        const QStringList expected = boxes.split(u"; "_s);
        QStringList seen;
        m_prompts.on_message = [&](const RecordingPrompts::Message &box) {
            // Titles and texts character for character, bare line feeds included.
            QCOMPARE(box.text, TEXTS.value(box.title));
            const QString sides = expected.value(seen.size()).section(u':', 1);
            seen << box.title.section(u' ', 0, 0) + u": "_s + sides_of(form().panel(), sides);
        };

        form().set_busy(true);
        edit(form(), steps.section(u'|', 0, -2));
        form().set_busy(false);
        form().check_assignments();
        edit(form(), steps.section(u'|', -1));

        QCOMPARE(seen.join(u"; "_s), boxes);
        QCOMPARE(sides_of(form().panel(), after), after);
        const QString slot = look.section(u' ', 0, 0);
        if (!look.isEmpty())
            QCOMPARE(slot + u' ' + slot_look(form(), slot.toInt()), look);
    }

    // Every caption of the window, with every slot open so that all are laid out, and of the
    // COM PORT SETTINGS box: shown, whole, in the face the program picked (the designed one
    // where it is installed, else a metric-compatible one).
    void captions_fit_their_controls()
    {
        for (int k = 1; k <= SLOT_COUNT; ++k)
            form().List(input_module_list(k))->setCurrentRow(k);
        ComPortDialog dialog(m_form.get());
        dialog.prepare(1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList faces =
            QStringList{ui::WINDOW_FAMILY, ui::ARIAL_FAMILY} + ui::METRIC_COMPATIBLE_FAMILIES;
        int checked = 0;
        for (const QWidget *w :
             form().centralWidget()->findChildren<QWidget *>() + dialog.findChildren<QWidget *>()) {
            // The status line's announcer draws nothing.
            const std::optional<QString> fault = caption_fault(w);
            if (!fault || w->parent() == qobject_cast<StatusLine *>(form().Text1())->announcer())
                continue;
            ++checked;
            QVERIFY2(w->isVisible(), qPrintable(QDebug::toString(w)));
            QVERIFY2(faces.contains(QFontInfo(w->font()).family()),
                     qPrintable(QFontInfo(w->font()).family()));
            QVERIFY2(fault->isEmpty(), qPrintable(*fault));
        }
        QVERIFY(checked > LIST_COUNT + TOGGLE_COUNT + 2 * SLOT_COUNT);
    }

    void message_lines_stay_whole_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, const QString &title, const QString &text) {
            QTest::newRow(name) << title << text;
        };
        // The assignment check's two boxes, as the window must word them.
        for (auto box = TEXTS.cbegin(); box != TEXTS.cend(); ++box)
            row(qPrintable(box.key()), box.key(), box.value());
        row("file mismatch", MISMATCH_TITLE, ui::MISMATCH_TEXT);
        row("character not in the code page", ui::UNWRITABLE_TITLE,
            ui::NOT_IN_CODE_PAGE_TEXT.arg(ui::OUTPUT_DESIGNATION_FIELD.arg(10),
                                          files::CHARACTER_NAME.arg(0x20ac, 4, 16).arg(u'€')));
        row("save failed, long path", ui::SAVE_FAILED_TITLE,
            ui::SAVE_FAILED_KEPT_TEXT.arg(
                u"/home/operator/configurations/north-building/NORTH PANEL.olc"_s,
                u"No space left on device"_s));
    }
    void message_lines_stay_whole()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        // Through the program's own prompts: the box is inspected while it is shown, at the first
        // event after it shows.
        QtPrompts prompts;
        QString fault = u"no box was shown"_s;
        QTimer::singleShot(0, this, [&] {
            if (auto *box = qobject_cast<MessageDialog *>(QApplication::activeModalWidget())) {
                fault = box_fault(*box, title, text);
                box->ok_button()->click();
            }
        });
        prompts.message(title, text);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        // On a narrower screen each line still fits, in a smaller font where it must; the title,
        // which fits, keeps its font.
        const QFont font = QApplication::font();
        const QFont fitting = MessageDialog::font_fitting(font, text, NARROW_ROOM);
        for (const QString &line : text.split(u'\n'))
            QVERIFY2(QFontMetrics(fitting).horizontalAdvance(line) <= NARROW_ROOM,
                     qPrintable(line));
        QCOMPARE(MessageDialog::font_fitting(font, title, NARROW_ROOM), font);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
