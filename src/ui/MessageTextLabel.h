#pragma once

#include <QLabel>

// A wrapped text whose height follows its width: a word-wrapped label would
// otherwise claim the height of its narrowest layout as its minimum, and rows
// would grow far taller than their text.
class MessageTextLabel : public QLabel
{
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return QSize(0, 0); }
};
