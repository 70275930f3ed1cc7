#pragma once

#include "Controls.h"

#include <QObject>
#include <QPointer>

// The drag in progress, if any: a control dragged with the mouse over the controls of the
// program, without the window system's drag and drop. While it lasts an application event
// filter takes the mouse moves, the release of the left button and Escape, whichever
// widget they are sent to. A drag that is not immediate begins once the mouse has moved
// far enough with the button down; a release before that abandons it silently.
//
// Once begun, the source gets DoStartDrag. Each move asks the enabled control under the
// mouse (DragOver: dsDragEnter when the mouse comes to it, dsDragMove while it stays,
// dsDragLeave for the one it left) and shows the source's dragging cursor when that
// control accepts, crNoDrop when not. Releasing the button drops on the control when it
// accepted; Escape cancels. The source then gets DoEndDrag with the control that took
// the drop, or nullptr.
class TDragTracker : public QObject {
public:
    static void Begin(TControl* Source, const QPoint& StartPos, bool Immediate, int Threshold);
    static void End(bool Drop);
    // The control being dragged, or nullptr.
    static const TControl* Source();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TDragTracker() = default;
    static TDragTracker& Instance();

    void Start();
    void MoveTo(const QPoint& Global);
    void Finish(bool Drop);
    // The enabled control under the point; nullptr over no window of the program.
    static TControl* ControlAt(const QPoint& Global);
    // Asks Target about the source at the last position; false when the drag ended meanwhile.
    bool AskTarget(TControl* Target, TDragState State, bool& Accept);
    void ShowCursor(TCursor Cursor);
    // Whether the drag numbered Generation is still the one in progress.
    bool Current(int Generation) const { return FSource && FGeneration == Generation; }

    QPointer<TControl> FSource;
    QPointer<TControl> FTarget;
    QPoint FStartPos;
    QPoint FPos; // the last position, in global coordinates
    int FThreshold = 0;
    int FGeneration = 0;
    bool FStarted = false;
    bool FAccepted = false;
    bool FCursorShown = false;
};
