#include "ControlWidget.h"

#include "Controls.h"

#include <rtl/Exceptions.h>

TWidgetLink::~TWidgetLink() {
    if (FControl)
        FControl->WidgetDestroyed();
}

TControl* TWidgetLink::ControlOf(const QWidget* Widget) {
    for (const QWidget* w = Widget; w; w = w->parentWidget())
        if (const auto* link = dynamic_cast<const TWidgetLink*>(w); link && link->FControl)
            return link->FControl;
    return nullptr;
}

bool TWidgetLink::DispatchEvent(QEvent* Event, const TDefaultHandler& Default) {
    TControl* control = FControl;
    if (!control || control->IsDestroying())
        return Default(Event);
    bool handled = true;
    HandleExceptions([&] { handled = control->WidgetEvent(Event, Default); });
    return handled;
}

void TWidgetLink::DispatchPaint() {
    if (FControl && !FControl->IsDestroying())
        HandleExceptions([this] { FControl->Paint(); });
}

bool TWidgetLink::DispatchTab(bool Next) {
    auto* control = qobject_cast<TWinControl*>(FControl);
    if (!control || control->IsDestroying())
        return false;
    bool moved = false;
    HandleExceptions([&] { moved = control->MoveFocusByTab(Next); });
    return moved;
}
