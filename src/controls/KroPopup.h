#pragma once

// Popup menus for the data-aware controls that the application gives none: record
// commands for any control with a "DataSource", navigation for field controls, picture
// commands for images. One shared menu of each kind serves every control; as it opens,
// or as one of its shortcuts is pressed, it finds the dataset of the control it serves
// and enables only the commands that make sense for it.

#include <functional>
#include <ui/Menus.h>

class TDataSet;
class TDataSource;
class TControl;
class TDBImage;
class TField;

// Record commands (insert, delete, edit, post, cancel, refresh, clone) for the dataset of the
// control the menu opened on.
class TPopupMenuKroDBControls : public TPopupMenu {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPopupMenuKroDBControls(TComponent* AOwner = nullptr);

    // The active dataset of the control the menu last opened on; nullptr when none.
    TDataSet* DataSet() const { return FDataSet; }

    // Enables the items for the focused control first.
    bool IsShortCut(TShortCut Value) override;

protected:
    void DoPopup() override;
    // Enables the items of this class, which start at Offset; a descendant that puts
    // items in front calls it with their count added and then enables its own.
    virtual void UpdateItems(int Offset);
    TMenuItem* Item(int Index) const { return Items()->Items(Index); }
    // A new item at Index with an OnClick that runs Action (none for a separator).
    TMenuItem* NewItem(int Index, const QString& Caption, TShortCut Key,
                       std::function<void()> Action);
    // Runs Action with the dataset found at the opening, when it is still there.
    std::function<void()> OnDataSet(std::function<void(TDataSet*)> Action);
    // The control the menu serves.
    TControl* Control() const;
    // The data source whose dataset the items work on: the control's "DataSource".
    virtual TDataSource* ControlDataSource() const;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // Disables every item, finds the dataset and enables the items.
    void Prepare();
    // Fires the dataset's OnAction; false when a handler vetoes Action.
    bool ActionNeeded(int Action);
    void DeleteRecord();

    TDataSet* FDataSet = nullptr;
};

// Navigation items in front of the record items.
class TPopupMenuKroDBFieldControls : public TPopupMenuKroDBControls {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPopupMenuKroDBFieldControls(TComponent* AOwner = nullptr);

protected:
    void UpdateItems(int Offset) override;
};

// Clipboard items for an edit or a memo in front of the record items.
class TPopupMenuKroDBMemo : public TPopupMenuKroDBControls {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPopupMenuKroDBMemo(TComponent* AOwner = nullptr);

protected:
    void UpdateItems(int Offset) override;

private:
    // Runs Command on the control when it is an edit or a memo and the active control.
    void OnActiveText(const std::function<void(TControl*)>& Command);
};

// Picture items for a TDBImage in front of the navigation and record items.
class TPopupMenuKroDBImage : public TPopupMenuKroDBFieldControls {
    Q_OBJECT
    Q_PROPERTY(bool AllowLoadFromFile READ AllowLoadFromFile WRITE SetAllowLoadFromFile)
public:
    Q_INVOKABLE explicit TPopupMenuKroDBImage(TComponent* AOwner = nullptr);

    // Whether "Load from file" is offered.
    bool AllowLoadFromFile() const { return FAllowLoadFromFile; }
    void SetAllowLoadFromFile(bool Value) { FAllowLoadFromFile = Value; }

protected:
    void UpdateItems(int Offset) override;

private:
    TDBImage* Image() const;
    // The image's field, when it is a blob field; nullptr otherwise.
    TField* PictureField() const;
    bool CanModifyPicture() const;
    void LoadFromFile();
    void SaveToFile();
    void ClearPicture();
    // Puts the dataset in edit state when needed.
    void EditRecord();

    bool FAllowLoadFromFile = true;
};

// The shared menus, made on first use and owned by the application.
TPopupMenuKroDBFieldControls* PopupMenuKroDBFieldControls();
TPopupMenuKroDBMemo* PopupMenuKroDBMemo();
TPopupMenuKroDBImage* PopupMenuKroDBImage();
