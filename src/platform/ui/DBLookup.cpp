#include "DBLookup.h"

#include <QApplication>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QStaticText>
#include <QStyleOptionComboBox>
#include <QWheelEvent>
#include <QWindow>
#include <db/DataSource.h>
#include <db/Field.h>
#include <utility>

namespace {

constexpr int MaxSearchLength = 32;
constexpr int MaxNumberSearchLength = 8;
constexpr int CellMargin = 2;

bool IsTextSearch(const TField* Field) {
    switch (Field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return true;
    default:
        return false;
    }
}

bool IsNumberSearch(const TField* Field) {
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftAutoInc:
        return true;
    default:
        return false;
    }
}

QVariantList ValuesFor(const Variant& Value, qsizetype Count) {
    if (Count == 1)
        return {Value};
    if (VarIsNull(Value))
        return QVariantList(Count);
    return Value.toList();
}

// Shows a drop-down window, a tooltip window that Qt raises as it shows it. A platform
// without a window system (offscreen, minimal) stacks no windows and answers that raise
// with a warning; there the widget takes a plain window's type while it is shown, and its
// native window keeps the tooltip's, so that the platform neither activates nor frames it.
void ShowDropDownWindow(QWidget* Window) {
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        Window->show();
        return;
    }
    const Qt::WindowFlags flags = Window->windowFlags();
    const auto restore = qScopeGuard([Window, flags] { Window->overrideWindowFlags(flags); });
    Window->overrideWindowFlags((flags & ~Qt::WindowType_Mask) | Qt::Window);
    Window->show();
}

} // namespace

// ---- Links ----------------------------------------------------------------------------

void TDataSourceLink::ActiveChanged() {
    FControl->DataLinkActiveChanged();
}

void TDataSourceLink::LayoutChanged() {
    FControl->DataLinkActiveChanged();
}

void TDataSourceLink::RecordChanged(TField* Field) {
    FControl->DataLinkRecordChanged(Field);
}

void TDataSourceLink::FocusControl(TField** Field) {
    if (*Field && *Field == FControl->Field() && FControl->CanFocus()) {
        *Field = nullptr;
        FControl->SetFocus();
    }
}

void TListSourceLink::ActiveChanged() {
    FControl->ListLinkActiveChanged();
}

void TListSourceLink::DataSetChanged() {
    FControl->ListLinkDataChanged();
}

void TListSourceLink::DataSetScrolled(int) {
    FControl->ListLinkScrolled();
}

void TListSourceLink::LayoutChanged() {
    FControl->ListLinkActiveChanged();
}

void TListSourceLink::RecordChanged(TField*) {
    FControl->ListLinkDataChanged();
}

// ---- TDBLookupControl -----------------------------------------------------------------

TDBLookupControl::TDBLookupControl(TComponent* AOwner)
    : TWinControl(AOwner), FInternalListSource(new TDataSource()) {
    SetColor(clWindow);
    SetTabStop(true);
}

TDBLookupControl::~TDBLookupControl() {
    Destroying();
    FDataLink.reset();
    FListLink.reset();
    delete FInternalListSource;
}

TDataSourceLink* TDBLookupControl::DataLink() {
    if (!FDataLink)
        FDataLink.reset(CreateDataSourceLink());
    return FDataLink.get();
}

TListSourceLink* TDBLookupControl::ListLink() {
    if (!FListLink)
        FListLink.reset(CreateListSourceLink());
    return FListLink.get();
}

TDataSourceLink* TDBLookupControl::CreateDataSourceLink() {
    return new TDataSourceLink(this);
}

TListSourceLink* TDBLookupControl::CreateListSourceLink() {
    return new TListSourceLink(this);
}

TDataSource* TDBLookupControl::DataSource() const {
    return FDataLink ? FDataLink->DataSource() : nullptr;
}

void TDBLookupControl::SetDataSource(TDataSource* Value) {
    TDataSource* old = DataSource();
    if (Value == old)
        return;
    if (old && old != FListSource)
        old->RemoveFreeNotification(this);
    if (Value)
        Value->FreeNotification(this);
    DataLink()->SetDataSource(Value);
    UpdateDataFields();
}

void TDBLookupControl::SetDataField(const QString& Value) {
    if (FDataFieldName == Value)
        return;
    FDataFieldName = Value;
    UpdateDataFields();
}

void TDBLookupControl::SetListSource(TDataSource* Value) {
    if (Value == FListSource)
        return;
    if (FListSource && FListSource != DataSource())
        FListSource->RemoveFreeNotification(this);
    FListSource = Value;
    if (Value)
        Value->FreeNotification(this);
    UpdateListSource();
}

void TDBLookupControl::SetKeyField(const QString& Value) {
    if (FKeyFieldName == Value)
        return;
    FKeyFieldName = Value;
    UpdateListFields();
}

void TDBLookupControl::SetListField(const QString& Value) {
    if (FListFieldName == Value)
        return;
    FListFieldName = Value;
    UpdateListFields();
}

void TDBLookupControl::SetListFieldIndex(int Value) {
    FListFieldIndex = Value;
    UpdateText();
    Invalidate();
}

void TDBLookupControl::SetReadOnly(bool Value) {
    FReadOnly = Value;
    DataLink()->SetReadOnly(Value);
}

TDataSource* TDBLookupControl::ListDataSource() const {
    return FLookupMode ? FInternalListSource : FListSource;
}

TDataSet* TDBLookupControl::ListDataSet() const {
    return FListLink ? FListLink->DataSet() : nullptr;
}

QString TDBLookupControl::KeyFieldInUse() const {
    return FLookupMode ? FDataField->LookupKeyFields() : FKeyFieldName;
}

QString TDBLookupControl::ListFieldInUse() const {
    if (FLookupMode && FListFieldName.isEmpty())
        return FDataField->LookupResultField();
    return FListFieldName;
}

TField* TDBLookupControl::SearchField() const {
    if (FListFields.isEmpty())
        return nullptr;
    return FListFieldIndex >= 0 && FListFieldIndex < FListFields.size()
               ? FListFields[FListFieldIndex]
               : FListFields.first();
}

void TDBLookupControl::Loaded() {
    TWinControl::Loaded();
    UpdateDataFields();
}

void TDBLookupControl::UpdateDataFields() {
    if (IsLoading())
        return;
    FDataField = nullptr;
    if (FDataLink && FDataLink->Active() && !FDataFieldName.isEmpty())
        FDataField = FDataLink->DataSet()->FieldByName(FDataFieldName);
    FLookupMode = FDataField && FDataField->FieldKind() == fkLookup;
    FInternalListSource->SetDataSet(FLookupMode ? FDataField->LookupDataSet() : nullptr);
    UpdateListSource();
    DataLinkRecordChanged(nullptr);
}

void TDBLookupControl::UpdateListSource() {
    if (IsLoading())
        return;
    const quint64 updates = FListFieldsUpdates;
    ListLink()->SetDataSource(ListDataSource());
    // The link's activation may have resolved them already.
    if (FListFieldsUpdates == updates)
        UpdateListFields();
}

void TDBLookupControl::UpdateListFields() {
    if (IsLoading())
        return;
    ++FListFieldsUpdates;
    FListActive = false;
    FListFields.clear();
    FKeyFields.clear();
    const QString keyFields = KeyFieldInUse();
    if (FListLink && FListLink->Active() && !keyFields.isEmpty()) {
        TDataSet* list = FListLink->DataSet();
        const TFields* fields = list->Fields();
        const QString listFields = ListFieldInUse();
        if (FFound.DataSet != list || FFound.Generation != fields->Generation() ||
            FFound.KeyNames != keyFields || FFound.ListNames != listFields)
            FFound = {list,
                      fields->Generation(),
                      keyFields,
                      listFields,
                      fields->GetFieldList(keyFields), // raises for an unknown name
                      fields->GetFieldList(listFields.isEmpty() ? keyFields : listFields)};
        FKeyFields = FFound.Keys;
        FListFields = FFound.List;
        FListActive = true;
    }
    UpdateText();
    Invalidate();
}

void TDBLookupControl::DataLinkActiveChanged() {
    UpdateDataFields();
}

void TDBLookupControl::DataLinkRecordChanged(TField*) {
    if (FDataField)
        SetKeyValue(RecordKeyValue());
    else if (!FDataFieldName.isEmpty())
        SetKeyValue(Null());
}

void TDBLookupControl::ListLinkActiveChanged() {
    UpdateListFields();
}

void TDBLookupControl::ListLinkDataChanged() {
    UpdateText();
    Invalidate();
}

void TDBLookupControl::SetKeyValue(const Variant& Value) {
    if (VarSameValue(FKeyValue, Value))
        return;
    FKeyValue = Value;
    KeyValueChanged();
}

void TDBLookupControl::KeyValueChanged() {
    UpdateText();
    Invalidate();
}

void TDBLookupControl::UpdateText() {
    if (!IsDestroying())
        SetText(KeyText(FKeyValue));
}

Variant TDBLookupControl::RecordKeyValue() const {
    if (FLookupMode)
        return FDataField->DataSet()->FieldValues(FDataField->KeyFields());
    return FDataField->Value();
}

Variant TDBLookupControl::ListKeyValue() const {
    TDataSet* list = ListDataSet();
    if (!FListActive || list->IsEmpty())
        return Null();
    return ValuesOf(FKeyFields);
}

void TDBLookupControl::LocateKey() {
    if (!FListActive || (!VarIsNull(FKeyValue) && VarSameValue(ListKeyValue(), FKeyValue)))
        return;
    TDataSet* list = ListDataSet();
    if (VarIsNull(FKeyValue) || !list->Locate(KeyFieldInUse(), FKeyValue, {}))
        list->First();
}

QString TDBLookupControl::KeyText(const Variant& Key) const {
    TField* field = SearchField();
    if (!field || VarIsNull(Key))
        return {};
    // The list usually stands on the key's row after a choice; other keys are looked up
    // without moving it.
    if (VarSameValue(ListKeyValue(), Key))
        return field->DisplayText();
    return VarToStr(ListDataSet()->Lookup(KeyFieldInUse(), Key, field->FieldName()));
}

QList<TField*> TDBLookupControl::WrittenFields() const {
    if (!FDataField)
        return {};
    if (FLookupMode)
        return FDataField->DataSet()->Fields()->GetFieldList(FDataField->KeyFields());
    return {FDataField};
}

bool TDBLookupControl::CanModify() const {
    if (FReadOnly)
        return false;
    if (FDataFieldName.isEmpty())
        return true;
    const QList<TField*> fields = WrittenFields();
    if (fields.isEmpty())
        return false;
    for (const TField* field : fields)
        if (!field->CanModify())
            return false;
    return true;
}

bool TDBLookupControl::SelectKeyValue(const Variant& Value) {
    if (!CanModify())
        return false;
    if (FDataFieldName.isEmpty()) {
        SetKeyValue(Value);
        return true;
    }
    if (!DataLink()->Edit())
        return false;
    const QList<TField*> fields = WrittenFields();
    const QVariantList values = ValuesFor(Value, fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i)
        fields[i]->SetValue(values.value(i));
    return true;
}

void TDBLookupControl::ProcessSearchKey(QChar& Key) {
    if (Key == QChar(VK_ESCAPE)) {
        ClearSearch();
        return;
    }
    const TField* field = SearchField();
    if (!field || field->FieldKind() != fkData)
        return;
    const bool number = IsNumberSearch(field);
    if (!number && !IsTextSearch(field))
        return;
    if (Key == QChar(VK_BACK)) {
        if (FSearchText.isEmpty())
            return;
        Key = QChar();
        FSearchText.chop(1);
        if (FSearchText.isEmpty())
            SearchCleared();
        else if (LocateSearchText(FSearchText))
            SearchFound();
        return;
    }
    if (Key < QChar(VK_SPACE))
        return;
    const QChar typed = Key;
    Key = QChar();
    if ((number && !typed.isDigit()) || FSearchText.size() >= MaxSearchLength)
        return;
    const QString candidate = FSearchText + typed;
    if (LocateSearchText(candidate)) {
        FSearchText = candidate;
        SearchFound();
    } else if (number && candidate.size() < MaxNumberSearchLength) {
        FSearchText = candidate;
    }
}

bool TDBLookupControl::LocateSearchText(const QString& Text) {
    return ListDataSet()->Locate(SearchField()->FieldName(), Text,
                                 {loCaseInsensitive, loPartialKey});
}

void TDBLookupControl::SearchFound() {
    SelectKeyValue(ListKeyValue());
}

void TDBLookupControl::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FListSource) {
        FListSource = nullptr;
        if (!IsDestroying())
            UpdateListSource();
    }
    if (FDataLink && AComponent == FDataLink->DataSource()) {
        FDataLink->SetDataSource(nullptr);
        if (!IsDestroying())
            UpdateDataFields();
    }
}

// ---- TPopupDataList -------------------------------------------------------------------

// The texts of the cells painted, each cut to its cell's width and laid out once, so that
// painting rows again (the highlight moved, a page brought some of them back) shapes no
// text. It keeps what the last paint drew.
class TPopupDataList::TCellTexts {
public:
    // A paint begins: the texts of the one before stay as far as this one draws them.
    void BeginPaint() {
        FPrevious = std::move(FCurrent);
        FCurrent.clear();
    }
    void Clear() {
        FPrevious.clear();
        FCurrent.clear();
    }
    // Draws Text in Rect, cut with an ellipsis where it is wider, centred vertically.
    void Draw(QPainter& Painter, const QRect& Rect, Qt::Alignment Alignment, const QString& Text) {
        const TKey key(Text, Rect.width());
        auto shaped = FCurrent.find(key);
        if (shaped == FCurrent.end())
            shaped = FCurrent.insert(key, FPrevious.value(key));
        if (!shaped->Made || shaped->Font != Painter.font()) {
            shaped->Font = Painter.font();
            shaped->Text.setTextFormat(Qt::PlainText);
            Shape(Painter, shaped->Text, Text);
            if (shaped->Text.size().width() > Rect.width())
                Shape(Painter, shaped->Text,
                      Painter.fontMetrics().elidedText(Text, Qt::ElideRight, Rect.width()));
            shaped->Made = true;
        }
        const QSizeF size = shaped->Text.size();
        qreal left = Rect.left();
        if (Alignment.testFlag(Qt::AlignRight))
            left = Rect.right() + 1 - size.width();
        else if (Alignment.testFlag(Qt::AlignHCenter))
            left = Rect.left() + (Rect.width() - size.width()) / 2;
        Painter.drawStaticText(QPointF(left, Rect.top() + (Rect.height() - size.height()) / 2),
                               shaped->Text);
    }

private:
    static void Shape(const QPainter& Painter, QStaticText& Shaped, const QString& Text) {
        Shaped.setText(Text);
        Shaped.prepare(Painter.transform(), Painter.font());
    }

    struct TShaped {
        QStaticText Text;
        QFont Font;
        bool Made = false;
    };
    using TKey = QPair<QString, int>; // the text and its cell's width

    QHash<TKey, TShaped> FCurrent;
    QHash<TKey, TShaped> FPrevious;
};

TPopupDataList::TPopupDataList(TDBLookupComboBox* Combo)
    : TDBLookupControl(nullptr), FCombo(Combo), FCellTexts(std::make_unique<TCellTexts>()) {
    SetTabStop(false);
    SetVisible(false);
}

TPopupDataList::~TPopupDataList() {
    Destroying();
}

QWidget* TPopupDataList::CreateWidget() {
    QWidget* widget = TDBLookupControl::CreateWidget();
    // A window above the others that the window system never activates, so the focus
    // stays in the combo.
    widget->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    widget->setAttribute(Qt::WA_ShowWithoutActivating);
    widget->setAutoFillBackground(true);
    return widget;
}

void TPopupDataList::ApplyVisible() {
    // A window of its own: shown without a parent, made when first shown. It belongs to
    // the combo's window, so that a modal form lets the mouse reach it.
    if (Visible()) {
        QWidget* widget = Widget();
        widget->winId();
        if (QWindow* owner = FCombo ? FCombo->Widget()->window()->windowHandle() : nullptr)
            widget->windowHandle()->setTransientParent(owner);
        ShowDropDownWindow(widget);
    } else if (QWidget* widget = AllocatedWidget()) {
        widget->hide();
        FCellTexts->Clear();
    }
}

void TPopupDataList::SetRowCount(int Value) {
    FRowCount = qMax(1, Value);
    ListLink()->SetBufferCount(FRowCount);
}

int TPopupDataList::RowHeight() const {
    if (FRowHeight == 0)
        FRowHeight = QFontMetrics(Font()->ToQFont()).height() + 2 * CellMargin;
    return FRowHeight;
}

void TPopupDataList::FontChanged() {
    FRowHeight = 0;
    TDBLookupControl::FontChanged();
}

int TPopupDataList::ListHeight() const {
    return HeaderHeight() + FRowCount * RowHeight() + 2;
}

int TPopupDataList::RowAt(int Y) {
    const int top = 1 + HeaderHeight();
    if (Y < top)
        return -1;
    const int row = (Y - top) / RowHeight();
    return row < ListLink()->RecordCount() ? row : -1;
}

int TPopupDataList::SelectedRow() {
    if (!ListActive())
        return -1;
    TListSourceLink* link = ListLink();
    const int active = link->ActiveRecord();
    // Mostly the current row: the list moves onto the row it highlights.
    if (!VarIsNull(KeyValue()) && VarSameValue(ListKeyValue(), KeyValue()))
        return active;
    int selected = -1;
    for (int row = 0; row < link->RecordCount() && selected < 0; ++row) {
        link->SetActiveRecord(row);
        if (VarSameValue(ListKeyValue(), KeyValue()))
            selected = row;
    }
    link->SetActiveRecord(active);
    return selected;
}

int TPopupDataList::ColumnWidth(int Index) const {
    const QFontMetrics metrics(Font()->ToQFont());
    return ListFields()[Index]->DisplayWidth() * metrics.horizontalAdvance(QLatin1Char('0')) +
           2 * CellMargin;
}

void TPopupDataList::Paint() {
    QPainter painter(Widget());
    const QRect frame = ClientRect().adjusted(0, 0, -1, -1);
    painter.setPen(ColorToQColor(clWindowFrame));
    painter.drawRect(frame);
    const QRect inside = frame.adjusted(1, 1, 0, 0);
    const int header = HeaderHeight();
    if (header > 0)
        PaintHeader(painter, QRect(inside.left(), inside.top(), inside.width(), header));
    if (!ListActive())
        return;
    painter.setFont(Font()->ToQFont());
    FCellTexts->BeginPaint();
    TListSourceLink* link = ListLink();
    const int active = link->ActiveRecord();
    const int selected = SelectedRow();
    const int height = RowHeight();
    for (int row = 0; row < link->RecordCount(); ++row) {
        link->SetActiveRecord(row);
        const QRect rect(inside.left(), inside.top() + header + row * height, inside.width(),
                         height);
        PaintRow(painter, rect, row == selected);
    }
    link->SetActiveRecord(active);
}

void TPopupDataList::PaintHeader(QPainter&, const QRect&) {}

void TPopupDataList::PaintRow(QPainter& Painter, const QRect& Rect, bool Selected) {
    Painter.fillRect(Rect, ColorToQColor(Selected ? clHighlight : Color()));
    const QColor text = ColorToQColor(Selected ? clHighlightText : clWindowText);
    const QColor line = ColorToQColor(clBtnFace);
    const QList<TField*>& fields = ListFields();
    int left = Rect.left();
    for (int i = 0; i < fields.size() && left < Rect.right(); ++i) {
        const bool last = i == fields.size() - 1;
        const int right = last ? Rect.right() : qMin(left + ColumnWidth(i), Rect.right());
        const QRect cell(left, Rect.top(), right - left, Rect.height());
        const QRect textRect = cell.adjusted(CellMargin, 0, -CellMargin, 0);
        Painter.setPen(text);
        FCellTexts->Draw(Painter, textRect, AlignmentToQt(fields[i]->Alignment()),
                         fields[i]->DisplayText());
        if (!last) {
            Painter.setPen(line);
            Painter.drawLine(right, Rect.top(), right, Rect.bottom());
        }
        left = right + 1;
    }
}

void TPopupDataList::KeyDown(quint16& Key, TShiftState Shift) {
    TDBLookupControl::KeyDown(Key, Shift);
    const int page = qMax(1, ListLink()->RecordCount() - 1);
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
        ClearSearch();
        MoveSelection(Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : Key == VK_PRIOR ? -page : page);
        break;
    case VK_HOME:
    case VK_END:
        ClearSearch();
        if (ListActive()) {
            if (Key == VK_HOME)
                ListDataSet()->First();
            else
                ListDataSet()->Last();
            SelectCurrent();
        }
        break;
    case VK_RETURN:
    case VK_ESCAPE:
        if (FCombo)
            FCombo->CloseUp(Key == VK_RETURN);
        break;
    default:
        return;
    }
    Key = 0;
}

void TPopupDataList::KeyPress(QChar& Key) {
    TDBLookupControl::KeyPress(Key);
    if (!Key.isNull() && ListActive())
        ProcessSearchKey(Key);
}

void TPopupDataList::MoveSelection(int Distance) {
    if (!ListActive() || ListDataSet()->IsEmpty())
        return;
    // With no row highlighted the first step selects the current row.
    if (SelectedRow() >= 0)
        ListDataSet()->MoveBy(Distance);
    SelectCurrent();
}

bool TPopupDataList::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    if (Event->type() != QEvent::Wheel)
        return TDBLookupControl::WidgetEvent(Event, Default);
    FWheelDelta += static_cast<QWheelEvent*>(Event)->angleDelta().y();
    const int notches = FWheelDelta / QWheelEvent::DefaultDeltasPerStep;
    FWheelDelta %= QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        HandleExceptions([&] { MoveSelection(-notches); });
    Event->accept();
    return true;
}

void TPopupDataList::SelectCurrent() {
    SelectKeyValue(ListKeyValue());
}

void TPopupDataList::SearchCleared() {
    if (FCombo)
        SetKeyValue(FCombo->KeyValue());
    LocateKey();
}

void TPopupDataList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TDBLookupControl::MouseDown(Button, Shift, X, Y);
    const int row = RowAt(Y);
    if (Button != mbLeft || row < 0)
        return;
    ListDataSet()->MoveBy(row - ListLink()->ActiveRecord());
    SelectCurrent();
}

void TPopupDataList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TDBLookupControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && RowAt(Y) >= 0 && FCombo)
        FCombo->CloseUp(true);
}

void TPopupDataList::ListLinkActiveChanged() {
    TDBLookupControl::ListLinkActiveChanged();
    if (!ListActive() && FCombo && FCombo->DroppedDown())
        FCombo->CloseUp(false);
}

void TPopupDataList::ListLinkDataChanged() {
    Invalidate();
}

void TPopupDataList::ListLinkScrolled() {
    Invalidate();
}

void TPopupDataList::KeyValueChanged() {
    Invalidate();
}

// ---- TDBLookupComboBox ----------------------------------------------------------------

// Closes the list without accepting when the mouse is pressed outside the combo and its
// list, or the application loses the activation.
class TDBLookupComboBox::TOutsideClickWatcher : public QObject {
public:
    explicit TOutsideClickWatcher(TDBLookupComboBox* Combo) : FCombo(Combo) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        const bool press = Event->type() == QEvent::MouseButtonPress ||
                           Event->type() == QEvent::MouseButtonDblClick;
        if (press && Watched->isWidgetType() && !Inside(static_cast<QWidget*>(Watched)))
            FCombo->PostToWindow([Combo = FCombo] { Combo->CloseUp(false); });
        else if (Event->type() == QEvent::ApplicationDeactivate)
            FCombo->PostToWindow([Combo = FCombo] { Combo->CloseUp(false); });
        return false;
    }

private:
    bool Inside(const QWidget* Widget) const {
        const TControl* control = TWidgetLink::ControlOf(Widget);
        return control == FCombo || control == FCombo->FDataList.get();
    }

    TDBLookupComboBox* FCombo;
};

TDBLookupComboBox::TDBLookupComboBox(TComponent* AOwner) : TDBLookupControl(AOwner) {
    SetBounds(0, 0, 145, 21);
}

TDBLookupComboBox::~TDBLookupComboBox() {
    Destroying();
    FWatcher.reset();
    FDataList.reset();
}

TPopupDataList* TDBLookupComboBox::DataList() {
    if (!FDataList)
        FDataList.reset(CreateDataList());
    return FDataList.get();
}

TPopupDataList* TDBLookupComboBox::CreateDataList() {
    return new TPopupDataList(this);
}

void TDBLookupComboBox::DropDown() {
    if (FDroppedDown || !ListActive())
        return;
    FOnDropDown(this);
    // The list dataset goes to the key's row before the list joins it: the rows around
    // that row are then read once, as many as the list shows.
    LocateKey();
    TPopupDataList* list = DataList();
    list->Font()->Assign(Font());
    list->SetRowCount(FDropDownRows);
    list->SetKeyField(KeyFieldInUse());
    list->SetListField(ListFieldInUse());
    list->SetListFieldIndex(ListFieldIndex());
    list->SetKeyValue(KeyValue());
    list->SetListSource(ListDataSource());
    list->ClearSearch();
    ClearSearch();
    // Fewer rows than asked when the list is short.
    list->SetRowCount(qMax(1, list->ListLink()->RecordCount()));
    const QRect rect = DropDownRect(list->ListHeight());
    list->SetBounds(rect.x(), rect.y(), rect.width(), rect.height());
    FDroppedDown = true;
    list->Show();
    FWatcher = std::make_unique<TOutsideClickWatcher>(this);
}

void TDBLookupComboBox::SetDroppedDown(bool Value) {
    if (Value)
        DropDown();
    else
        CloseUp(false);
}

QRect TDBLookupComboBox::DropDownRect(int ListHeight) {
    const int width = FDropDownWidth > 0 ? FDropDownWidth : Width();
    int left = 0;
    if (FDropDownAlign == daRight)
        left = Width() - width;
    else if (FDropDownAlign == daCenter)
        left = (Width() - width) / 2;
    QWidget* widget = Widget();
    QPoint origin = widget->mapToGlobal(QPoint(left, Height()));
    if (const QScreen* screen = widget->screen()) {
        const QRect area = screen->availableGeometry();
        if (origin.y() + ListHeight > area.bottom() &&
            origin.y() - Height() - ListHeight >= area.top())
            origin.setY(origin.y() - Height() - ListHeight);
        origin.setX(qBound(area.left(), origin.x(), qMax(area.left(), area.right() - width)));
    }
    return QRect(origin, QSize(width, ListHeight));
}

void TDBLookupComboBox::CloseUp(bool Accept) {
    if (!FDroppedDown)
        return;
    FDroppedDown = false;
    FWatcher.reset();
    TPopupDataList* list = DataList();
    const Variant chosen = list->KeyValue();
    list->Hide();
    // The list reads no rows while hidden.
    list->SetListSource(nullptr);
    list->ClearSearch();
    ClearSearch();
    if (Accept && !VarIsNull(chosen) && !VarSameValue(chosen, KeyValue()))
        SelectKeyValue(chosen);
    if (std::exchange(FTextStale, false))
        TDBLookupControl::ListLinkDataChanged();
    FOnCloseUp(this);
}

bool TDBLookupComboBox::SelectKeyValue(const Variant& Value) {
    const Variant former = KeyValue();
    if (!TDBLookupControl::SelectKeyValue(Value))
        return false;
    if (!VarSameValue(former, Value))
        Change();
    return true;
}

void TDBLookupComboBox::Change() {
    FOnChange(this);
}

void TDBLookupComboBox::StepKeyValue(int Distance) {
    TDataSet* list = ListDataSet();
    if (!ListActive() || !CanModify() || list->IsEmpty())
        return;
    if (VarIsNull(KeyValue()) || !list->Locate(KeyFieldInUse(), KeyValue(), {}))
        list->First();
    else
        list->MoveBy(Distance);
    if (const Variant key = ListKeyValue(); !VarSameValue(key, KeyValue()))
        SelectKeyValue(key);
}

void TDBLookupComboBox::KeyDown(quint16& Key, TShiftState Shift) {
    TDBLookupControl::KeyDown(Key, Shift);
    const bool alt = Shift.Contains(ssAlt);
    if (Key == VK_F4 || (alt && (Key == VK_UP || Key == VK_DOWN))) {
        if (FDroppedDown)
            CloseUp(true);
        else if (Key != VK_UP)
            DropDown();
        Key = 0;
        return;
    }
    if (FDroppedDown) {
        switch (Key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_RETURN:
        case VK_ESCAPE:
            DataList()->KeyDown(Key, Shift);
            Key = 0;
            break;
        default:
            break;
        }
        return;
    }
    if (Key == VK_UP || Key == VK_DOWN) {
        ClearSearch();
        StepKeyValue(Key == VK_UP ? -1 : 1);
        Key = 0;
    }
}

void TDBLookupComboBox::KeyPress(QChar& Key) {
    TDBLookupControl::KeyPress(Key);
    if (Key.isNull())
        return;
    if (FDroppedDown)
        DataList()->KeyPress(Key);
    else if (ListActive() && CanModify())
        ProcessSearchKey(Key);
}

void TDBLookupComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (!Focused() && CanFocus())
            SetFocus();
        if (FDroppedDown)
            CloseUp(false);
        else
            DropDown();
    }
    TDBLookupControl::MouseDown(Button, Shift, X, Y);
}

void TDBLookupComboBox::DoEnter() {
    Invalidate();
    TDBLookupControl::DoEnter();
}

void TDBLookupComboBox::DoExit() {
    Invalidate();
    CloseUp(false);
    ClearSearch();
    TDBLookupControl::DoExit();
}

void TDBLookupComboBox::ListLinkActiveChanged() {
    TDBLookupControl::ListLinkActiveChanged();
    if (!ListActive())
        CloseUp(false);
}

void TDBLookupComboBox::ListLinkDataChanged() {
    if (FDroppedDown)
        FTextStale = true;
    else
        TDBLookupControl::ListLinkDataChanged();
}

void TDBLookupComboBox::Paint() {
    QWidget* widget = Widget();
    QPainter painter(widget);
    QStyleOptionComboBox option;
    option.initFrom(widget);
    option.editable = false;
    option.frame = true;
    option.currentText = Text();
    if (FDroppedDown)
        option.state |= QStyle::State_On;
    QStyle* style = widget->style();
    style->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, widget);
    if (Focused() && !FDroppedDown) {
        // The focused text is selected, as in an edit.
        const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, widget);
        painter.fillRect(field.adjusted(1, 1, -1, -1), ColorToQColor(clHighlight));
        option.palette.setColor(QPalette::ButtonText, ColorToQColor(clHighlightText));
        option.palette.setColor(QPalette::Text, ColorToQColor(clHighlightText));
    }
    style->drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, widget);
}
