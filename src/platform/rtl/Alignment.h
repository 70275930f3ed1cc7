#pragma once

#include "Enums.h"

#include <QtCore/qnamespace.h>

PUBLISHED_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)

// The horizontal Qt alignment of a text alignment.
inline Qt::Alignment AlignmentToQt(TAlignment Alignment) {
    switch (Alignment) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}
