#include "DBRichEdit.h"

#include "RtfReader.h"
#include "RtfWriter.h"

#include <QTextDocument>
#include <db/DataLink.h>
#include <db/DataSource.h>

namespace {

// Keys that change the text without a character of their own.
bool IsEditingKey(quint16 Key, TShiftState Shift) {
    const bool ctrl = Shift.Contains(ssCtrl);
    return Key == VK_DELETE || Key == VK_BACK || (Key == VK_INSERT && Shift.Contains(ssShift)) ||
           (ctrl && (Key == 'V' || Key == 'X' || Key == 'Z'));
}

} // namespace

TDBRichEdit::TDBRichEdit(TComponent* AOwner)
    : TCustomRichEdit(AOwner), FDataLink(std::make_unique<TFieldDataLink>()) {
    FDataLink->OnDataChange = [this] { DataChange(); };
    FDataLink->OnEditingChange = [this] { EditingChange(); };
    FDataLink->OnUpdateData = [this] { UpdateData(); };
    FDataLink->OnFocusRequest = [this] {
        if (CanFocus())
            SetFocus();
    };
}

TDBRichEdit::~TDBRichEdit() {
    Destroying();
    FDataLink->OnDataChange = nullptr;
    FDataLink->OnEditingChange = nullptr;
    FDataLink->OnUpdateData = nullptr;
    FDataLink->OnFocusRequest = nullptr;
}

TDataSource* TDBRichEdit::DataSource() const {
    return FDataLink->DataSource();
}

void TDBRichEdit::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
}

QString TDBRichEdit::DataField() const {
    return FDataLink->FieldName();
}

void TDBRichEdit::SetDataField(const QString& Value) {
    FDataLink->SetFieldName(Value);
}

TField* TDBRichEdit::Field() const {
    return FDataLink->Field();
}

void TDBRichEdit::SetReadOnly(bool Value) {
    FDataLink->SetReadOnly(Value);
    TCustomRichEdit::SetReadOnly(Value);
}

void TDBRichEdit::CutToClipboard() {
    if (BeginEditing())
        TCustomRichEdit::CutToClipboard();
}

void TDBRichEdit::PasteFromClipboard() {
    if (BeginEditing())
        TCustomRichEdit::PasteFromClipboard();
}

bool TDBRichEdit::WidgetReadOnly() const {
    return TCustomRichEdit::WidgetReadOnly() || !FDataLink->Editing();
}

void TDBRichEdit::DataChange() {
    if (Field()) {
        LoadMemo();
        return;
    }
    ReplaceContent([this] { Document()->clear(); });
    FMemoLoaded = false;
}

void TDBRichEdit::LoadMemo() {
    const TField* field = Field();
    if (!field)
        return;
    const Variant value = FDataSave.isEmpty() ? field->Value() : Variant(FDataSave);
    // The same value still shown unchanged is not read and laid out again.
    if (FMemoLoaded && !Modified() && value.metaType() == FLoadedValue.metaType() &&
        value == FLoadedValue)
        return;
    const int start = SelStart();
    const int length = SelLength();
    ReplaceContent([this, &value] {
        if (value.typeId() == QMetaType::QByteArray)
            ReadRtf(Document(), value.toByteArray());
        else
            ReadRtf(Document(), value.toString());
    });
    FLoadedValue = value;
    FMemoLoaded = true;
    SetSelStart(start);
    SetSelLength(length);
}

void TDBRichEdit::EditingChange() {
    ApplyOptions();
}

void TDBRichEdit::UpdateData() {
    const QString text =
        PlainText() ? Document()->toPlainText() : QString::fromLatin1(WriteRtf(Document()));
    Field()->SetAsString(text);
}

bool TDBRichEdit::BeginEditing() {
    if (!Field())
        return false;
    if (!FDataLink->Editing() && FDataLink->CanModify())
        FDataLink->Edit();
    return FDataLink->Editing();
}

void TDBRichEdit::KeyDown(quint16& Key, TShiftState Shift) {
    TCustomRichEdit::KeyDown(Key, Shift);
    if (Key && IsEditingKey(Key, Shift) && !BeginEditing())
        Key = 0;
}

void TDBRichEdit::KeyPress(QChar& Key) {
    TCustomRichEdit::KeyPress(Key);
    const char16_t key = Key.unicode();
    if (key == 0x1B && FDataLink->Editing() && Modified()) {
        FDataLink->Reset();
        Key = QChar();
        return;
    }
    const bool editing =
        key >= 0x20 || (key == '\r' && WantReturns()) || (key == '\t' && WantTabs());
    if (editing && !BeginEditing())
        Key = QChar();
}

void TDBRichEdit::DoExit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SetFocus();
        throw;
    }
    TCustomRichEdit::DoExit();
}

void TDBRichEdit::Change() {
    FDataLink->Modified();
    TCustomRichEdit::Change();
}
