#pragma once

// The library's ready-made edit form: a tool bar (search, filters, tools, navigator,
// sorting, Return) over a page control whose first page holds the grid; a "Record" page
// shows one record when the grid does not fit or the dataset has pictures or memos. It is
// also the form every dataset without an edit form of its own is shown in.

#include "KroForms.h"

#include <functional>

class TBitBtn;
class TComboBox;
class TDBNavigator;
class TKroDbGrid;
class TKroDBSortingCombo;
class TKroFilter;
class TKroFindDlg;
class TKroPageControl;
class TKroTabSheet;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TScrollBox;
class TSpeedButton;

// An edit form of a dataset with a grid, a filter bar and, as needed, a one-record page.
class TFormBase : public TFormDB {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/fBase.form")
public:
    Q_INVOKABLE explicit TFormBase(TComponent* AOwner = nullptr);

    TPanel* Panel1 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SBFilterPanel = nullptr;
    TSpeedButton* SpeedButtonTools = nullptr;
    TDBNavigator* DBNav = nullptr;
    TKroDBSortingCombo* DBSortingCombo = nullptr;
    TBitBtn* BitBtnOk = nullptr;
    TKroPageControl* PageControl1 = nullptr;
    TKroTabSheet* TabSGrid = nullptr;
    TKroDbGrid* KroDbGrid = nullptr;
    TPanel* FilterPanel = nullptr;
    TSpeedButton* SBFilterExternalSet = nullptr;
    TSpeedButton* SBFilterNone = nullptr;
    TSpeedButton* SBFilterEdit = nullptr;
    TSpeedButton* SBFilterSet = nullptr;
    TComboBox* ComboBoxFilterList = nullptr;
    TKroFindDlg* FindDlg = nullptr;
    TKroFilter* EFilter = nullptr;
    TPopupMenu* PopupMenuTools = nullptr;
    TMenuItem* ItemRefresh = nullptr;
    TMenuItem* ItemPrinterSetup = nullptr;

    // The "Record" page and its scroll box, once made.
    TKroTabSheet* RecordPage() const { return FRecordPage; }
    TScrollBox* RecordBox() const { return FRecordBox; }

    // Widens the form for the fields (with foAutoWidth) and adds the "Record" page when
    // the grid does not fit, the dataset has a picture or memo, or foPageOneRecord asks.
    void AdjustFormWidth() override;
    // The filter list, its hint, the buttons' enabling and which one is down follow the
    // filter component.
    void UpdateFilterControls();

    Q_INVOKABLE void FormCreate(TObject* Sender);
    Q_INVOKABLE void FormActivate(TObject* Sender);
    Q_INVOKABLE void SpeedButton1Click(TObject* Sender);
    Q_INVOKABLE void SBFilterPanelClick(TObject* Sender);
    Q_INVOKABLE void SBFilterEditClick(TObject* Sender);
    Q_INVOKABLE void ComboBoxFilterListChange(TObject* Sender);
    Q_INVOKABLE void SBFilterSetClick(TObject* Sender);
    Q_INVOKABLE void SBFilterExternalSetClick(TObject* Sender);
    Q_INVOKABLE void SBFilterNoneClick(TObject* Sender);
    Q_INVOKABLE void SpeedButtonToolsClick(TObject* Sender);
    Q_INVOKABLE void ItemRefreshClick(TObject* Sender);
    Q_INVOKABLE void ItemPrinterSetupClick(TObject* Sender);
    Q_INVOKABLE void DBSortingComboKeyDown(TObject* Sender, quint16& Key, TShiftState Shift);

protected:
    // For descendants with form files of their own: does not read form files.
    TFormBase(TComponent* AOwner, TInherited);

    // Finds the components the form file made.
    void Loaded() override;

private:
    void CreateRecordPage();
    // Runs a filter command, then brings the filter controls up to date, also when it fails.
    void RunFilterCommand(const std::function<void()>& Command);
    void SetFilterMode(int Mode);
    bool HasVisibleBlob() const;

    TKroTabSheet* FRecordPage = nullptr;
    TScrollBox* FRecordBox = nullptr;
};

// Shows DataSet in a new base form: picking a record (modally) when it is active, else
// browsing it. The library's edit form for datasets that have none.
void ShowDataSetInFormBase(TDataSet* DataSet);
