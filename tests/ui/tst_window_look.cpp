// The windows as a person sees them on a Linux desktop: every caption whole in the fonts the
// program picked, and message boxes that show each line of their text as one line. Runs on an
// offscreen desktop 1024 pixels wide, the narrowest the program is made for.

#include "com_port_dialog.h"
#include "file_texts.h"
#include "ui_constants.h"
#include "form1.h"
#include "message_dialog.h"
#include "qt_prompts.h"
#include "recording_prompts.h"
#include "slot_lists.h"
#include "validation_texts.h"
#include "window_fonts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>

namespace
{

constexpr int NARROWEST_SCREEN = 1024;
// QLineEdit keeps this many pixels between its frame and its text on either side.
constexpr int LINE_EDIT_TEXT_MARGIN = 2;
constexpr int BOX_POLL_MS = 10;

enum class Controls { Labels, CaptionButtons, Toggles, ListItems, TextBoxes, DialogControls };

// Empty where `needed` fits `room`, else what does not fit where.
QString overflow(const QWidget *w, const QString &text, const QRect &needed, const QRect &room)
{
    if (room.contains(needed))
        return {};
    return QStringLiteral("%1 \"%2\" needs %3x%4 at %5,%6 in %7x%8")
        .arg(QString::fromLatin1(w->metaObject()->className()), text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(needed.left())
        .arg(needed.top())
        .arg(room.width())
        .arg(room.height());
}

// The picked face: the designed one where it is installed, else a metric-compatible one.
bool metric_compatible(const QWidget *w)
{
    const QString family = QFontInfo(w->font()).family();
    return family == ui::WINDOW_FAMILY || family == ui::ARIAL_FAMILY ||
           ui::METRIC_COMPATIBLE_FAMILIES.contains(family);
}

// Text of several lines needs them whole; a single line only its ink, as the "=" signs were
// designed smaller than their font's line.
QString label_overflow(const QLabel *label)
{
    const QRect room = label->contentsRect();
    const QFontMetrics metrics = label->fontMetrics();
    if (label->wordWrap() || label->text().contains(u'\n')) {
        const int wrap = label->wordWrap() ? Qt::TextWordWrap : 0;
        return overflow(label, label->text(),
                        metrics.boundingRect(room, int(label->alignment()) | wrap, label->text()),
                        room);
    }
    const QRect line = QStyle::alignedRect(
        Qt::LeftToRight, label->alignment(),
        QSize(metrics.horizontalAdvance(label->text()), metrics.height()), room);
    const QRect ink = metrics.tightBoundingRect(label->text())
                          .translated(line.left(), line.top() + metrics.ascent());
    return overflow(label, label->text(), ink, label->rect());
}

QString button_overflow(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect room =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QSize needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    return overflow(button, button->text(),
                    QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, needed, room), room);
}

QString list_overflow(const QListWidget *list)
{
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.font = list->font();
    option.features = QStyleOptionViewItem::HasDisplay;
    for (int row = 0; row < list->count(); ++row) {
        const QSize needed = list->itemDelegate()->sizeHint(option, list->model()->index(row, 0));
        const QRect item = list->visualItemRect(list->item(row));
        const QString fault =
            overflow(list, list->item(row)->text(),
                     QRect(item.topLeft(), QSize(needed.width(), item.height())),
                     QRect(item.left(), item.top(), list->viewport()->width(), item.height()));
        if (!fault.isEmpty())
            return fault;
    }
    return {};
}

QString line_edit_overflow(const QLineEdit *edit)
{
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect room = edit->style()
                           ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                           .adjusted(LINE_EDIT_TEXT_MARGIN, 0, -LINE_EDIT_TEXT_MARGIN, 0);
    const QFontMetrics metrics = edit->fontMetrics();
    const QSize needed(metrics.horizontalAdvance(edit->text()), metrics.height());
    return overflow(edit, edit->text(),
                    QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, needed, room), room);
}

} // namespace

Q_DECLARE_METATYPE(Controls)

class TestWindowLook : public QObject
{
    Q_OBJECT

    RecordingPrompts m_prompts;

    // Every control of one kind, in a window with every slot open so that all are laid out.
    QList<QWidget *> controls(Form1 &form, ComPortDialog &dialog, Controls kind)
    {
        QList<QWidget *> found;
        switch (kind) {
        case Controls::Labels:
            for (QLabel *label : form.centralWidget()->findChildren<QLabel *>(
                     QString(), Qt::FindDirectChildrenOnly))
                found.append(label);
            break;
        case Controls::CaptionButtons:
            // The long captions are labels inside their buttons, so that they can wrap.
            for (QPushButton *button :
                 {form.READ_FILE(), form.WRITE_FILE(), form.READ_CONFIG(), form.WRITE_CONFIG()})
                found.append(button->findChild<QLabel *>());
            break;
        case Controls::Toggles:
            for (int n = 1; n <= TOGGLE_COUNT; ++n)
                found.append(form.ToggleButton(n));
            break;
        case Controls::ListItems:
            for (int n = 1; n <= LIST_COUNT; ++n)
                found.append(form.List(n));
            break;
        case Controls::TextBoxes:
            for (int k = 1; k <= SLOT_COUNT; ++k)
                found << form.Text(input_designation_box(k))
                      << form.Text(output_designation_box(k));
            break;
        case Controls::DialogControls:
            found << dialog.OKButton() << dialog.CancelButton() << dialog.Label1() << dialog.List1()
                  << dialog.Label2();
            break;
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        const QScreen *screen = QGuiApplication::primaryScreen();
        QVERIFY2(screen->availableGeometry().width() >= NARROWEST_SCREEN,
                 "the offscreen desktop of screen_1024.json was not set up");
    }

    void captions_fit_their_controls_data()
    {
        QTest::addColumn<Controls>("kind");
        QTest::newRow("labels: headings, IN-k, OUT-k, =") << Controls::Labels;
        QTest::newRow("command buttons") << Controls::CaptionButtons;
        QTest::newRow("LOOP toggles") << Controls::Toggles;
        QTest::newRow("list items") << Controls::ListItems;
        QTest::newRow("designation boxes") << Controls::TextBoxes;
        QTest::newRow("COM PORT SETTINGS") << Controls::DialogControls;
    }
    void captions_fit_their_controls()
    {
        QFETCH(Controls, kind);
        Form1 form(m_prompts);
        for (int k = 1; k <= SLOT_COUNT; ++k)
            form.List(input_module_list(k))->setCurrentRow(k);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ComPortDialog dialog(&form);
        dialog.prepare(1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        const QList<QWidget *> found = controls(form, dialog, kind);
        QVERIFY(!found.isEmpty());
        for (QWidget *w : found) {
            QVERIFY2(w->isVisible(), w->metaObject()->className());
            QVERIFY2(metric_compatible(w), qPrintable(QFontInfo(w->font()).family()));
            QString overflow;
            if (auto *label = qobject_cast<QLabel *>(w))
                overflow = label_overflow(label);
            else if (auto *button = qobject_cast<QPushButton *>(w))
                overflow = button_overflow(button);
            else if (auto *list = qobject_cast<QListWidget *>(w))
                overflow = list_overflow(list);
            else if (auto *edit = qobject_cast<QLineEdit *>(w))
                overflow = line_edit_overflow(edit);
            QVERIFY2(overflow.isEmpty(), qPrintable(overflow));
        }
    }

    void message_lines_stay_whole_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("channel assignment") << validation::CHANNEL_ASSIGNMENT_ERROR_TITLE
                                            << validation::CHANNEL_ASSIGNMENT_ERROR_TEXT;
        QTest::newRow("duplicate")
            << validation::DUPLICATE_ERROR_TITLE << validation::DUPLICATE_ERROR_TEXT;
        QTest::newRow("file mismatch") << MISMATCH_TITLE << ui::MISMATCH_TEXT;
        QTest::newRow("character not in the code page")
            << ui::UNWRITABLE_TITLE
            << ui::NOT_IN_CODE_PAGE_TEXT.arg(ui::OUTPUT_DESIGNATION_FIELD.arg(10),
                                                files::CHARACTER_NAME.arg(0x20ac, 4, 16).arg(u'€'));
        QTest::newRow("save failed, long path")
            << ui::SAVE_FAILED_TITLE
            << ui::SAVE_FAILED_KEPT_TEXT.arg(
                   QStringLiteral("/home/operator/configurations/north-building/NORTH PANEL.olc"),
                   QStringLiteral("No space left on device"));
    }
    void message_lines_stay_whole()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        // Through the program's own prompts: the box is inspected while it is shown.
        QtPrompts prompts;
        QString fault = QStringLiteral("no box was shown");
        QTimer poll;
        poll.setInterval(BOX_POLL_MS);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<MessageDialog *>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll.stop();
            fault = box_fault(*box, title, text);
            box->ok_button()->click();
        });
        poll.start();
        prompts.message(title, text);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }

    void wider_than_the_screen_gets_a_smaller_font_data()
    {
        QTest::addColumn<int>("room");
        QTest::newRow("600 pixels") << 600;
        QTest::newRow("480 pixels") << 480;
    }
    void wider_than_the_screen_gets_a_smaller_font()
    {
        QFETCH(int, room);
        const QString &text = validation::DUPLICATE_ERROR_TEXT;
        const QFont font = QApplication::font();
        const QFont fitting = MessageDialog::font_fitting(font, text, room);
        QVERIFY(fitting.pointSizeF() < font.pointSizeF());
        for (const QString &line : text.split(u'\n'))
            QVERIFY2(QFontMetrics(fitting).horizontalAdvance(line) <= room, qPrintable(line));
        // A text that fits keeps its font.
        QCOMPARE(MessageDialog::font_fitting(font, validation::DUPLICATE_ERROR_TITLE, room), font);
    }

private:
    static QString box_fault(const MessageDialog &box, const QString &title, const QString &text)
    {
        const QLabel *label = box.text_label();
        if (box.windowTitle() != title)
            return QStringLiteral("title: ") + box.windowTitle();
        if (label->text() != text || label->wordWrap())
            return QStringLiteral("text changed or wrapped");
        const QFontMetrics metrics = label->fontMetrics();
        for (const QString &line : text.split(u'\n')) {
            if (metrics.horizontalAdvance(line) > label->contentsRect().width())
                return QStringLiteral("line cut: ") + line;
        }
        const int lines = int(text.count(u'\n')) + 1;
        if (label->height() < lines * metrics.lineSpacing())
            return QStringLiteral("not room for %1 lines").arg(lines);
        const QRect screen = box.screen()->availableGeometry();
        if (!screen.contains(box.frameGeometry()))
            return QStringLiteral("box outside the screen");
        // The desktop's font, as QMessageBox would use: a 1024-pixel screen holds every line.
        if (label->font() != QApplication::font(label))
            return QStringLiteral("font made smaller on a wide enough screen");
        const QList<QAbstractButton *> buttons = box.findChild<QDialogButtonBox *>()->buttons();
        if (buttons.size() != 1 || buttons.first() != box.ok_button() ||
            !box.ok_button()->icon().isNull())
            return QStringLiteral("not one plain OK button");
        for (const QLabel *other : box.findChildren<QLabel *>()) {
            if (!other->pixmap().isNull())
                return QStringLiteral("an icon is shown");
        }
        return {};
    }
};

QTEST_MAIN(TestWindowLook)
#include "tst_window_look.moc"
