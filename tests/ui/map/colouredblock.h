#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QWidget>

namespace corvale {

// A plain widget filled with one colour: stands in for what a map shows.
inline QWidget *colouredBlock(QWidget *parent, const QRect &geometry, const QColor &colour)
{
    auto *block = new QWidget(parent);
    block->setGeometry(geometry);
    QPalette palette = block->palette();
    palette.setColor(QPalette::Window, colour);
    block->setPalette(palette);
    block->setAutoFillBackground(true);
    return block;
}

} // namespace corvale
