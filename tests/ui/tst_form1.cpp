// The main window through its real widgets: start-up state, layout and the slot reactions.

#include "form1.h"
#include "point_code.h"
#include "recording_prompts.h"
#include "slot_lists.h"
#include "ui_constants.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

class TestForm1 : public QObject
{
    Q_OBJECT

    RecordingPrompts m_prompts;
    std::unique_ptr<Form1> m_form;

    Form1 &form() { return *m_form; }
    qint16 pos(int list) { return form().list_position(list); }
    QColor bg(const QWidget *w) { return Form1::background(w); }
    void select(int list, int position) { form().List(list)->setCurrentRow(position); }
    // Side controls of slot k: module list, channel list, designation box.
    QList<QWidget *> side(int k, bool input)
    {
        if (input)
            return {form().List(input_module_list(k)), form().List(input_channel_list(k)),
                    form().Text(input_designation_box(k))};
        return {form().List(output_module_list(k)), form().List(output_channel_list(k)),
                form().Text(output_designation_box(k))};
    }
    // Every control of slot k that is hidden while the slot is "N/A".
    QList<QWidget *> slot_row(int k)
    {
        return {form().List(input_channel_list(k)),
                form().List(output_module_list(k)),
                form().List(output_channel_list(k)),
                form().Text(input_designation_box(k)),
                form().Text(output_designation_box(k)),
                form().out_caption(k),
                form().Label1(k - 1),
                form().ToggleButton(input_toggle(k)),
                form().ToggleButton(output_toggle(k)),
                form().Shape3(k + 9)};
    }

private slots:
    void init()
    {
        m_prompts = RecordingPrompts();
        m_form = std::make_unique<Form1>(m_prompts);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup() { m_form.reset(); }

    void start_up_state()
    {
        QCOMPARE(form().windowTitle(), ui::WINDOW_CAPTION);
        QCOMPARE(form().MENU1()->text(), QStringLiteral("COM SETTINGS"));
        QVERIFY(!form().Text1()->isVisible());
        QVERIFY(form().Text(2)->text().isEmpty());
        for (int k = 1; k <= SLOT_COUNT; ++k) {
            QCOMPARE(pos(input_module_list(k)), NA_POSITION);
            QVERIFY(form().List(input_module_list(k))->isVisible());
            QVERIFY(form().in_caption(k)->isVisible());
            QVERIFY(form().Shape3(k - 1)->isVisible());
            QCOMPARE(bg(form().List(input_module_list(k))), Form1::greyed_text_colour());
            for (QWidget *w : slot_row(k))
                QVERIFY2(!w->isVisible(), w->metaObject()->className());
            for (int n : {input_channel_list(k), output_module_list(k), output_channel_list(k)})
                QCOMPARE(pos(n), NO_SELECTION);
            QCOMPARE(form().Text(input_designation_box(k))->text(), QStringLiteral("DESIGNATION"));
            QCOMPARE(form().Text(output_designation_box(k))->text(), QStringLiteral("DESIGNATION"));
        }
        for (int n = 1; n <= TOGGLE_COUNT; ++n)
            QVERIFY(!form().ToggleButton(n)->isChecked());
        for (QWidget *w :
             QList<QWidget *>{form().READ_FILE(), form().WRITE_FILE(), form().READ_CONFIG(),
                              form().WRITE_CONFIG(), form().Text(2), form().Label(6),
                              form().Label(14), form().Label(24), form().Shape1(), form().Shape2()})
            QVERIFY(w->isVisible());
        QCOMPARE(form().List(20)->toolTip(), QStringLiteral("IN-10 CHANNEL ASSIGNMENT"));
        QCOMPARE(form().Text(13)->toolTip(), QStringLiteral("ENTER OUT-1 FUNCTION"));
        QCOMPARE(form().ToggleButton(20)->toolTip(), QStringLiteral("CLICK TO CHANGE OUT-10 LOOP"));
        // The model's start-up panel is this window.
        QCOMPARE(form().panel(), Panel());
    }

    void fixed_size_and_layout()
    {
        // Columns left to right: input side, output side, status line and buttons.
        QVERIFY(form().List(input_module_list(1))->x() < form().List(output_module_list(1))->x());
        QVERIFY(form().List(output_channel_list(1))->x() < form().Text1()->x());
        // Rows top to bottom, one pitch apart.
        const int pitch =
            form().List(input_module_list(2))->y() - form().List(input_module_list(1))->y();
        QVERIFY(pitch > 0);
        QCOMPARE(form().List(input_module_list(10))->y() - form().List(input_module_list(1))->y(),
                 9 * pitch);
        QCOMPARE(form().minimumSize(), form().maximumSize());
        // Buttons in order: open, save, read from module, write to module.
        QVERIFY(form().READ_FILE()->y() < form().WRITE_FILE()->y());
        QVERIFY(form().WRITE_FILE()->y() < form().READ_CONFIG()->y());
        QVERIFY(form().READ_CONFIG()->y() < form().WRITE_CONFIG()->y());
    }

    void list_items_in_the_window_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("input module C") << 1 << 17 << 3 << "C" << 20;
        QTest::newRow("output module D") << 21 << 16 << 3 << "D" << 30;
        QTest::newRow("input channel 10") << 2 << 10 << 9 << "10" << 9;
    }
    void list_items_in_the_window()
    {
        QFETCH(int, list);
        QFETCH(int, position);
        QListWidget *w = form().List(list);
        QTEST(w->count(), "count");
        QTEST(w->item(position)->text(), "text");
        QTEST(w->item(position)->data(Qt::UserRole).toInt(), "value");
    }

    void assigning_opens_the_slot()
    {
        QTest::mouseClick(form().List(5)->viewport(), Qt::LeftButton, {},
                          form().List(5)->visualItemRect(form().List(5)->item(2)).center());
        QCOMPARE(pos(5), qint16(2));
        for (QWidget *w : slot_row(3))
            QVERIFY(w->isVisible());
        for (QWidget *w : side(3, true) + side(3, false))
            QCOMPARE(bg(w), ui::YELLOW);
        QCOMPARE(pos(input_channel_list(3)), NO_SELECTION);
    }

    void not_assigned_with_pressed_toggle()
    {
        select(input_module_list(4), 2);
        form().ToggleButton(input_toggle(4))->setChecked(true);
        form().ToggleButton(output_toggle(4))->setChecked(true);
        select(input_channel_list(4), 5);
        select(output_module_list(4), 6);
        form().Text(input_designation_box(4))->setText(QStringLiteral("PUMP"));
        Panel model = form().panel();

        select(input_module_list(4), 0);
        // The model's "N/A" leaves the slot as the window's reaction does.
        QVERIFY(model.select(input_module_list(4), 0));
        QCOMPARE(form().panel(), model);
        QVERIFY(!form().ToggleButton(input_toggle(4))->isChecked());
        QVERIFY(!form().ToggleButton(output_toggle(4))->isChecked());
        QCOMPARE(bg(form().List(input_module_list(4))), Form1::greyed_text_colour());
        for (QWidget *w : slot_row(4))
            QVERIFY(!w->isVisible());
        QCOMPARE(pos(input_channel_list(4)), NO_SELECTION);
        QCOMPARE(pos(output_module_list(4)), NO_SELECTION);
        QCOMPARE(form().Text(input_designation_box(4))->text(), QStringLiteral("DESIGNATION"));

        // And a letter again: an empty, released, yellow slot.
        select(input_module_list(4), 7);
        for (QWidget *w : slot_row(4))
            QVERIFY(w->isVisible());
        for (QWidget *w : side(4, true) + side(4, false))
            QCOMPARE(bg(w), ui::YELLOW);
        for (int n : {input_channel_list(4), output_module_list(4), output_channel_list(4)})
            QCOMPARE(pos(n), NO_SELECTION);
        QCOMPARE(form().Text(output_designation_box(4))->text(), QStringLiteral("DESIGNATION"));
    }

    void toggles_colour_their_side_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<bool>("input");
        for (int k : {1, 9}) {
            QTest::addRow("IN-%d", k) << k << true;
            QTest::addRow("OUT-%d", k) << k << false;
        }
    }
    void toggles_colour_their_side()
    {
        QFETCH(int, k);
        QFETCH(bool, input);
        select(input_module_list(k), 1);
        const int n = input ? input_toggle(k) : output_toggle(k);
        QPushButton *toggle = form().ToggleButton(n);

        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked());
        QVERIFY(form().panel().pressed(n));
        for (QWidget *w : side(k, input))
            QCOMPARE(bg(w), ui::LIGHT_CYAN);
        for (QWidget *w : side(k, !input))
            QCOMPARE(bg(w), ui::YELLOW);

        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!form().panel().pressed(n));
        for (QWidget *w : side(k, input))
            QCOMPARE(bg(w), ui::YELLOW);
    }

    void hidden_toggle_of_unassigned_input_recolours()
    {
        // A load may press the hidden toggle of an "N/A" input.
        form().ToggleButton(input_toggle(6))->setChecked(true);
        QCOMPARE(bg(form().List(input_module_list(6))), ui::LIGHT_CYAN);
    }

    void person_cannot_empty_a_list()
    {
        select(input_module_list(1), 2);
        QListWidget *list = form().List(input_module_list(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(2)).center());
        QCOMPARE(pos(input_module_list(1)), qint16(2));
        QVERIFY(list->item(2)->isSelected());
    }

    void focus_alone_picks_nothing()
    {
        select(input_module_list(1), 2);
        QListWidget *channel = form().List(input_channel_list(1));
        channel->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        QCOMPARE(pos(input_channel_list(1)), NO_SELECTION);
    }

    void panel_name_takes_twelve_characters()
    {
        QTest::keyClicks(form().Text(2), QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(form().Text(2)->text(), QStringLiteral("ABCDEFGHIJKL"));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
