#include "slot_list.h"

SlotList::SlotList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Marks the current index as set, so that tabbing into an empty list does not make its
    // first item current (which would count as a selection).
    setCurrentIndex(QModelIndex());
}

QItemSelectionModel::SelectionFlags SlotList::selectionCommand(const QModelIndex &index,
                                                               const QEvent *event) const
{
    // A Ctrl-click would deselect the item while it stays current; keep the two together.
    if (index.isValid())
        return QItemSelectionModel::ClearAndSelect;
    return QListWidget::selectionCommand(index, event);
}
