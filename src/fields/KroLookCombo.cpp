#include "KroLookCombo.h"

#include <QPainter>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <db/DataSet.h>
#include <db/DataSource.h>
#include <forms/DiAdv.h>
#include <forms/KroForms.h>
#include <optional>
#include <rtl/Exceptions.h>
#include <rtl/TypeInfo.h>
#include <ui/Application.h>

namespace {

constexpr int EditingTag = 80;
const QString NullText = QStringLiteral("null");

QString QuotedText(QString Value) {
    Value.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + Value + QLatin1Char('\'');
}

// "Field=Value" for a filter: a text value quoted, so that whatever it holds stays a value.
QString EqualsCondition(TDataSet* DataSet, const QString& FieldName, const QString& Value) {
    if (Value == NullText)
        return FieldName + QLatin1Char('=') + NullText;
    const TField* field = DataSet ? DataSet->FindField(FieldName) : nullptr;
    bool number = false;
    Value.toDouble(&number);
    if (number && (!field || field->DataType() != ftString))
        return FieldName + QLatin1Char('=') + Value;
    return FieldName + QLatin1Char('=') + QuotedText(Value);
}

TDataSource* SourceProp(const QObject* Object, const QString& Name) {
    if (!PropIsType(Object, Name, tkClass))
        return nullptr;
    return qobject_cast<TDataSource*>(GetObjectProp(Object, Name));
}

// The dataset of an edited record and its masters ("MasterSource", else "DataSource") keep
// Tag 80 (never re-read by a form refresh) while the guard lives.
class TEditingChainTags {
public:
    explicit TEditingChainTags(TDataSet* DataSet) {
        while (DataSet && !Contains(DataSet)) {
            FTags.append({DataSet, DataSet->Tag()});
            DataSet->SetTag(EditingTag);
            TDataSource* master = SourceProp(DataSet, QStringLiteral("MasterSource"));
            if (!master)
                master = SourceProp(DataSet, QStringLiteral("DataSource"));
            DataSet = master ? master->DataSet() : nullptr;
        }
    }
    ~TEditingChainTags() {
        for (const auto& [dataSet, tag] : FTags)
            if (dataSet)
                dataSet->SetTag(tag);
    }
    TEditingChainTags(const TEditingChainTags&) = delete;
    TEditingChainTags& operator=(const TEditingChainTags&) = delete;

private:
    bool Contains(const TDataSet* DataSet) const {
        return std::any_of(FTags.begin(), FTags.end(),
                           [DataSet](const auto& Item) { return Item.first == DataSet; });
    }

    QList<QPair<QPointer<TDataSet>, int>> FTags;
};

// Key text typed into the code window, as a value of the key field's type.
Variant TypedKey(const TField* KeyField, const QString& Text) {
    switch (KeyField ? KeyField->DataType() : ftString) {
    case ftDate:
    case ftDateTime:
        return VarToDateTime(Text);
    case ftFloat:
    case ftCurrency:
        return VarToFloat(Text);
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return VarToInt(Text);
    default:
        return Text;
    }
}

} // namespace

// ---- Links ----------------------------------------------------------------------------

TKroCustomDataSourceLink::TKroCustomDataSourceLink(TKroCustomDBLookupCombo* Combo)
    : TDataSourceLink(Combo), FCombo(Combo) {}

TKroListSourceLink::TKroListSourceLink(TKroCustomDBLookupCombo* Combo)
    : TListSourceLink(Combo), FCombo(Combo) {}

// ---- TKroPopupDataList ----------------------------------------------------------------

TKroPopupDataList::TKroPopupDataList(TKroCustomDBLookupCombo* Combo)
    : TPopupDataList(Combo), FKroCombo(Combo) {}

int TKroPopupDataList::HeaderHeight() const {
    const int lines = int(FKroCombo->Path().size()) + (FHeadLine ? FHeadLineCount : 0);
    return lines * RowHeight();
}

void TKroPopupDataList::PaintHeader(QPainter& Painter, const QRect& Rect) {
    Painter.setFont(Font()->ToQFont());
    const int height = RowHeight();
    int top = Rect.top();
    for (const QString& line : FKroCombo->Path()) {
        const QRect rect(Rect.left(), top, Rect.width(), height);
        Painter.fillRect(rect, ColorToQColor(clBtnFace));
        Painter.setPen(ColorToQColor(clBtnText));
        Painter.drawText(rect.adjusted(2, 0, -2, 0), int(Qt::AlignLeft | Qt::AlignVCenter), line);
        top += height;
    }
    if (!FHeadLine || !ListActive())
        return;
    const QRect band(Rect.left(), top, Rect.width(), Rect.bottom() + 1 - top);
    Painter.fillRect(band, ColorToQColor(FKroCombo->EffectiveHeadColor()));
    const QList<TField*>& fields = ListFields();
    int left = band.left();
    for (int i = 0; i < fields.size() && left < band.right(); ++i) {
        const bool last = i == fields.size() - 1;
        const int right = last ? band.right() : qMin(left + ColumnWidth(i), band.right());
        Painter.setPen(ColorToQColor(clWindowText));
        Painter.drawText(QRect(left + 2, band.top(), right - left - 4, band.height()),
                         int(Qt::AlignCenter | Qt::TextWordWrap), fields[i]->DisplayLabel());
        if (!last) {
            Painter.setPen(ColorToQColor(clBtnShadow));
            Painter.drawLine(right, band.top(), right, band.bottom());
        }
        left = right + 1;
    }
    Painter.setPen(ColorToQColor(clBtnShadow));
    Painter.drawLine(band.left(), band.bottom(), band.right(), band.bottom());
}

bool TKroPopupDataList::HasChildren() const {
    const QString down = FKroCombo->EffectiveLevelDown();
    TDataSet* list = ListDataSet();
    if (down.isEmpty() || !list || list->IsEmpty())
        return false;
    const TField* field = list->FindField(down);
    return field && !field->IsNull() && field->AsFloat() > 0;
}

void TKroPopupDataList::PaintRow(QPainter& Painter, const QRect& Rect, bool Selected) {
    const TSetFontEvent& setFont = FKroCombo->OnSetFont();
    if (setFont && SearchField()) {
        TFont font;
        font.Assign(Font());
        setFont(FKroCombo, SearchField(), &font);
        Painter.setFont(font.ToQFont());
    }
    TPopupDataList::PaintRow(Painter, Rect, Selected);
    if (!HasChildren())
        return;
    // A small triangle at the right edge marks a row with children.
    const int size = qMax(3, Rect.height() / 4);
    const QPoint tip(Rect.right() - 3, Rect.center().y());
    const QPolygon mark(
        {tip, QPoint(tip.x() - size, tip.y() - size), QPoint(tip.x() - size, tip.y() + size)});
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(ColorToQColor(Selected ? clHighlightText : clWindowText));
    Painter.drawPolygon(mark);
    Painter.setBrush(Qt::NoBrush);
}

void TKroPopupDataList::KeyPress(QChar& Key) {
    // Typing searches only where the combo may change its key.
    const bool refused =
        FKroCombo->ReadOnly() || (FKroCombo->DataSource() && !FKroCombo->CanModify());
    if (refused && Key >= QChar(VK_SPACE)) {
        Key = QChar();
        return;
    }
    TPopupDataList::KeyPress(Key);
}

// ---- TKroCustomDBLookupCombo ----------------------------------------------------------

TKroCustomDBLookupCombo::TKroCustomDBLookupCombo(TComponent* AOwner)
    : TDBLookupComboBox(AOwner), FLookupLevels(new TKroLookupLevelCol(this)),
      FLevelSource(new TDataSource(this)) {}

TKroCustomDBLookupCombo::~TKroCustomDBLookupCombo() {
    Destroying();
}

TDataSourceLink* TKroCustomDBLookupCombo::CreateDataSourceLink() {
    return new TKroDataSourceLink(this);
}

TListSourceLink* TKroCustomDBLookupCombo::CreateListSourceLink() {
    return new TKroListSourceLink(this);
}

TPopupDataList* TKroCustomDBLookupCombo::CreateDataList() {
    return new TKroPopupDataList(this);
}

void TKroCustomDBLookupCombo::SetHeadLineCount(int Value) {
    if (Value >= 1)
        FHeadLineCount = Value;
}

TKroLookField* TKroCustomDBLookupCombo::KroField() const {
    if (FLookField)
        return FLookField;
    return qobject_cast<TKroLookField*>(Field());
}

bool TKroCustomDBLookupCombo::LevelShown() const {
    return FLevel >= 0 && FLevel < EffectiveLevels()->Count();
}

bool TKroCustomDBLookupCombo::EffectiveHeadLine() const {
    const TKroLookField* field = KroField();
    return field ? field->HeadLine() : FHeadLine;
}

TColor TKroCustomDBLookupCombo::EffectiveHeadColor() const {
    const TKroLookField* field = KroField();
    return field ? field->HeadColor() : FHeadColor;
}

TKroLookFieldOptions TKroCustomDBLookupCombo::EffectiveOptions() const {
    const TKroLookField* field = KroField();
    return field ? field->Options() : FOptions;
}

QString TKroCustomDBLookupCombo::EffectiveLevelUp() const {
    if (LevelShown())
        return {};
    const TKroLookField* field = KroField();
    return field ? field->LookupLevelUp() : FLookupLevelUp;
}

QString TKroCustomDBLookupCombo::EffectiveLevelDown() const {
    if (LevelShown())
        return {};
    const TKroLookField* field = KroField();
    return field ? field->LookupLevelDown() : FLookupLevelDown;
}

QString TKroCustomDBLookupCombo::EffectiveFilterField() const {
    if (LevelShown())
        return EffectiveLevels()->FilterField(FLevel);
    const TKroLookField* field = KroField();
    return field ? field->LookupFilterField() : FLookupFilterField;
}

QString TKroCustomDBLookupCombo::EffectiveFilterKey() const {
    if (LevelShown())
        return {};
    return FLookField ? FLookField->LookupFilterKey() : FLookupFilterKey;
}

TKroLookupLevelCol* TKroCustomDBLookupCombo::EffectiveLevels() const {
    return FLookField ? FLookField->LookupLevels() : FLookupLevels;
}

TOnEditDataEvent TKroCustomDBLookupCombo::EditDataHandler() const {
    if (const TKroLookField* field = KroField(); field && field->OnEditData())
        return field->OnEditData();
    if (FOnEditData)
        return FOnEditData;
    TDataSet* list = ListDataSet();
    const QString onEditData = QStringLiteral("OnEditData");
    if (list && IsPublishedProp(list, onEditData))
        return list->property("OnEditData").value<TOnEditDataEvent>();
    return {};
}

void TKroCustomDBLookupCombo::UpdateDataFields() {
    TDBLookupComboBox::UpdateDataFields();
    if (const TKroLookField* field = qobject_cast<TKroLookField*>(Field()))
        TDBLookupComboBox::SetListFieldIndex(field->ListFieldIndex());
}

void TKroCustomDBLookupCombo::SetListFieldIndex(int Value) {
    if (ListActive() && (Value < 0 || Value >= ListFields().size()))
        Value = 0;
    TDBLookupComboBox::SetListFieldIndex(Value);
    if (DroppedDown())
        DataList()->SetListFieldIndex(Value);
    if (TKroLookField* field = KroField())
        field->SetListFieldIndex(Value);
}

void TKroCustomDBLookupCombo::DropDown() {
    if (DroppedDown() || !ListActive())
        return;
    // OnDropDown comes first, before the filters; the platform's drop-down, which would
    // raise it again, runs without it.
    const TNotifyEvent onDropDown = OnDropDown();
    onDropDown(this);
    SetOnDropDown({});
    const auto restore = qScopeGuard([this, onDropDown] { SetOnDropDown(onDropDown); });
    // The list dataset's controls hear of the filters laid and the key's row found once,
    // with the list down: the combo does not look its key up in the first filtered row.
    const QPointer<TDataSet> held = ListDataSet();
    held->DisableControls();
    const auto release = qScopeGuard([held] {
        if (held)
            held->EnableControls();
    });
    auto* list = static_cast<TKroPopupDataList*>(DataList());
    list->SetHeadLine(EffectiveHeadLine());
    list->SetHeadLineCount(FHeadLineCount);
    if (LookupMode())
        if (auto* field = qobject_cast<TKroLookField*>(Field())) {
            FLookField = field;
            if (field->ListFieldIndex() != ListFieldIndex())
                TDBLookupComboBox::SetListFieldIndex(field->ListFieldIndex());
        }
    if (EffectiveOptions().Contains(foAutoDropDownWidth)) {
        int chars = 0;
        if (FLookField)
            chars = FLookField->LookupDisplayWidth();
        else if (LookupMode())
            chars = LookupResultWidth(Field());
        else
            chars = SumDisplayWidths(ListDataSet(), ListField());
        SetDropDownWidth(QFontMetrics(Font()->ToQFont()).horizontalAdvance(QLatin1Char('0')) *
                         (chars + 3));
    }
    if (FLevel == -1 && !FTreeFilter.Active) {
        FDropKey = KeyValue();
        TKroLookupLevelCol* levels = EffectiveLevels();
        if (levels->Count() == 0) {
            if (!EffectiveFilterKey().isEmpty() ||
                (FLookField ? FLookField->OnFilter() : FOnFilter)) {
                QString value;
                TDataSet* owner = DataSource() ? DataSource()->DataSet() : nullptr;
                if (const TField* key = owner ? owner->FindField(EffectiveFilterKey()) : nullptr)
                    value = key->AsString();
                ApplyListFilter(value);
            }
        } else {
            if (FLookField)
                FLookField->CheckLookupInfo();
            for (int i = 0; i < levels->Count(); ++i) {
                if (!levels->DataSet(i) || levels->KeyField(i).isEmpty() ||
                    levels->ResultFields(i).isEmpty())
                    throw EDatabaseError(
                        QStringLiteral("Lookup information for field '%1' is incomplete")
                            .arg(DataField().isEmpty() ? Name() : DataField()));
                levels->DataSet(i)->Open();
            }
            FSavedDataSource = DataSource();
            SetDataSource(nullptr);
            ShowLevel(0);
        }
    }
    if (!FTreeFilter.Active)
        ApplyTreeFilter({});
    TDBLookupComboBox::DropDown();
}

void TKroCustomDBLookupCombo::LayFilter(TLaidFilter& Laid, const QString& Filter) {
    TDataSet* list = ListDataSet();
    if (!list)
        return;
    if (!Laid.Active) {
        Laid.DataSet = list;
        Laid.Filter = list->Filter();
        Laid.Filtered = list->Filtered();
        Laid.Active = true;
    }
    // The dataset's own filter counts only while it is in force. The list goes straight to
    // the key's row, where the drop-down would look for it.
    try {
        list->SetFilterLocating(AndConditions(Laid.Filtered ? Laid.Filter : QString(), Filter),
                                ListActive() ? KeyFieldInUse() : QString(), KeyValue());
    } catch (...) {
        RemoveFilter(Laid);
        throw;
    }
}

void TKroCustomDBLookupCombo::RemoveFilter(TLaidFilter& Laid) {
    if (!Laid.Active)
        return;
    Laid.Active = false;
    if (!Laid.DataSet)
        return;
    Laid.DataSet->SetFiltered(false);
    Laid.DataSet->SetFilter(Laid.Filter);
    Laid.DataSet->SetFiltered(Laid.Filtered);
}

void TKroCustomDBLookupCombo::ApplyListFilter(const QString& Value) {
    const QString value = Value.isEmpty() ? NullText : Value;
    const QString field = EffectiveFilterField();
    QString condition = field.isEmpty() ? QString() : EqualsCondition(ListDataSet(), field, value);
    if (!LevelShown()) {
        const TOnFieldFilterEvent& onFilter = FLookField ? FLookField->OnFilter() : FOnFilter;
        if (onFilter) {
            QString extra;
            onFilter(FLookField ? static_cast<TObject*>(FLookField.data()) : this, extra);
            condition = AndConditions(condition, extra);
        }
    }
    if (!condition.isEmpty())
        LayFilter(FListFilter, condition);
}

void TKroCustomDBLookupCombo::ApplyTreeFilter(const QString& Value) {
    const QString up = EffectiveLevelUp();
    if (up.isEmpty())
        return;
    QString condition = QLatin1Char('(') +
                        EqualsCondition(ListDataSet(), up, Value.isEmpty() ? NullText : Value) +
                        QLatin1Char(')');
    if (FTreeFilter.Active)
        condition += QStringLiteral(" and (%1<>null)").arg(up);
    LayFilter(FTreeFilter, condition);
}

void TKroCustomDBLookupCombo::ShowLevel(int Index) {
    if (!FBaseSaved) {
        FSavedListField = ListField();
        FSavedKeyField = KeyField();
        FSavedListSource = ListSource();
        FBaseSaved = true;
    }
    TKroLookupLevelCol* levels = EffectiveLevels();
    FLevel = Index;
    const QScopedValueRollback switching(FSwitchingList, true);
    // The fields change while no list is linked, so they are checked against the new one.
    SetListSource(nullptr);
    SetKeyField(levels->KeyField(Index));
    SetListField(levels->ResultFields(Index));
    TDataSet* level = levels->DataSet(Index);
    FLevelSource->SetDataSet(level);
    SetListSource(FLevelSource);
    SetKeyValue(level->IsEmpty() ? Null() : level->FieldValues(levels->KeyField(Index)));
}

void TKroCustomDBLookupCombo::RestoreBaseList() {
    if (!FBaseSaved)
        return;
    FBaseSaved = false;
    const QScopedValueRollback switching(FSwitchingList, true);
    SetListSource(nullptr);
    SetKeyField(FSavedKeyField);
    SetListField(FSavedListField);
    FLevelSource->SetDataSet(nullptr);
    SetListSource(FSavedListSource);
    if (FSavedDataSource)
        SetDataSource(FSavedDataSource);
    else
        SetKeyValue(FDropKey);
    FSavedDataSource = nullptr;
}

QString TKroCustomDBLookupCombo::ChosenText(const Variant& Key) const {
    TDataSet* list = ListDataSet();
    if (!ListActive() || VarIsNull(Key))
        return {};
    if (!VarSameValue(ListKeyValue(), Key) && !list->Locate(KeyFieldInUse(), Key, {}))
        return {};
    QStringList texts;
    for (const TField* field : ListFields()) {
        QString text = field->DisplayText();
        if (text.size() > field->DisplayWidth())
            text = PadString(text, field->DisplayWidth(), field->Alignment());
        texts << text;
    }
    return texts.join(QLatin1Char(':'));
}

void TKroCustomDBLookupCombo::CloseUp(bool Accept) {
    // Switching the list between levels closes nothing.
    if (!DroppedDown() || FSwitchingList)
        return;
    const Variant chosen = DataList()->KeyValue();
    const bool chosenRow = Accept && !VarIsNull(chosen);
    if (chosenRow)
        FPath << ChosenText(chosen);
    bool again = false;
    if (FTreeFilter.Active) {
        if (chosenRow && !FCtrlEnterClosing) {
            ApplyTreeFilter(VarToStr(chosen));
            if (ListDataSet()->IsEmpty())
                RemoveFilter(FTreeFilter);
            else
                again = true;
        } else {
            RemoveFilter(FTreeFilter);
            if (!Accept && DataField().isEmpty() && !VarSameValue(KeyValue(), FDropKey))
                SetKeyValue(FDropKey);
        }
    } else {
        RemoveFilter(FListFilter);
        if (LevelShown() && chosenRow) {
            if (FLevel + 1 < EffectiveLevels()->Count()) {
                ShowLevel(FLevel + 1);
            } else {
                RestoreBaseList();
                FLevel = EffectiveLevels()->Count();
            }
            ApplyListFilter(VarToStr(chosen));
            again = true;
        } else {
            RestoreBaseList();
        }
    }
    if (again) {
        TDBLookupComboBox::CloseUp(false);
        DropDown();
        return;
    }
    FLevel = -1;
    RemoveFilter(FTreeFilter);
    RemoveFilter(FListFilter);
    TDBLookupComboBox::CloseUp(Accept);
    FLookField = nullptr;
    FPath.clear();
    if (Accept && FEnterClosing) {
        quint16 enter = VK_RETURN;
        EnterAsTab(this, enter);
    }
}

void TKroCustomDBLookupCombo::EditData() {
    const TOnEditDataEvent handler = EditDataHandler();
    if (!handler)
        return;
    TField* field = Field();
    TDataSet* dataSet = field ? field->DataSet() : nullptr;
    std::optional<TEditingChainTags> tags;
    if (dataSet && dataSet->IsEditing())
        tags.emplace(dataSet);
    TFieldReturn fieldReturn;
    fieldReturn.SetKeyFieldName(LookupMode() ? field->LookupKeyFields() : KeyField());
    fieldReturn.SetValue(KeyValue());
    FormDBReturn = false;
    handler(this, tsSelect, &fieldReturn);
    if (!FormDBReturn || ReadOnly())
        return;
    if (!field) {
        if (DataField().isEmpty())
            SetKeyValue(fieldReturn.Value());
        return;
    }
    TField* target = LookupMode() ? dataSet->FieldByName(field->KeyFields()) : field;
    if (!target->CanModify())
        return;
    if (!dataSet->IsEditing())
        dataSet->Edit();
    target->SetValue(fieldReturn.Value());
}

bool TKroCustomDBLookupCombo::UpDownAllowed() const {
    if (EffectiveOptions().Contains(foUpDownInClose))
        return true;
    const TKroLookField* field = KroField();
    return field && (!field->LookupFilterKey().isEmpty() || field->OnFilter());
}

void TKroCustomDBLookupCombo::NextSearchColumn() {
    const int count = qMax(1, int(ListFields().size()));
    const int next = (ListFieldIndex() + 1) % count;
    if (!DroppedDown()) {
        SetListFieldIndex(next);
        return;
    }
    CloseUp(false);
    SetListFieldIndex(next);
    DropDown();
}

void TKroCustomDBLookupCombo::KeyDown(quint16& Key, TShiftState Shift) {
    const bool ctrl = Shift.Contains(ssCtrl);
    const bool alt = Shift.Contains(ssAlt);
    const bool upDown = Key == VK_UP || Key == VK_DOWN;
    const bool own =
        (alt && Key == VK_F1) || (ctrl && Key == 'Z') ||
        (DroppedDown() && (Key == VK_RETURN || Key == VK_ESCAPE)) ||
        (!DroppedDown() && ((ctrl && Key == VK_RETURN) || (!alt && upDown && !UpDownAllowed())));
    if (!own) {
        TDBLookupComboBox::KeyDown(Key, Shift);
        return;
    }
    OnKeyDown()(this, Key, Shift);
    const quint16 key = Key;
    if (!key)
        return;
    Key = 0;
    if (alt && key == VK_F1) {
        EditData();
    } else if (ctrl && key == 'Z') {
        NextSearchColumn();
    } else if (DroppedDown()) {
        FEnterClosing = key == VK_RETURN;
        FCtrlEnterClosing = FEnterClosing && ctrl;
        const auto reset = qScopeGuard([this] { FEnterClosing = FCtrlEnterClosing = false; });
        CloseUp(key == VK_RETURN);
    } else if (key == VK_RETURN) {
        DropDown();
    }
}

void TKroCustomDBLookupCombo::SetText(const QString& Value) {
    // An unbound combo may hold a key its list lacks: it shows the key itself.
    if (Value.isEmpty() && DataField().isEmpty() && !VarIsNull(KeyValue()) &&
        EffectiveOptions().Contains(foValueNotInLookup))
        TDBLookupComboBox::SetText(VarToStr(KeyValue()));
    else
        TDBLookupComboBox::SetText(Value);
}

void TKroCustomDBLookupCombo::Notification(TComponent* AComponent, TOperation Operation) {
    TDBLookupComboBox::Notification(AComponent, Operation);
    if (Operation == opRemove)
        FLookupLevels->Forget(AComponent);
}

void TKroCustomDBLookupCombo::DefineProperties(TFiler& Filer) {
    TDBLookupComboBox::DefineProperties(Filer);
    DefineCollectionProperty(Filer, QStringLiteral("LookupLevelsData"), FLookupLevels);
}

// ---- TKroDBLookupCombo ----------------------------------------------------------------

TKroDBLookupCombo::TKroDBLookupCombo(TComponent* AOwner) : TKroCustomDBLookupCombo(AOwner) {}

TKroDBLookupCombo::~TKroDBLookupCombo() {
    Destroying();
}

void TKroDBLookupCombo::SetKroDataField(const QString& Value) {
    if (!Value.isEmpty() && Value != DataField())
        SetDataField(QString());
    SetDataField(Value);
}

void TKroDBLookupCombo::Loaded() {
    TKroCustomDBLookupCombo::Loaded();
    if (!IsDesigning() && !PopupMenu())
        SetPopupMenu(PopupMenuKroDBLookup());
}

void TKroDBLookupCombo::ShowEditWindow(const QString& Start) {
    if (!ListActive() || !CanModify())
        return;
    if (!FEditWindow)
        FEditWindow = new TKroLookupEdit(this);
    FEditWindow->Start(Start.isEmpty() ? Text() : Start);
}

void TKroDBLookupCombo::KeyDown(quint16& Key, TShiftState Shift) {
    const bool plain = !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    if (!DroppedDown() && plain && (Key == VK_F2 || Key == VK_SPACE) &&
        EffectiveOptions().Contains(foEditWindow)) {
        Key = 0;
        ShowEditWindow();
        return;
    }
    TKroCustomDBLookupCombo::KeyDown(Key, Shift);
}

void TKroDBLookupCombo::KeyPress(QChar& Key) {
    if (!DroppedDown() && Key > QChar(VK_SPACE)) {
        const TKroLookFieldOptions options = EffectiveOptions();
        if (options.Contains(foEditWindow) && !options.Contains(foAutoDropDown)) {
            ShowEditWindow(QString(Key));
            Key = QChar();
            return;
        }
        if (options.Contains(foAutoCodeName)) {
            if (Key.isDigit())
                SetListFieldIndex(0);
            else if (Key.isLetter())
                SetListFieldIndex(1);
        }
        DropDown();
    }
    TKroCustomDBLookupCombo::KeyPress(Key);
}

// ---- TKroLookupEdit -------------------------------------------------------------------

TKroLookupEdit::TKroLookupEdit(TKroDBLookupCombo* Combo)
    : TKroLookupEdit(static_cast<TComponent*>(Combo)) {
    FCombo = Combo;
}

TKroLookupEdit::TKroLookupEdit(TComponent* Owner) : TMaskEdit(Owner), FCombo(nullptr) {
    SetVisible(false);
    SetTabStop(false);
}

TField* TKroLookupEdit::CodeField() const {
    return FCombo->SearchField();
}

void TKroLookupEdit::Start(const QString& Text) {
    FStartText = FCombo->Text();
    SetParent(FCombo->Parent());
    SetBounds(FCombo->Left(), FCombo->Top(), FCombo->Width(), FCombo->Height());
    Font()->Assign(FCombo->Font());
    const TField* code = CodeField();
    SetEditMask(code ? code->EditMask() : QString());
    if (FCombo->DataSource())
        FCombo->DataLink()->Edit();
    SetText(Text);
    Show();
    BringToFront();
    SetFocus();
    SetSelStart(EndOfText());
}

int TKroLookupEdit::EndOfText() const {
    const QString edit = EditText();
    if (!IsMasked())
        return int(edit.size());
    int end = 0;
    for (int pos = 0; pos < edit.size(); ++pos)
        if (!Mask().IsLiteral(pos) && edit[pos] != Mask().Blank())
            end = pos + 1;
    return Mask().NextEditable(end);
}

void TKroLookupEdit::KeyDown(quint16& Key, TShiftState Shift) {
    FCombo->OnKeyDown()(FCombo, Key, Shift);
    if (Key == VK_ESCAPE) {
        Key = 0;
        SetText(FStartText);
        FCombo->SetFocus();
        return;
    }
    if (Key == VK_RETURN && !FCombo->DroppedDown()) {
        Key = 0;
        FCombo->SetFocus();
        // Focus stayed in the combo when the value was accepted: move on as with Tab.
        if (FCombo->Focused() && !Visible())
            FCombo->PostKeyDown(VK_TAB);
        return;
    }
    TMaskEdit::KeyDown(Key, Shift);
}

void TKroLookupEdit::DoExit() {
    TMaskEdit::DoExit();
    if (!Visible())
        return;
    const QString text = Text().trimmed();
    if (text == FStartText.trimmed() || Accept(text))
        Hide();
    else
        FCombo->PostToWindow([this] {
            if (Visible())
                SetFocus();
        });
}

bool TKroLookupEdit::Accept(const QString& Text) {
    if (Text.isEmpty()) {
        FCombo->SelectKeyValue(Null());
        return true;
    }
    if (TKroLookField* field = FCombo->KroField(); field && field->SetEditValue()) {
        field->SetEditValue()(field, Text);
        return true;
    }
    TField* code = CodeField();
    TDataSet* list = FCombo->ListDataSet();
    try {
        if (FCombo->EffectiveOptions().Contains(foValueNotInLookup) &&
            code->FieldName().compare(FCombo->KeyFieldInUse(), Qt::CaseInsensitive) == 0) {
            FCombo->SelectKeyValue(TypedKey(code, Text));
            return true;
        }
        if (list->Locate(code->FieldName(), Text, {loCaseInsensitive, loPartialKey})) {
            FCombo->SelectKeyValue(FCombo->ListKeyValue());
            return true;
        }
    } catch (const EConvertError&) {
        ShowKroMessage(QStringLiteral("Incorrect information"));
        return false;
    }
    ShowKroMessage(QStringLiteral("Incorrect value"));
    return false;
}

// ---- TKroDBText -----------------------------------------------------------------------

TKroDBText::TKroDBText(TComponent* AOwner) : TDBText(AOwner) {}

void TKroDBText::SetLookField(const QString& Value) {
    FLookField = Value;
    DataChange();
}

QString TKroDBText::FieldText() const {
    if (const auto* field = qobject_cast<TKroLookField*>(Field()))
        return field->GetFieldsText(FLookField);
    return TDBText::FieldText();
}

// ---- TPopupMenuKroDBLookup ------------------------------------------------------------

TPopupMenuKroDBLookup::TPopupMenuKroDBLookup(TComponent* AOwner)
    : TPopupMenuKroDBFieldControls(AOwner) {
    const int end = Items()->Count();
    FSearchBy = NewItem(end, QStringLiteral("Search by"), scNone, nullptr);
    FOrderBy = NewItem(end + 1, QStringLiteral("Order by"), scNone, nullptr);
    FSearchOrderBy = NewItem(end + 2, QStringLiteral("Search and order by"), scNone, nullptr);
}

void TPopupMenuKroDBLookup::UpdateItems(int Offset) {
    TPopupMenuKroDBFieldControls::UpdateItems(Offset);
    FillSubmenus(qobject_cast<TKroDBLookupCombo*>(Control()));
}

void TPopupMenuKroDBLookup::FillSubmenus(TKroDBLookupCombo* Combo) {
    const bool shown = Combo && Combo->ListActive() && Combo->ListFields().size() >= 2;
    for (TMenuItem* submenu : {FSearchBy, FOrderBy, FSearchOrderBy}) {
        submenu->Clear();
        submenu->SetVisible(shown);
        submenu->SetEnabled(shown);
    }
    if (!shown)
        return;
    TDataSet* list = Combo->ListDataSet();
    const QString order = GetCurrentOrder(list);
    const QPointer<TKroDBLookupCombo> combo(Combo);
    const QPointer<TDataSet> dataSet(list);
    for (int i = 0; i < Combo->ListFields().size(); ++i) {
        const TField* field = Combo->ListFields()[i];
        const QString name = field->FieldName();
        const bool searched = i == Combo->ListFieldIndex();
        const bool ordered = name.compare(order, Qt::CaseInsensitive) == 0;
        const auto search = [combo, i] {
            if (combo)
                combo->SetListFieldIndex(i);
        };
        const auto orderBy = [dataSet, name] {
            if (dataSet)
                SetOrderBy(dataSet, name, false, false);
        };
        const auto add = [this, field](TMenuItem* Parent, bool Checked,
                                       std::function<void()> Action) {
            auto* item = new TMenuItem(this);
            item->SetCaption(field->DisplayLabel());
            item->SetChecked(Checked);
            item->SetOnClick(TNotifyEvent([Action = std::move(Action)](TObject*) { Action(); }));
            Parent->Add(item);
        };
        add(FSearchBy, searched, search);
        add(FOrderBy, ordered, orderBy);
        add(FSearchOrderBy, searched && ordered, [search, orderBy] {
            search();
            orderBy();
        });
    }
}

TPopupMenuKroDBLookup* PopupMenuKroDBLookup() {
    static QPointer<TPopupMenuKroDBLookup> menu;
    if (!menu)
        menu = new TPopupMenuKroDBLookup(Application());
    return menu;
}

// ---- Factories ------------------------------------------------------------------------

TControl* CreateLookupText(TComponent* Owner, TField* Field) {
    auto* text = new TKroDBText(Owner);
    if (auto* field = qobject_cast<TKroLookField*>(Field); field && field->FieldKind() == fkLookup)
        text->SetLookField(field->LookupResultField());
    return text;
}

namespace {

TKroDBLookupCombo* NewLookupCombo(TComponent* Owner, TField* Field) {
    if (!Field || Field->FieldKind() != fkLookup)
        return nullptr;
    auto* combo = new TKroDBLookupCombo(Owner);
    combo->SetPopupMenu(PopupMenuKroDBLookup());
    if (const auto* field = qobject_cast<TKroLookField*>(Field)) {
        combo->SetHeadColor(field->HeadColor());
        combo->SetHeadLine(field->HeadLine());
    }
    return combo;
}

} // namespace

TControl* CreateLookupCombo(TComponent* Owner, TField* Field) {
    TKroDBLookupCombo* combo = NewLookupCombo(Owner, Field);
    const auto* field = qobject_cast<TKroLookField*>(Field);
    if (!combo || !field)
        return combo;
    combo->SetListField(field->LookupResultField());
    combo->SetListFieldIndex(field->ListFieldIndex());
    combo->SetLookupLevelUp(field->LookupLevelUp());
    combo->SetLookupLevelDown(field->LookupLevelDown());
    combo->SetLookupFilterField(field->LookupFilterField());
    combo->LookupLevels()->Assign(field->LookupLevels());
    combo->SetOptions(field->Options());
    return combo;
}

TControl* CreatePlainLookupCombo(TComponent* Owner, TField* Field) {
    return NewLookupCombo(Owner, Field);
}
