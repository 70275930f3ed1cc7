#pragma once

// The base of the library's edit forms. A TFormDB shows one dataset through its
// DataSource: it points the form's grids, navigators and other source users at that
// source, prepares the dataset as it takes it over (opened, read-only as the form says)
// and restores it as it lets it go, posts pending edits as the user leaves, takes its
// title from the dataset's "Caption", widens itself to show the fields and returns the
// key of the record picked to whoever asked for it. ShowFormDB opens edit forms for the
// datasets' OnEditData handlers.

#include <dataset/KroDB.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <ui/Forms.h>

class TDataSource;
class TDBNavigator;
class TFormDBDataLink;

PUBLISHED_ENUM(TFormDBOption, foDataReadOnly, foPageOneRecord, foFreeOnClose, foApplyOnClose,
               foPC1ChangeSize, foAutoWidth, foUserOption1, foUserOption2, foUserOption3)
using TFormDBOptions = TSet<TFormDBOption>;
inline constexpr TFormDBOptions FormDBDefaultOptions{foFreeOnClose, foApplyOnClose, foAutoWidth};

// An edit form of the dataset its DataSource shows.
class TFormDB : public TForm {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(TFormDBOptions Options READ Options WRITE SetOptions)
public:
    Q_INVOKABLE explicit TFormDB(TComponent* AOwner = nullptr);
    ~TFormDB() override;

    // The data link's source.
    TDataSource* DataSource() const;
    // Given a source (outside loading), the form's components that show the current source
    // and name no field (grids, navigators, filters) follow to the new one; invisible
    // controls and field-bound controls keep theirs.
    void SetDataSource(TDataSource* Value);
    TFormDBOptions Options() const { return FOptions; }
    void SetOptions(TFormDBOptions Value) { FOptions = Value; }

    TDataSet* DataSet() const;
    // Shows DataSet through the data source (made when the form has none): the dataset
    // shown so far is restored and the new one prepared.
    void SetDataSet(TDataSet* Value);
    // The key of the record to show at the next activation, and where the key of the record
    // current at closing goes. Not owned; forgotten when destroyed.
    TFieldReturn* FieldReturn() const { return FFieldReturn; }
    void SetFieldReturn(TFieldReturn* Value);
    // The dataset ShowFormDB made the form for.
    TDataSet* CreatedFor() const { return FCreatedFor; }
    void SetCreatedFor(TDataSet* Value);

    // Text, when not empty, else the dataset's "Caption" when it has a non-empty one,
    // becomes the form's caption.
    void UpdateCaption(const QString& Text = QString());

    // Widens the form (never narrows it) to show every visible field side by side, when
    // foAutoWidth is set.
    virtual void AdjustFormWidth();

protected:
    struct TInherited {};
    // For descendants: does not read form files.
    TFormDB(TComponent* AOwner, TInherited);

    // The form takes DataSet over (IsNew), or sees it again: opens it, and for a table
    // saves and sets cached updates and ReadOnly as the options say.
    virtual void PrepareDataSet(TDataSet* DataSet, bool IsNew);
    // Puts back what PrepareDataSet changed, and the dataset's active state.
    virtual void RestoreDataSet(TDataSet* DataSet);
    // Widens the form to CharWidth times the fields' display widths (and display labels,
    // with CountLabels) plus ExtraPixels, at most to the screen's width; whether all of it
    // fitted on the screen.
    bool WidenForFields(int CharWidth, int ExtraPixels, bool CountLabels);

    void Activate() override;
    void Deactivate() override;
    // Posts, applies cached updates as the options say and returns the current key
    // before the application's OnClose.
    void DoClose(TCloseAction& Action) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TFormDBDataLink;

    // The link's dataset became active or inactive, or changed.
    void LinkActiveChanged();
    bool EditsData() const;

    std::unique_ptr<TFormDBDataLink> FDataLink;
    TDataSource* FOwnSource = nullptr;
    TFormDBOptions FOptions = FormDBDefaultOptions;
    // What PrepareDataSet found, for RestoreDataSet.
    struct TSavedState {
        bool ReadOnly = false;
        bool CachedUpdates = false;
        bool Active = false;
        QString IndexFieldNames;
        QString IndexName;
    } FSaved;
    TDataSet* FPrepared = nullptr; // the dataset prepared, whose state is saved
    bool FBusy = false;            // the form itself changes the source or the dataset
    TFieldReturn* FFieldReturn = nullptr;
    bool FKeyToLocate = false; // the key of FFieldReturn is shown at the next activation
    TDataSet* FCreatedFor = nullptr;
};

// Set by ShowFormDB with tsSelect: whether the user confirmed a record (mrOk).
extern bool FormDBReturn;

// Opens DataSet's edit form of class FormClass (a TFormDB): the form made for DataSet
// before when there is one, else a new one owned by the application. An active form is
// returned as it is. Otherwise it gets FieldReturn and is shown as TypeShow says:
// tsSelect shows it modally (MDI children modelessly) and sets FormDBReturn.
TFormDB* ShowFormDB(TComponentClass FormClass, TDataSet* DataSet, TTypeShow TypeShow,
                    TFieldReturn* FieldReturn);
template <class T>
T* ShowFormDB(TDataSet* DataSet, TTypeShow TypeShow, TFieldReturn* FieldReturn = nullptr) {
    return static_cast<T*>(ShowFormDB(&T::staticMetaObject, DataSet, TypeShow, FieldReturn));
}

// Shows a dataset for which nobody provided an edit form; the library's base data form
// installs itself here.
using TDefaultEditFormProc = void (*)(TDataSet* DataSet);
extern TDefaultEditFormProc DefaultEditFormHook;

// Gives a navigator without hints those of its ten buttons.
void SetNavigatorHints(TDBNavigator* Navigator);
