#pragma once

// The filter dialog: the filters of a TKroFilter edited row by row.

#include <QList>
#include <memory>
#include <ui/Forms.h>

class TBitBtn;
class TCheckBox;
class TComboBox;
class TControl;
class TDataSource;
class TEdit;
class TField;
class TKroFilter;
class TLabel;
class TPanel;
class TScrollBox;
class TSpeedButton;

// Texts of the filter dialog.
inline const QString FilterTextCaption = QStringLiteral("Edit filters");
inline const QString FilterTextDeleteFilter = QStringLiteral("Delete filter");
inline const QString FilterTextForAll = QStringLiteral("For all records");
inline const QString FilterTextGroups =
    QStringLiteral(" Symbol ' | ' separates groups of conditions");

// A condition row of the filter dialog: its number, the dataset (with detail datasets), the
// field, the operation and the value editor. Its controls carry the row's index in Tag.
class TViewItem {
public:
    TViewItem() = default;
    ~TViewItem();
    TViewItem(const TViewItem&) = delete;
    TViewItem& operator=(const TViewItem&) = delete;

    TLabel* Number = nullptr;
    TComboBox* DataSetBox = nullptr;
    TComboBox* FieldBox = nullptr;
    TComboBox* OperationBox = nullptr;
    TControl* Editor = nullptr;
    std::unique_ptr<TDataSource> ListSource; // the editor's list of a lookup field
    QList<TField*> Fields;                   // the fields FieldBox lists
    QString Error;                           // why the editor's value does not fit

    void SetIndex(int Index);
    // The row's controls in tab order.
    QList<TControl*> Controls() const;
    void DropEditor();
};

// "Edit filters": steps through the filters of a TKroFilter, names them and edits their
// condition rows and link expressions. It writes into the filter's model as the user
// works; the caller undoes a cancel by reading the filter file again.
class TFormFilter : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/Filter.form")
public:
    Q_INVOKABLE explicit TFormFilter(TComponent* AOwner = nullptr);
    ~TFormFilter() override;

    TPanel* PanelHeader = nullptr;
    TSpeedButton* SBPred = nullptr;
    TSpeedButton* SBNext = nullptr;
    TSpeedButton* SBAdd = nullptr;
    TSpeedButton* SBDelete = nullptr;
    TSpeedButton* SBRestore = nullptr;
    TEdit* EditFilterName = nullptr;
    TLabel* LNumberFilter = nullptr;
    TSpeedButton* SBAddCond = nullptr;
    TSpeedButton* SBDeleteCond = nullptr;
    TCheckBox* CheckBoxAutoTotal = nullptr;
    TScrollBox* Scroll = nullptr;
    TBitBtn* BitBtnSet = nullptr;
    TBitBtn* BitBtnNone = nullptr;
    TBitBtn* BitBtnCancel = nullptr;
    TLabel* LabelTotalHint = nullptr;
    TLabel* LabelSubTotalHint = nullptr;

    // Takes the filter to edit with the widths of the dataset and field columns.
    void SetFilter(TKroFilter* Filter, int WidthDataSetName, int WidthFieldName);
    TKroFilter* Filter() const { return FFilter; }
    int RowCount() const { return int(FRows.size()); }
    TViewItem* Row(int Index) const { return FRows.value(Index).get(); }
    // The link edits (the main dataset's first), dataset labels and "For all records"
    // check boxes of the datasets.
    const QList<TEdit*>& LinkEdits() const { return FLinkEdits; }
    const QList<TLabel*>& DataSetLabels() const { return FDataSetLabels; }
    const QList<TCheckBox*>& ForAllBoxes() const { return FForAllBoxes; }

    // Passes the name, the "and" choice, the link texts and the check boxes to the filter.
    Q_INVOKABLE void ChangeFilter(TObject* Sender);
    // Ctrl+grey plus adds a condition, Ctrl+grey minus deletes the focused one.
    Q_INVOKABLE void FormKeyDown(TObject* Sender, quint16& Key, TShiftState Shift);
    // Closing with "Set filter" or "Switch off" is refused while a value does not fit.
    Q_INVOKABLE void FormCloseQuery(TObject* Sender, bool& CanClose);
    Q_INVOKABLE void SBPredClick(TObject* Sender);
    Q_INVOKABLE void SBNextClick(TObject* Sender);
    Q_INVOKABLE void SBAddClick(TObject* Sender);
    Q_INVOKABLE void SBDeleteClick(TObject* Sender);
    Q_INVOKABLE void SBRestoreClick(TObject* Sender);
    Q_INVOKABLE void SBAddCondClick(TObject* Sender);
    Q_INVOKABLE void SBDeleteCondClick(TObject* Sender);
    Q_INVOKABLE void CheckBoxAutoTotalClick(TObject* Sender);

private:
    void FindControls();
    void SetCaptions();
    void BuildDataSetLines();
    void ClearDataSetLines();
    // Shows the current filter; rows are made for its conditions and dropped beyond them.
    void LoadFilter();
    void ShowNoFilter();
    void EnableLinks(bool Enabled);
    void AddRow(int Index);
    void FillRow(int Index);
    void FillFields(TViewItem& Row, int DataSetIndex);
    void FillOperations(TViewItem& Row, TField* Field);
    void MakeEditor(int Index, TField* Field);
    void PlaceRow(TViewItem& Row, int Index);
    void DeleteRow(int Index);
    // The row a control belongs to, or -1.
    int RowOf(const TControl* Control) const;
    void DataSetBoxChange(TObject* Sender);
    void FieldBoxChange(TObject* Sender);
    void OperationBoxChange(TObject* Sender);
    void EditValueChange(TObject* Sender);
    // The field the condition of the row names (its lookup field when it names one).
    TField* ConditionField(int Index) const;
    // Takes the focus away so that the name edit's exit stores the dialog.
    void LeaveEdits();

    TKroFilter* FFilter = nullptr;
    QList<std::shared_ptr<TViewItem>> FRows;
    QList<TEdit*> FLinkEdits;
    QList<TLabel*> FDataSetLabels;
    QList<TCheckBox*> FForAllBoxes;
    bool FLoading = false;
    int FWidthDataSetName = 175;
    int FWidthFieldName = 150;
};

// Runs the dialog on Filter and gives its modal result (FilterDialogHook).
int ExecuteFilterDialog(TKroFilter* Filter, int WidthDataSetName, int WidthFieldName);
