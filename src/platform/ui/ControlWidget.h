#pragma once

#include <QEvent>
#include <QWidget>
#include <functional>

class TControl;

// The tie between a Qt widget and the control that owns it. The widget hands its events
// to the control first; the control decides when the widget's own handling runs.
class TWidgetLink {
public:
    using TDefaultHandler = std::function<bool(QEvent*)>;

    explicit TWidgetLink(TControl* Control) : FControl(Control) {}
    virtual ~TWidgetLink();
    TWidgetLink(const TWidgetLink&) = delete;
    TWidgetLink& operator=(const TWidgetLink&) = delete;

    TControl* Control() const { return FControl; }
    // The control stops receiving the widget's events; it calls this before it deletes
    // the widget.
    void Detach() { FControl = nullptr; }

    // The control owning Widget or the nearest widget containing it; nullptr when none.
    static TControl* ControlOf(const QWidget* Widget);

protected:
    // Exceptions escaping the control's handlers are shown and the event counts as handled.
    bool DispatchEvent(QEvent* Event, const TDefaultHandler& Default);
    void DispatchPaint();
    // Tab and Shift+Tab: true when the control's form moved the focus.
    bool DispatchTab(bool Next);

private:
    TControl* FControl;
};

// A widget of class W whose events go to its control's virtual methods.
template <class W> class TControlWidget : public W, public TWidgetLink {
public:
    explicit TControlWidget(TControl* Control) : W(nullptr), TWidgetLink(Control) {}

protected:
    bool event(QEvent* Event) override {
        return DispatchEvent(Event, [this](QEvent* e) { return W::event(e); });
    }
    void paintEvent(QPaintEvent* Event) override {
        W::paintEvent(Event);
        DispatchPaint();
    }
    bool focusNextPrevChild(bool Next) override {
        return DispatchTab(Next) || W::focusNextPrevChild(Next);
    }
};

// A scroll area (W is a QAbstractScrollArea) whose viewport hands its mouse and
// context-menu events to the control too: the viewport's coordinates are the control's
// client coordinates.
template <class W> class TScrollAreaWidget : public TControlWidget<W> {
public:
    using TControlWidget<W>::TControlWidget;

protected:
    bool viewportEvent(QEvent* Event) override {
        switch (Event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::ContextMenu:
            return this->DispatchEvent(Event, [this](QEvent* e) { return W::viewportEvent(e); });
        default:
            return W::viewportEvent(Event);
        }
    }
};
