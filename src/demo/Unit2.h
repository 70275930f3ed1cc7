#pragma once

// The demonstration program's people form: the base form over the people table with a
// tab per feature of the library, each with live controls on the people and a note on
// what to try: the grid with its total row and colour and font hooks, the lookup combos,
// master and detail grids, the edit forms of lookup tables, the list field, the popup
// menus with the rich edit and the picture, design notes and the record cloner.

#include <forms/fBase.h>

class TDataSource;
class TDBImage;
class TDBMemo;
class TKroDBCombo;
class TKroDBEdit;
class TKroDBLookupCombo;
class TKroDBRichEdit;
class TKroDBText;
class TKroRecordCloner;
class TButton;

// The edit form of the people table; closing it hides it.
class TFormPeople : public TFormBase {
    Q_OBJECT
    Q_MOC_INCLUDE("db/Field.h")
    Q_MOC_INCLUDE("rtl/Font.h")
    Q_CLASSINFO("FormFile", ":/demo/forms/Unit2.form")
public:
    Q_INVOKABLE explicit TFormPeople(TComponent* AOwner = nullptr);
    ~TFormPeople() override;

    TDataSource* DataSource1 = nullptr;
    TDataSource* DataSource2 = nullptr;
    TKroTabSheet* TabSheet1 = nullptr;
    TKroDBLookupCombo* LookupLangName = nullptr;
    TKroDBLookupCombo* LookupLangKey = nullptr;
    TKroDBLookupCombo* LookupLangCodeName = nullptr;
    TKroDBLookupCombo* LookupCountryOfContinent = nullptr;
    TKroDBEdit* EditContinent = nullptr;
    TKroDBLookupCombo* LookupCountryLevels = nullptr;
    TKroDBLookupCombo* LookupProfession = nullptr;
    TKroDBLookupCombo* LookupUnbound = nullptr;
    TKroDBText* TextLangName = nullptr;
    TKroTabSheet* KroTabSExtracts = nullptr;
    TKroDbGrid* GridMaster = nullptr;
    TKroDbGrid* GridDetail = nullptr;
    TKroTabSheet* KroTabSForms = nullptr;
    TKroDBLookupCombo* FormsLangCombo = nullptr;
    TKroDBLookupCombo* FormsCountryCombo = nullptr;
    TKroDbGrid* GridForms = nullptr;
    TKroTabSheet* KroTabSList = nullptr;
    TKroDBCombo* ComboSex = nullptr;
    TKroDbGrid* GridList = nullptr;
    TKroTabSheet* KroTabSPopup = nullptr;
    TKroDBEdit* EditName = nullptr;
    TDBMemo* MemoInfo = nullptr;
    TKroDBRichEdit* RichEdit = nullptr;
    TDBImage* ImagePhoto = nullptr;
    TKroTabSheet* KroTabSDesign = nullptr;
    TKroTabSheet* KroTabSheet1 = nullptr;
    TButton* Button1 = nullptr;
    TKroDbGrid* GridClonePeople = nullptr;
    TKroDbGrid* GridCloneJobs = nullptr;
    TKroRecordCloner* KroRecordCloner1 = nullptr;

    // The number of people that pass the filter in force, under the names in the grid's
    // total row ("Count: N"): counted by the statement as the form becomes active, else as
    // the grid counts the people it shows.
    void CountPeople();

    // How many times the counting language lists were dropped down.
    int DropDownCount() const { return FDropDownCount; }

    Q_INVOKABLE void FormCreate(TObject* Sender);
    Q_INVOKABLE void FormActivate(TObject* Sender);
    // The base form's filter commands, then the people count.
    Q_INVOKABLE void SBFilterEditClick(TObject* Sender);
    Q_INVOKABLE void ComboBoxFilterListChange(TObject* Sender);
    Q_INVOKABLE void SBFilterSetClick(TObject* Sender);
    Q_INVOKABLE void SBFilterExternalSetClick(TObject* Sender);
    Q_INVOKABLE void SBFilterNoneClick(TObject* Sender);
    // Passport names: a light yellow background for language 6, the language's font and
    // red for language 2.
    Q_INVOKABLE void KroDbGridSetColor(TObject* Sender, TField* Field, TColor& Color);
    Q_INVOKABLE void KroDbGridSetFont(TObject* Sender, TField* Field, TFont* Font);
    // Counts the openings of a language list in its hint.
    Q_INVOKABLE void LangComboDropDown(TObject* Sender);
    // The languages table's edit form.
    Q_INVOKABLE void LangComboEditData(TObject* Sender, TTypeShow TypeShow,
                                       TFieldReturn* FieldReturn);
    Q_INVOKABLE void Button1Click(TObject* Sender);
    // The copy of a person takes the next free id; the copies of the jobs point at it.
    Q_INVOKABLE void KroRecordCloner1CloneDataSet(TDataSet* DataSet);
    Q_INVOKABLE void KroRecordCloner1CloneSubDataSet(TDataSet* DataSet);
    // The cloning page shows all people: a filter in force is switched off.
    Q_INVOKABLE void PageControl1Change(TObject* Sender);

private:
    // Finds the components of the form file (Loaded runs once per file read).
    void FindComponents();
    // The language of the person on the row being drawn: its row of the language list,
    // found by id without moving the list.
    Variant PersonLanguage(TField* Field, const QString& Column) const;
    // The count of "Select Count(*)" over the people with the filter's condition.
    Variant PeopleCountedBySql() const;
    void ShowPeopleCount(const Variant& Count);

    int FDropDownCount = 0;
};

extern TFormPeople* FormPeople;
