#pragma once

// A page control whose hidden pages stop their data from being fetched: while a
// TKroTabSheet is not the active page, its TurnControl can lose its data source and the
// dataset behind the control its master, so scrolling the master re-reads no details
// nobody sees. Pages of page controls nested on a page follow their outer page.

#include <ui/ComCtrls.h>

class TDataSet;
class TDataSource;

// A page that takes its control's data source, and the master of the dataset behind it,
// away while it is hidden.
class TKroTabSheet : public TTabSheet {
    Q_OBJECT
    Q_PROPERTY(TControl* TurnControl READ TurnControl WRITE SetTurnControl)
    Q_PROPERTY(bool TurnSource READ TurnSource WRITE SetTurnSource)
    Q_PROPERTY(bool TurnMasterSource READ TurnMasterSource WRITE SetTurnMasterSource)
public:
    Q_INVOKABLE explicit TKroTabSheet(TComponent* AOwner = nullptr);

    // The control whose links are switched; when none is read from a form file, the first
    // data grid on the page.
    TControl* TurnControl() const { return FTurnControl; }
    void SetTurnControl(TControl* Value);
    // Switch the control's "DataSource" off while the page is hidden.
    bool TurnSource() const { return FTurnSource; }
    void SetTurnSource(bool Value) { FTurnSource = Value; }
    // Switch the master ("MasterSource", else "DataSource") of the control's dataset off
    // while the page is hidden.
    bool TurnMasterSource() const { return FTurnMasterSource; }
    void SetTurnMasterSource(bool Value) { FTurnMasterSource = Value; }

    // The page stops or starts being shown: its links and those of the active pages of
    // page controls on it are cut or restored.
    void SwitchOff();
    void SwitchOn();

    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDataSource* ControlSource() const;
    void ForgetMaster();

    TControl* FTurnControl = nullptr;
    bool FTurnSource = false;
    bool FTurnMasterSource = false;
    TDataSource* FSavedSource = nullptr;
    TDataSource* FSavedMaster = nullptr;
    TDataSet* FDetachedDataSet = nullptr; // the dataset whose master was cleared
};

// Switches its TKroTabSheet pages off as they are hidden and on as they are shown, in
// code and at the user's request alike.
class TKroPageControl : public TPageControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TKroPageControl(TComponent* AOwner = nullptr);

    void SetActivePage(TTabSheet* Page) override;
};
