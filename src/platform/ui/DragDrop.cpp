#include "DragDrop.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

TDragTracker& TDragTracker::Instance() {
    static TDragTracker tracker;
    return tracker;
}

const TControl* TDragTracker::Source() {
    return Instance().FSource;
}

void TDragTracker::Begin(TControl* Source, const QPoint& StartPos, bool Immediate, int Threshold) {
    TDragTracker& tracker = Instance();
    tracker.Finish(false);
    tracker.FSource = Source;
    tracker.FStartPos = StartPos;
    tracker.FThreshold = Immediate ? 0 : Threshold;
    ++tracker.FGeneration;
    qApp->installEventFilter(&tracker);
    if (Immediate)
        tracker.MoveTo(StartPos);
}

void TDragTracker::End(bool Drop) {
    Instance().Finish(Drop);
}

bool TDragTracker::eventFilter(QObject* Watched, QEvent* Event) {
    // A window's events reach its widgets as well: each is taken once, at the widget.
    if (!Watched->isWidgetType())
        return false;
    switch (Event->type()) {
    case QEvent::MouseMove: {
        const QPoint global = static_cast<QMouseEvent*>(Event)->globalPosition().toPoint();
        HandleExceptions([&] {
            if (FSource)
                MoveTo(global);
            else
                Finish(false);
        });
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(Event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const QPoint global = mouse->globalPosition().toPoint();
        const bool started = FStarted;
        HandleExceptions([&] {
            if (started && FSource && global != FPos)
                MoveTo(global);
            Finish(true);
        });
        // Released before the drag began, the press ends as a click.
        return started;
    }
    case QEvent::KeyPress:
        if (!FStarted || static_cast<QKeyEvent*>(Event)->key() != Qt::Key_Escape)
            return false;
        HandleExceptions([this] { Finish(false); });
        return true;
    default:
        return false;
    }
}

void TDragTracker::MoveTo(const QPoint& Global) {
    FPos = Global;
    const int generation = FGeneration;
    if (!FStarted) {
        if ((Global - FStartPos).manhattanLength() < FThreshold)
            return;
        FStarted = true;
        FSource->DoStartDrag();
        if (!Current(generation))
            return;
    }
    TControl* target = ControlAt(Global);
    bool accept = false;
    if (target != FTarget) {
        if (FTarget && !AskTarget(FTarget, dsDragLeave, accept))
            return;
        FTarget = target;
        if (target && !AskTarget(target, dsDragEnter, accept))
            return;
    } else if (target && !AskTarget(target, dsDragMove, accept)) {
        return;
    }
    FAccepted = FTarget && accept;
    ShowCursor(FAccepted ? FSource->DraggingCursor() : crNoDrop);
}

bool TDragTracker::AskTarget(TControl* Target, TDragState State, bool& Accept) {
    const int generation = FGeneration;
    const QPoint pos = Target->ScreenToClient(FPos);
    Target->DragOver(FSource, pos.x(), pos.y(), State, Accept);
    return Current(generation);
}

void TDragTracker::Finish(bool Drop) {
    qApp->removeEventFilter(this);
    if (FCursorShown)
        QGuiApplication::restoreOverrideCursor();
    const QPointer<TControl> source = FSource;
    const QPointer<TControl> target = FTarget;
    const bool started = FStarted;
    const bool dropped = Drop && FAccepted && target;
    FSource = nullptr;
    FTarget = nullptr;
    FStarted = false;
    FAccepted = false;
    FCursorShown = false;
    ++FGeneration;
    if (!started)
        return;
    const QPoint pos = target ? target->ScreenToClient(FPos) : QPoint();
    if (dropped) {
        target->DragDrop(source, pos.x(), pos.y());
    } else if (target) {
        bool ignored = false;
        target->DragOver(source, pos.x(), pos.y(), dsDragLeave, ignored);
    }
    if (source) {
        if (dropped)
            source->DoEndDrag(target, pos.x(), pos.y());
        else
            source->DoEndDrag(nullptr, 0, 0);
    }
}

TControl* TDragTracker::ControlAt(const QPoint& Global) {
    QWidget* window = nullptr;
    for (QWidget* candidate : QApplication::topLevelWidgets())
        if (candidate->isVisible() && !candidate->isMinimized() &&
            candidate->geometry().contains(Global) && TWidgetLink::ControlOf(candidate) &&
            (!window || candidate == QApplication::activeWindow()))
            window = candidate;
    if (!window)
        return nullptr;
    QWidget* child = window->childAt(window->mapFromGlobal(Global));
    TControl* control = TWidgetLink::ControlOf(child ? child : window);
    while (control && !control->Widget()->isEnabled())
        control = control->Parent();
    return control;
}

void TDragTracker::ShowCursor(TCursor Cursor) {
    const QCursor cursor(CursorToQt(Cursor));
    if (FCursorShown) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        FCursorShown = true;
    }
}
