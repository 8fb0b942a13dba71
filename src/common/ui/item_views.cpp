#include "common/ui/item_views.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "common/ui/icons.h"

namespace tavrin {

void EditOnClick(QAbstractItemView* view) {
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    QObject::connect(view, &QAbstractItemView::clicked, view, [view](const QModelIndex& index) {
        if (QApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) return;
        if (index.flags() & Qt::ItemIsEditable) view->edit(index);
    });
}

void TickBoxDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!(index.flags() & Qt::ItemIsUserCheckable) || !IsDarkPalette(option.palette)) return;
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    if (!(opt.features & QStyleOptionViewItem::HasCheckIndicator)) return;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
    painter->save();
    QColor frame = opt.palette.color(QPalette::Text);
    frame.setAlpha(170);
    painter->setPen(frame);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->restore();
}

}  // namespace tavrin
