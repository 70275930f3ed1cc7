#include "KroPopup.h"

#include <QPointer>
#include <dataset/KroDB.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <rtl/Reference.h>
#include <rtl/TypeInfo.h>
#include <ui/Application.h>
#include <ui/Clipbrd.h>
#include <ui/DBCtrls.h>
#include <ui/DBRichEdit.h>
#include <ui/Dialogs.h>
#include <ui/Graphics.h>
#include <ui/Screen.h>

namespace {

// The record items, in menu order.
enum TRecordItem { riInsert, riDelete, riEdit, riPost, riCancel, riRefresh, riClone, riCount };
// The navigation items and their separator.
enum TNavigationItem { niFirst, niPrior, niNext, niLast, niLine, niCount };
// The clipboard items and their separator.
enum TTextItem { tiCopy, tiInsert, tiSelectAll, tiLine, tiCount };
// The picture items and their separator.
enum TPictureItem { piLoad, piSave, piScale, piCopy, piInsert, piClear, piLine, piCount };

// Whether DataSet's "Actions" allow Action; a dataset without them allows every action.
bool ActionAllowed(const TDataSet* DataSet, TKroDataSetAction Action) {
    const QString actions = QStringLiteral("Actions");
    return !IsPublishedProp(DataSet, actions) ||
           DataSet->property("Actions").value<TKroDataSetActions>().Contains(Action);
}

// Runs Action with Control as the edit, memo or rich edit it is; false when it is none.
template <class F> bool WithText(TControl* Control, F Action) {
    if (auto* edit = qobject_cast<TEdit*>(Control)) {
        Action(edit);
        return true;
    }
    if (auto* memo = qobject_cast<TMemo*>(Control)) {
        Action(memo);
        return true;
    }
    if (auto* rich = qobject_cast<TCustomRichEdit*>(Control)) {
        Action(rich);
        return true;
    }
    return false;
}

// Whether a data-aware text control may change its field; a plain one whether it is
// editable.
template <class T> bool CanChangeText(T* Control) {
    if (Control->ReadOnly())
        return false;
    if (auto* rich = qobject_cast<TDBRichEdit*>(Control))
        return rich->Field() && rich->Field()->CanModify();
    auto* dataControl = dynamic_cast<TFieldDataControl*>(Control);
    return !dataControl || (dataControl->Field() && dataControl->Field()->CanModify());
}

} // namespace

// ---- Record items ---------------------------------------------------------------------

TPopupMenuKroDBControls::TPopupMenuKroDBControls(TComponent* AOwner) : TPopupMenu(AOwner) {
    NewItem(riInsert, QStringLiteral("Insert record"), scCtrl | VK_ADD,
            OnDataSet([this](TDataSet* DataSet) {
                if (DataSet->CanModify() && ActionNeeded(daInsert))
                    DataSet->Insert();
            }));
    NewItem(riDelete, QStringLiteral("Delete record"), scCtrl | VK_SUBTRACT,
            OnDataSet([this](TDataSet*) { DeleteRecord(); }));
    NewItem(riEdit, QStringLiteral("Edit record"), scNone, OnDataSet([](TDataSet* DataSet) {
                if (DataSet->CanModify() && DataSet->State() == dsBrowse)
                    DataSet->Edit();
            }));
    NewItem(riPost, QStringLiteral("Post edit"), scCtrl | 'S', OnDataSet([](TDataSet* DataSet) {
                if (DataSet->IsEditing())
                    DataSet->Post();
            }));
    NewItem(riCancel, QStringLiteral("Cancel edit"), scNone, OnDataSet([](TDataSet* DataSet) {
                if (DataSet->IsEditing())
                    DataSet->Cancel();
            }));
    NewItem(riRefresh, QStringLiteral("Refresh data"), scNone, OnDataSet(RefreshDataSet));
    NewItem(riClone, QStringLiteral("Clone record"), scNone, OnDataSet(CloneCurrentRecord));
}

TMenuItem* TPopupMenuKroDBControls::NewItem(int Index, const QString& Caption, TShortCut Key,
                                            std::function<void()> Action) {
    auto* item = new TMenuItem(this);
    item->SetCaption(Caption);
    item->SetShortCut(Key);
    if (Action)
        item->SetOnClick(TNotifyEvent([Action = std::move(Action)](TObject*) { Action(); }));
    Items()->Insert(Index, item);
    return item;
}

std::function<void()> TPopupMenuKroDBControls::OnDataSet(std::function<void(TDataSet*)> Action) {
    // The dataset may have gone between the opening and the click.
    return [this, Action = std::move(Action)] {
        if (FDataSet)
            Action(FDataSet);
    };
}

TControl* TPopupMenuKroDBControls::Control() const {
    return qobject_cast<TControl*>(PopupComponent());
}

TDataSource* TPopupMenuKroDBControls::ControlDataSource() const {
    const QString sourceProp = QStringLiteral("DataSource");
    TControl* control = Control();
    if (!control || !PropIsType(control, sourceProp, tkClass))
        return nullptr;
    return qobject_cast<TDataSource*>(GetObjectProp(control, sourceProp));
}

void TPopupMenuKroDBControls::Prepare() {
    for (int i = 0; i < Items()->Count(); ++i)
        Item(i)->SetEnabled(false);
    TDataSet* dataSet = nullptr;
    if (TDataSource* source = ControlDataSource())
        dataSet = source->DataSet() && source->DataSet()->Active() ? source->DataSet() : nullptr;
    ReplaceReference(this, FDataSet, dataSet);
    UpdateItems(0);
}

void TPopupMenuKroDBControls::UpdateItems(int Offset) {
    if (!FDataSet)
        return;
    if (FDataSet->CanModify()) {
        const bool browsing = FDataSet->State() == dsBrowse;
        Item(Offset + riInsert)->SetEnabled(ActionAllowed(FDataSet, daInsert));
        Item(Offset + riDelete)
            ->SetEnabled(ActionAllowed(FDataSet, daDelete) && !FDataSet->IsEmpty());
        Item(Offset + riClone)
            ->SetEnabled(ActionAllowed(FDataSet, daClone) && !FDataSet->IsEmpty());
        Item(Offset + riEdit)->SetEnabled(browsing && !FDataSet->IsEmpty());
        Item(Offset + riPost)->SetEnabled(FDataSet->IsEditing());
        Item(Offset + riCancel)->SetEnabled(FDataSet->IsEditing());
    }
    Item(Offset + riRefresh)->SetEnabled(true);
}

void TPopupMenuKroDBControls::DoPopup() {
    Prepare();
    TPopupMenu::DoPopup();
}

bool TPopupMenuKroDBControls::IsShortCut(TShortCut Value) {
    Prepare();
    return TPopupMenu::IsShortCut(Value);
}

bool TPopupMenuKroDBControls::ActionNeeded(int Action) {
    bool actionNeed = true;
    const QString onAction = QStringLiteral("OnAction");
    if (IsPublishedProp(FDataSet, onAction))
        FDataSet->property("OnAction")
            .value<TOnDataSetActionEvent>()(this, FDataSet, TKroDataSetAction(Action), actionNeed);
    return actionNeed;
}

void TPopupMenuKroDBControls::DeleteRecord() {
    // The handler of OnAction may let the dataset go.
    if (!FDataSet->CanModify() || !ActionNeeded(daDelete) || !FDataSet)
        return;
    QString question = QStringLiteral("Delete record?");
    const QString captionProp = QStringLiteral("Caption");
    if (PropIsType(FDataSet, captionProp, tkString))
        if (const QString caption = GetStrProp(FDataSet, captionProp); !caption.isEmpty())
            question = caption + QLatin1Char('\n') + question;
    TModalResult answer = mrCancel;
    {
        TKroMessageScope scope;
        answer = MessageDlg(question, mtConfirmation, mbOKCancel);
    }
    if (answer != mrCancel && FDataSet)
        FDataSet->Delete();
}

void TPopupMenuKroDBControls::Notification(TComponent* AComponent, TOperation Operation) {
    TPopupMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet)
        FDataSet = nullptr;
}

// ---- Navigation items -----------------------------------------------------------------

TPopupMenuKroDBFieldControls::TPopupMenuKroDBFieldControls(TComponent* AOwner)
    : TPopupMenuKroDBControls(AOwner) {
    NewItem(niFirst, QStringLiteral("First record"), scCtrl | VK_HOME,
            OnDataSet([](TDataSet* DataSet) { DataSet->First(); }));
    NewItem(niPrior, QStringLiteral("Prior record"), scCtrl | VK_PRIOR,
            OnDataSet([](TDataSet* DataSet) { DataSet->Prior(); }));
    NewItem(niNext, QStringLiteral("Next record"), scCtrl | VK_NEXT,
            OnDataSet([](TDataSet* DataSet) { DataSet->Next(); }));
    NewItem(niLast, QStringLiteral("Last record"), scCtrl | VK_END,
            OnDataSet([](TDataSet* DataSet) { DataSet->Last(); }));
    NewItem(niLine, QStringLiteral("-"), scNone, nullptr);
}

void TPopupMenuKroDBFieldControls::UpdateItems(int Offset) {
    TPopupMenuKroDBControls::UpdateItems(Offset + niCount);
    if (!DataSet())
        return;
    Item(Offset + niFirst)->SetEnabled(!DataSet()->Bof());
    Item(Offset + niPrior)->SetEnabled(!DataSet()->Bof());
    Item(Offset + niNext)->SetEnabled(!DataSet()->Eof());
    Item(Offset + niLast)->SetEnabled(!DataSet()->Eof());
}

// ---- Clipboard items ------------------------------------------------------------------

TPopupMenuKroDBMemo::TPopupMenuKroDBMemo(TComponent* AOwner) : TPopupMenuKroDBControls(AOwner) {
    NewItem(tiCopy, QStringLiteral("Copy"), scNone, [this] {
        OnActiveText([](TControl* Control) {
            WithText(Control, [](auto* Text) { Text->CopyToClipboard(); });
        });
    });
    NewItem(tiInsert, QStringLiteral("Insert"), scNone, [this] {
        OnActiveText([](TControl* Control) {
            WithText(Control, [](auto* Text) {
                if (!CanChangeText(Text))
                    return;
                // A data-aware control starts editing its record as typing would.
                if (auto* dataControl = dynamic_cast<TFieldDataControl*>(Text);
                    dataControl && !dataControl->DataLink()->Edit())
                    return;
                Text->PasteFromClipboard();
            });
        });
    });
    NewItem(tiSelectAll, QStringLiteral("Select All"), scNone, [this] {
        OnActiveText(
            [](TControl* Control) { WithText(Control, [](auto* Text) { Text->SelectAll(); }); });
    });
    NewItem(tiLine, QStringLiteral("-"), scNone, nullptr);
}

void TPopupMenuKroDBMemo::OnActiveText(const std::function<void(TControl*)>& Command) {
    TControl* control = Control();
    if (control && control == Screen()->ActiveControl())
        Command(control);
}

void TPopupMenuKroDBMemo::UpdateItems(int Offset) {
    TPopupMenuKroDBControls::UpdateItems(Offset + tiCount);
    WithText(Control(), [&](auto* Text) {
        Item(Offset + tiCopy)->SetEnabled(Text->SelLength() > 0);
        Item(Offset + tiInsert)->SetEnabled(CanChangeText(Text) && Clipboard()->HasFormat(CF_TEXT));
        Item(Offset + tiSelectAll)->SetEnabled(!Text->Text().isEmpty());
    });
}

// ---- Picture items --------------------------------------------------------------------

TPopupMenuKroDBImage::TPopupMenuKroDBImage(TComponent* AOwner)
    : TPopupMenuKroDBFieldControls(AOwner) {
    NewItem(piLoad, QStringLiteral("Load from file"), scNone, [this] { LoadFromFile(); });
    NewItem(piSave, QStringLiteral("Save to file"), scNone, [this] { SaveToFile(); });
    NewItem(piScale, QStringLiteral("Scale"), scNone, [this] {
        if (TDBImage* image = Image())
            image->SetStretch(!image->Stretch());
    });
    NewItem(piCopy, QStringLiteral("Copy"), scNone, [this] {
        if (TDBImage* image = Image())
            image->CopyToClipboard();
    });
    NewItem(piInsert, QStringLiteral("Insert"), scNone, [this] {
        if (TDBImage* image = Image())
            image->PasteFromClipboard();
    });
    NewItem(piClear, QStringLiteral("Clear"), scNone, [this] { ClearPicture(); });
    NewItem(piLine, QStringLiteral("-"), scNone, nullptr);
}

TDBImage* TPopupMenuKroDBImage::Image() const {
    return qobject_cast<TDBImage*>(Control());
}

TField* TPopupMenuKroDBImage::PictureField() const {
    TDBImage* image = Image();
    TField* field = image && DataSet() ? image->Field() : nullptr;
    return field && field->IsBlob() ? field : nullptr;
}

bool TPopupMenuKroDBImage::CanModifyPicture() const {
    TField* field = PictureField();
    return field && field->CanModify() && !Image()->ReadOnly();
}

void TPopupMenuKroDBImage::UpdateItems(int Offset) {
    TPopupMenuKroDBFieldControls::UpdateItems(Offset + piCount);
    TDBImage* image = Image();
    TField* field = PictureField();
    if (!image || !field)
        return;
    const bool hasPicture = !field->IsNull();
    const bool canModify = CanModifyPicture();
    Item(Offset + piScale)->SetEnabled(true);
    Item(Offset + piScale)->SetChecked(image->Stretch());
    Item(Offset + piSave)->SetEnabled(hasPicture);
    Item(Offset + piCopy)->SetEnabled(hasPicture);
    Item(Offset + piLoad)->SetEnabled(canModify && FAllowLoadFromFile);
    Item(Offset + piInsert)->SetEnabled(canModify && Clipboard()->HasFormat(CF_BITMAP));
    Item(Offset + piClear)->SetEnabled(canModify && hasPicture);
}

void TPopupMenuKroDBImage::EditRecord() {
    if (!DataSet()->IsEditing())
        DataSet()->Edit();
}

void TPopupMenuKroDBImage::LoadFromFile() {
    if (!CanModifyPicture() || !FAllowLoadFromFile)
        return;
    TOpenDialog dialog;
    dialog.SetDefaultExt(GraphicExtension());
    dialog.SetFilter(GraphicFilter());
    if (!dialog.Execute())
        return;
    // A file that holds no picture raises here and leaves the record alone.
    TPicture picture;
    picture.LoadFromFile(dialog.FileName());
    EditRecord();
    static_cast<TBlobField*>(PictureField())->LoadFromFile(dialog.FileName());
}

void TPopupMenuKroDBImage::SaveToFile() {
    TField* field = PictureField();
    if (!field || field->IsNull())
        return;
    TSaveDialog dialog;
    dialog.SetDefaultExt(GraphicExtension());
    dialog.SetFilter(GraphicFilter());
    if (dialog.Execute())
        static_cast<TBlobField*>(field)->SaveToFile(dialog.FileName());
}

void TPopupMenuKroDBImage::ClearPicture() {
    if (!CanModifyPicture())
        return;
    EditRecord();
    PictureField()->Clear();
}

// ---- Shared menus ---------------------------------------------------------------------

namespace {

template <class T> T* SharedMenu() {
    static QPointer<T> menu;
    if (!menu)
        menu = new T(Application());
    return menu;
}

} // namespace

TPopupMenuKroDBFieldControls* PopupMenuKroDBFieldControls() {
    return SharedMenu<TPopupMenuKroDBFieldControls>();
}

TPopupMenuKroDBMemo* PopupMenuKroDBMemo() {
    return SharedMenu<TPopupMenuKroDBMemo>();
}

TPopupMenuKroDBImage* PopupMenuKroDBImage() {
    return SharedMenu<TPopupMenuKroDBImage>();
}
