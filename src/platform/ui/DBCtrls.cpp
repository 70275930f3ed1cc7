#include "DBCtrls.h"

#include "Clipbrd.h"
#include "Dialogs.h"
#include "ExtCtrls.h"

#include <QHBoxLayout>
#include <QScopedValueRollback>
#include <QToolButton>
#include <db/Field.h>

namespace {

bool IsEditing(TDataSet* DataSet) {
    return DataSet && DataSet->IsEditing();
}

// Tells the navigator of every change of its dataset's state or position.
class TNavDataLink : public TDataLink {
public:
    explicit TNavDataLink(std::function<void()> Changed) : FChanged(std::move(Changed)) {}

protected:
    void ActiveChanged() override { FChanged(); }
    void EditingChanged() override { FChanged(); }
    void DataSetChanged() override { FChanged(); }

private:
    std::function<void()> FChanged;
};

struct TNavButtonInfo {
    const char* Glyph;
    const char* Hint;
};

// By TNavigateBtn.
constexpr TNavButtonInfo NavButtons[] = {
    {"|\u25C0", "First record"}, {"\u25C0", "Prior record"}, {"\u25B6", "Next record"},
    {"\u25B6|", "Last record"},  {"+", "Insert record"},     {"\u2212", "Delete record"},
    {"\u25B2", "Edit record"},   {"\u2714", "Post edit"},    {"\u2716", "Cancel edit"},
    {"\u21BB", "Refresh data"},
};

constexpr TButtonSet AllNavButtons{nbFirst,  nbPrior, nbNext, nbLast,   nbInsert,
                                   nbDelete, nbEdit,  nbPost, nbCancel, nbRefresh};

} // namespace

// TFieldDataControl

bool TFieldDataControl::EditField() {
    if (FDataLink.CanModify())
        FDataLink.Edit();
    return CanEditField();
}

bool TFieldDataControl::EditField(TTextSelection& Selection) {
    const int start = Selection.SelStart();
    const int length = Selection.SelLength();
    if (!EditField())
        return false;
    Selection.SetSelStart(start);
    Selection.SetSelLength(length);
    return true;
}

bool TFieldDataControl::IsEditingKey(quint16 Key, TShiftState Shift) {
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    return Key == VK_DELETE || Key == VK_BACK || (shift && Key == VK_INSERT) ||
           (ctrl && (Key == 'V' || Key == 'X'));
}

bool TFieldDataControl::IsEditingChar(QChar Key) {
    return Key.unicode() >= 32 || Key == QChar(8) || Key == QChar(22) || Key == QChar(24);
}

void TFieldDataControl::RestoreOnEscape(quint16& Key) {
    if (Key != VK_ESCAPE || !CanEditField())
        return;
    FDataLink.Reset();
    Key = 0;
}

void TFieldDataControl::UpdateRecordOnExit(TWinControl* Control) {
    try {
        FDataLink.UpdateRecord();
    } catch (...) {
        Control->PostToWindow([Control] {
            if (Control->CanFocus())
                Control->SetFocus();
        });
        throw;
    }
}

void TFieldDataControl::FocusOnRequest(TWinControl* Control) {
    FDataLink.OnFocusRequest = [Control] {
        if (Control->CanFocus())
            Control->SetFocus();
    };
}

void TFieldDataControl::ShowData(const std::function<void()>& Show) {
    QScopedValueRollback showing(FShowingData, true);
    Show();
}

// TDBEdit

TDBEdit::TDBEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    TEdit::SetReadOnly(true);
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnEditingChange =
        FDataLink.OnActiveChange = [this] { TEdit::SetReadOnly(!CanEditField()); };
    FDataLink.OnUpdateData = [this] { UpdateData(); };
    FocusOnRequest(this);
}

void TDBEdit::DataChange() {
    TField* field = Field();
    ShowData([&] {
        if (!field) {
            SetEditMask(QString());
            SetText(QString());
            return;
        }
        SetEditMask(field->EditMask());
        if (field->DataType() == ftString && MaxLength() == 0)
            SetMaxLength(field->Size());
        SetText(FFocused && FDataLink.CanModify() ? field->Text() : field->DisplayText());
    });
}

void TDBEdit::UpdateData() {
    ValidateEdit();
    Field()->SetText(Text());
}

void TDBEdit::Change() {
    if (!ShowingData())
        FDataLink.Modified();
    TCustomMaskEdit::Change();
}

void TDBEdit::KeyDown(quint16& Key, TShiftState Shift) {
    if (IsEditingKey(Key, Shift))
        EditField();
    TCustomMaskEdit::KeyDown(Key, Shift);
    RestoreOnEscape(Key);
    if (Key == VK_RETURN && IsEditing(FDataLink.DataSet())) {
        FDataLink.UpdateRecord();
        FDataLink.DataSet()->Post();
    }
}

void TDBEdit::KeyPress(QChar& Key) {
    if (IsEditingChar(Key))
        EditField();
    TCustomMaskEdit::KeyPress(Key);
}

void TDBEdit::ClearSelection() {
    if (SelLength() > 0 && EditField(*this))
        TCustomMaskEdit::ClearSelection();
}

void TDBEdit::PasteFromClipboard() {
    if (EditField(*this))
        TCustomMaskEdit::PasteFromClipboard();
}

void TDBEdit::DoEnter() {
    FFocused = true;
    FDataLink.Reset();
    TCustomMaskEdit::DoEnter();
}

void TDBEdit::DoExit() {
    UpdateRecordOnExit(this);
    FFocused = false;
    FDataLink.Reset();
    TCustomMaskEdit::DoExit();
}

// TDBText

TDBText::TDBText(TComponent* AOwner) : TLabel(AOwner) {
    SetAutoSize(false);
    FDataLink.OnDataChange = [this] { DataChange(); };
}

QString TDBText::FieldText() const {
    return Field() ? Field()->DisplayText() : QString();
}

void TDBText::DataChange() {
    SetCaption(FieldText());
}

// TDBMemo

TDBMemo::TDBMemo(TComponent* AOwner) : TMemo(AOwner) {
    FocusOnRequest(this);
    TMemo::SetReadOnly(true);
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnEditingChange =
        FDataLink.OnActiveChange = [this] { TMemo::SetReadOnly(!CanEditField()); };
    FDataLink.OnUpdateData = [this] { UpdateData(); };
}

void TDBMemo::DataChange() {
    TField* field = Field();
    const QString text = !field                              ? QString()
                         : field->IsBlob()                   ? field->AsString()
                         : FFocused && FDataLink.CanModify() ? field->Text()
                                                             : field->DisplayText();
    // The same text stays as it is shown, with the caret where it was.
    if (text == Text())
        return;
    ShowData([&] { SetText(text); });
}

void TDBMemo::UpdateData() {
    if (Field()->IsBlob())
        Field()->SetAsString(Text());
    else
        Field()->SetText(Text());
}

void TDBMemo::Change() {
    if (!ShowingData())
        FDataLink.Modified();
    TMemo::Change();
}

void TDBMemo::KeyDown(quint16& Key, TShiftState Shift) {
    if (IsEditingKey(Key, Shift) || Key == VK_RETURN)
        EditField();
    TMemo::KeyDown(Key, Shift);
    RestoreOnEscape(Key);
}

void TDBMemo::KeyPress(QChar& Key) {
    if (IsEditingChar(Key))
        EditField();
    TMemo::KeyPress(Key);
}

void TDBMemo::ClearSelection() {
    if (SelLength() > 0 && EditField(*this))
        TMemo::ClearSelection();
}

void TDBMemo::PasteFromClipboard() {
    if (EditField(*this))
        TMemo::PasteFromClipboard();
}

void TDBMemo::DoEnter() {
    FFocused = true;
    FDataLink.Reset();
    TMemo::DoEnter();
}

void TDBMemo::DoExit() {
    UpdateRecordOnExit(this);
    FFocused = false;
    FDataLink.Reset();
    TMemo::DoExit();
}

// TDBCheckBox

namespace {

bool IsOneOf(const QString& Text, const QString& Values) {
    for (const QString& value : Values.split(QLatin1Char(';')))
        if (Text.compare(value, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

TDBCheckBox::TDBCheckBox(TComponent* AOwner) : TCheckBox(AOwner) {
    FocusOnRequest(this);
    ShowData([this] { SetState(cbGrayed); });
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnUpdateData = [this] { UpdateData(); };
}

void TDBCheckBox::SetValueChecked(const QString& Value) {
    FValueChecked = Value;
    DataChange();
}

void TDBCheckBox::SetValueUnchecked(const QString& Value) {
    FValueUnchecked = Value;
    DataChange();
}

TCheckBoxState TDBCheckBox::FieldState() const {
    const TField* field = Field();
    if (!field || field->IsNull())
        return cbGrayed;
    if (field->DataType() == ftBoolean)
        return field->AsBoolean() ? cbChecked : cbUnchecked;
    const QString text = field->Text();
    if (IsOneOf(text, FValueChecked))
        return cbChecked;
    if (IsOneOf(text, FValueUnchecked))
        return cbUnchecked;
    return cbGrayed;
}

void TDBCheckBox::DataChange() {
    ShowData([this] { SetState(FieldState()); });
}

void TDBCheckBox::Click() {
    if (ShowingData())
        return;
    // Starting to edit shows the record again; the user's choice is put back after it.
    const TCheckBoxState chosen = State();
    if (!EditField()) {
        DataChange();
        return;
    }
    ShowData([&] { SetState(chosen); });
    FDataLink.Modified();
    TCheckBox::Click();
}

void TDBCheckBox::UpdateData() {
    TField* field = Field();
    if (State() == cbGrayed)
        field->Clear();
    else if (field->DataType() == ftBoolean)
        field->SetAsBoolean(Checked());
    else
        field->SetText(
            (Checked() ? FValueChecked : FValueUnchecked).section(QLatin1Char(';'), 0, 0));
}

void TDBCheckBox::KeyDown(quint16& Key, TShiftState Shift) {
    TCheckBox::KeyDown(Key, Shift);
    RestoreOnEscape(Key);
}

void TDBCheckBox::DoExit() {
    UpdateRecordOnExit(this);
    TCheckBox::DoExit();
}

// TDBComboBox

TDBComboBox::TDBComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
    FocusOnRequest(this);
    SetEditReadOnly(true);
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnEditingChange = [this] { EditingChange(); };
    FDataLink.OnActiveChange = [this] { ActiveChange(); };
    FDataLink.OnUpdateData = [this] { UpdateData(); };
}

void TDBComboBox::ActiveChange() {
    EditingChange();
}

void TDBComboBox::EditingChange() {
    SetEditReadOnly(!CanEditField());
}

void TDBComboBox::DataChange() {
    if (DroppedDown())
        return;
    ShowData([this] { SetText(Field() ? Field()->Text() : QString()); });
}

void TDBComboBox::UpdateData() {
    Field()->SetText(Text());
}

void TDBComboBox::Change() {
    if (!ShowingData())
        FDataLink.Modified();
    TCustomComboBox::Change();
}

void TDBComboBox::Select() {
    const QString chosen = Text();
    if (!EditField()) {
        DataChange();
        return;
    }
    ShowData([&] { SetText(chosen); });
    FDataLink.Modified();
    TCustomComboBox::Select();
}

void TDBComboBox::DropDown() {
    EditField();
    TCustomComboBox::DropDown();
}

void TDBComboBox::KeyDown(quint16& Key, TShiftState Shift) {
    TCustomComboBox::KeyDown(Key, Shift);
    const bool choosing = Key == VK_UP || Key == VK_DOWN;
    if (choosing || IsEditingKey(Key, Shift)) {
        const bool editing = EditField();
        if (choosing && !editing)
            Key = 0;
    }
    RestoreOnEscape(Key);
}

void TDBComboBox::KeyPress(QChar& Key) {
    TCustomComboBox::KeyPress(Key);
    if (!Key.isNull() && IsEditingChar(Key))
        EditField();
}

void TDBComboBox::DoExit() {
    UpdateRecordOnExit(this);
    TCustomComboBox::DoExit();
}

// TDBNavigator

TDBNavigator::TDBNavigator(TComponent* AOwner)
    : TWinControl(AOwner), FDataLink(std::make_unique<TNavDataLink>([this] { UpdateButtons(); })),
      FHints(new TStringList(this)), FVisibleButtons(AllNavButtons) {
    SetControlStyle({});
    SetBounds(0, 0, 240, 25);
    FHints->SetOnChange(TNotifyEvent([this](TObject*) { ApplyButtons(); }));
}

TDataSource* TDBNavigator::DataSource() const {
    return FDataLink->DataSource();
}

void TDBNavigator::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TButtonSet Value) {
    FVisibleButtons = Value;
    ApplyButtons();
}

void TDBNavigator::SetFlat(bool Value) {
    FFlat = Value;
    ApplyButtons();
}

QWidget* TDBNavigator::CreateWidget() {
    auto* panel = new TControlWidget<QWidget>(this);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        const auto button = TNavigateBtn(i);
        auto* widget = new QToolButton(panel);
        widget->setObjectName(EnumName(button));
        widget->setText(QString::fromUtf8(NavButtons[i].Glyph));
        widget->setFocusPolicy(Qt::NoFocus);
        widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(widget, &QToolButton::clicked, this,
                [this, button] { HandleExceptions([&] { BtnClick(button); }); });
        layout->addWidget(widget);
    }
    return panel;
}

void TDBNavigator::InitWidget() {
    TWinControl::InitWidget();
    ApplyButtons();
}

void TDBNavigator::ShowHintChanged() {
    TWinControl::ShowHintChanged();
    ApplyButtons();
}

void TDBNavigator::UpdateButtons() {
    TDataSet* dataSet = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    TButtonSet enabled;
    if (dataSet) {
        if (!dataSet->Bof())
            enabled += {nbFirst, nbPrior};
        if (!dataSet->Eof())
            enabled += {nbNext, nbLast};
        if (dataSet->CanModify()) {
            enabled.Include(nbInsert);
            if (!dataSet->IsEmpty())
                enabled.Include(nbDelete);
            enabled += dataSet->IsEditing() ? TButtonSet{nbPost, nbCancel} : TButtonSet{nbEdit};
        }
        if (!dataSet->IsEditing())
            enabled.Include(nbRefresh);
    }
    FEnabledButtons = enabled;
    ApplyButtons();
}

void TDBNavigator::ApplyButtons() {
    if (!HandleAllocated() || IsDestroying())
        return;
    for (int i = nbFirst; i <= nbRefresh; ++i) {
        const auto button = TNavigateBtn(i);
        auto* widget = Widget()->findChild<QToolButton*>(EnumName(button));
        widget->setVisible(FVisibleButtons.Contains(button));
        widget->setEnabled(FEnabledButtons.Contains(button));
        widget->setAutoRaise(FFlat);
        const QString hint = i < FHints->Count() && !FHints->Strings(i).isEmpty()
                                 ? FHints->Strings(i)
                                 : QString::fromLatin1(NavButtons[i].Hint);
        widget->setToolTip(ShowHint() ? hint : QString());
    }
}

void TDBNavigator::BtnClick(TNavigateBtn Index) {
    FBeforeAction(this, Index);
    TDataSet* dataSet = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (dataSet) {
        switch (Index) {
        case nbFirst:
            dataSet->First();
            break;
        case nbPrior:
            dataSet->Prior();
            break;
        case nbNext:
            dataSet->Next();
            break;
        case nbLast:
            dataSet->Last();
            break;
        case nbInsert:
            dataSet->Insert();
            break;
        case nbDelete:
            if (!FConfirmDelete || MessageDlg(QStringLiteral("Delete record?"), mtConfirmation,
                                              mbOKCancel) != mrCancel)
                dataSet->Delete();
            break;
        case nbEdit:
            dataSet->Edit();
            break;
        case nbPost:
            dataSet->Post();
            break;
        case nbCancel:
            dataSet->Cancel();
            break;
        case nbRefresh:
            dataSet->Refresh();
            break;
        }
    }
    FOnClick(this, Index);
}

// TDBImage

TDBImage::TDBImage(TComponent* AOwner) : TCustomControl(AOwner), FPicture(new TPicture(this)) {
    SetBounds(0, 0, 105, 105);
    SetColor(clWindow);
    SetTabStop(true);
    FPicture->SetOnChange(TNotifyEvent(this, &TDBImage::PictureChanged));
    FDataLink.OnDataChange = [this] { DataChange(); };
    FDataLink.OnUpdateData = [this] { UpdateData(); };
    FocusOnRequest(this);
}

void TDBImage::SetOption(bool& Field, bool Value) {
    Field = Value;
    Invalidate();
}

void TDBImage::SetAutoDisplay(bool Value) {
    FAutoDisplay = Value;
    if (Value)
        LoadPicture();
}

void TDBImage::PictureChanged(TObject*) {
    if (!ShowingData()) {
        FPictureLoaded = true;
        FDamaged = false;
        FDataLink.Modified();
    }
    Invalidate();
}

void TDBImage::DataChange() {
    ShowData([this] { FPicture->SetGraphic(nullptr); });
    FPictureLoaded = false;
    FDamaged = false;
    if (FAutoDisplay)
        LoadPicture();
    Invalidate();
}

void TDBImage::LoadPicture() {
    TField* field = Field();
    if (FPictureLoaded || !field)
        return;
    const QByteArray bytes = field->IsNull() ? QByteArray() : field->AsBytes();
    ShowData([&] {
        if (bytes.isEmpty()) {
            FPicture->SetGraphic(nullptr);
            return;
        }
        TBitmap bitmap;
        try {
            bitmap.LoadFromBytes(bytes);
            FPicture->SetGraphic(&bitmap);
        } catch (const EInvalidGraphic&) {
            FDamaged = true;
            FPicture->SetGraphic(nullptr);
        }
    });
    FPictureLoaded = true;
    Invalidate();
}

void TDBImage::UpdateData() {
    if (!FPicture->Graphic() || FPicture->Graphic()->Empty())
        Field()->Clear();
    else
        Field()->SetValue(FPicture->Graphic()->SaveToBytes("PNG"));
}

void TDBImage::Paint() {
    const QRect client = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(client);
    Canvas()->Brush()->SetColor(clBtnShadow);
    Canvas()->FrameRect(client);
    const QRect inside = client.adjusted(2, 2, -2, -2);
    if (Focused())
        Canvas()->DrawFocusRect(client.adjusted(1, 1, -1, -1));
    if (TGraphic* graphic = FPicture->Graphic()) {
        Canvas()->StretchDraw(PlacePicture(QSize(graphic->Width(), graphic->Height()), inside,
                                           FStretch, FCenter, FProportional),
                              graphic);
        return;
    }
    QString text;
    if (FDamaged)
        text = QStringLiteral("(Invalid picture)");
    else if (!FPictureLoaded && Field())
        text = Field()->DisplayLabel();
    if (text.isEmpty())
        return;
    const QSize extent = Canvas()->TextExtent(text);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextOut(inside.center().x() - extent.width() / 2,
                      inside.center().y() - extent.height() / 2, text);
    Canvas()->Brush()->SetStyle(bsSolid);
}

void TDBImage::CopyToClipboard() {
    if (FPicture->Graphic())
        Clipboard()->Assign(FPicture);
}

void TDBImage::ClearPicture() {
    if (EditField())
        FPicture->SetGraphic(nullptr);
}

void TDBImage::CutToClipboard() {
    if (!FPicture->Graphic())
        return;
    CopyToClipboard();
    ClearPicture();
}

void TDBImage::PasteFromClipboard() {
    if (Clipboard()->HasFormat(CF_BITMAP) && EditField())
        FPicture->Assign(Clipboard());
}

void TDBImage::KeyDown(quint16& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool shift = Shift.Contains(ssShift);
    if ((ctrl && Key == 'C') || (ctrl && Key == VK_INSERT))
        CopyToClipboard();
    else if ((ctrl && Key == 'X') || (shift && Key == VK_DELETE))
        CutToClipboard();
    else if ((ctrl && Key == 'V') || (shift && Key == VK_INSERT))
        PasteFromClipboard();
    else if (Key == VK_DELETE)
        ClearPicture();
    else if (Key == VK_RETURN)
        LoadPicture();
    else
        RestoreOnEscape(Key);
}

void TDBImage::DblClick() {
    LoadPicture();
    TCustomControl::DblClick();
}

void TDBImage::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TDBImage::DoExit() {
    Invalidate();
    UpdateRecordOnExit(this);
    TCustomControl::DoExit();
}
