#include "slot_list_widget.h"

#include "focus_ring.h"

SlotListWidget::SlotListWidget(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Marks the current index as set, so that tabbing into an empty list does not make its
    // first item current (which would count as a selection).
    setCurrentIndex(QModelIndex());
    new FocusRing(this);
}

QItemSelectionModel::SelectionFlags SlotListWidget::selectionCommand(const QModelIndex &index,
                                                                     const QEvent *event) const
{
    // A Ctrl-click would deselect the item while it stays current; keep the two together.
    if (index.isValid())
        return QItemSelectionModel::ClearAndSelect;
    return QListWidget::selectionCommand(index, event);
}
