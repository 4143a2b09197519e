#pragma once
// A plain frame drawn over the edge of the widget it belongs to while that widget has the
// keyboard focus, over whatever the style draws there, so a keyboard user sees where the focus
// is at a glance.

#include <QWidget>

class FocusRing : public QWidget
{
public:
    // Becomes a child of `owner` and follows its focus and size.
    explicit FocusRing(QWidget *owner);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
