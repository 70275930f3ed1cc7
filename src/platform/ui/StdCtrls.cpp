#include "StdCtrls.h"

#include "Forms.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <algorithm>
#include <numeric>
#include <rtl/List.h>
#include <rtl/Reference.h>

namespace {

// The caption as shown without accelerator: "&&" is "&", a single "&" disappears.
QString StripHotKey(const QString& Text) {
    QString result;
    result.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text[i] == QLatin1Char('&') && ++i == Text.size())
            break;
        result += Text[i];
    }
    return result;
}

TCheckBoxState StateFromQt(int State) {
    switch (State) {
    case Qt::Checked:
        return cbChecked;
    case Qt::PartiallyChecked:
        return cbGrayed;
    default:
        return cbUnchecked;
    }
}

Qt::CheckState StateToQt(TCheckBoxState State) {
    switch (State) {
    case cbChecked:
        return Qt::Checked;
    case cbGrayed:
        return Qt::PartiallyChecked;
    case cbUnchecked:
        break;
    }
    return Qt::Unchecked;
}

Qt::ScrollBarPolicy ScrollBarPolicy(bool Shown) {
    return Shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
}

// Lines reporting every change outside an update and the end of an update: a memo's lines,
// a combo box's items.
class TMemoLines : public TStringList {
public:
    TMemoLines(QObject* Parent, std::function<void()> Notify)
        : TStringList(Parent), FNotify(std::move(Notify)) {}

protected:
    void Changed() override {
        TStringList::Changed();
        if (UpdateCount() == 0)
            FNotify();
    }

private:
    std::function<void()> FNotify;
};

} // namespace

// TLabel

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner) {
    SetBounds(0, 0, 65, 17);
}

QWidget* TLabel::CreateWidget() {
    auto* label = new TControlWidget<QLabel>(this);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* TLabel::LabelWidget() {
    return static_cast<QLabel*>(Widget());
}

void TLabel::InitWidget() {
    TControl::InitWidget();
    ApplyText();
}

void TLabel::ApplyText() {
    if (!HandleAllocated())
        return;
    QLabel* label = LabelWidget();
    label->setAlignment(AlignmentToQt(FAlignment) | Qt::AlignTop);
    label->setWordWrap(FWordWrap);
    // With a buddy the label draws the accelerator and gives the buddy the focus on it.
    if (FFocusControl) {
        label->setText(Caption());
        label->setBuddy(FFocusControl->Widget());
    } else {
        label->setBuddy(nullptr);
        label->setText(StripHotKey(Caption()));
    }
}

void TLabel::AdjustSize() {
    if (!FAutoSize || IsLoading())
        return;
    const QFontMetrics metrics(Font()->ToQFont());
    const int flags = Qt::TextShowMnemonic | (FWordWrap ? Qt::TextWordWrap : 0);
    const QSize size =
        FWordWrap
            ? metrics.boundingRect(QRect(0, 0, Width(), QWIDGETSIZE_MAX), flags, Caption()).size()
            : metrics.size(flags, Caption());
    const int width = FWordWrap ? Width() : size.width();
    const int left = FAlignment == taRightJustify ? Left() + Width() - width : Left();
    SetBounds(left, Top(), width, size.height());
}

void TLabel::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    ApplyText();
}

void TLabel::SetAutoSize(bool Value) {
    FAutoSize = Value;
    AdjustSize();
}

void TLabel::SetWordWrap(bool Value) {
    FWordWrap = Value;
    ApplyText();
    AdjustSize();
}

void TLabel::SetFocusControl(TWinControl* Value) {
    if (ReplaceReference(this, FFocusControl, Value))
        ApplyText();
}

void TLabel::TextChanged() {
    ApplyText();
    AdjustSize();
}

void TLabel::FontChanged() {
    TControl::FontChanged();
    AdjustSize();
}

void TLabel::Loaded() {
    TControl::Loaded();
    AdjustSize();
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation) {
    TControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) {
        FFocusControl = nullptr;
        if (!IsDestroying())
            ApplyText();
    }
}

// TEdit

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
}

QWidget* TEdit::CreateWidget() {
    auto* edit = new TControlWidget<QLineEdit>(this);
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& Value) { WidgetTextChanged(Value); });
    return edit;
}

QLineEdit* TEdit::EditWidget() {
    return static_cast<QLineEdit*>(Widget());
}

const QLineEdit* TEdit::ExistingEditWidget() const {
    return static_cast<const QLineEdit*>(AllocatedWidget());
}

void TEdit::InitWidget() {
    TWinControl::InitWidget();
    QLineEdit* edit = EditWidget();
    QScopedValueRollback updating(FUpdatingWidget, true);
    edit->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
    edit->setReadOnly(FReadOnly);
    edit->setEchoMode(FPasswordChar.isNull() ? QLineEdit::Normal : QLineEdit::Password);
    edit->setFrame(FBorderStyle == bsSingle);
    edit->setTextMargins(FTextMargins);
    edit->setText(TWinControl::Text());
    StoreText(edit->text());
}

void TEdit::WidgetTextChanged(const QString& Value) {
    if (FUpdatingWidget || Value == TWinControl::Text())
        return;
    StoreText(Value);
    HandleExceptions([this] { Change(); });
}

void TEdit::TextChanged() {
    if (QLineEdit* edit = HandleAllocated() ? EditWidget() : nullptr) {
        QScopedValueRollback updating(FUpdatingWidget, true);
        edit->setText(TWinControl::Text());
        StoreText(edit->text());
    }
    if (!IsLoading())
        Change();
}

void TEdit::Change() {
    FOnChange(this);
}

void TEdit::SetMaxLength(int Value) {
    FMaxLength = Value;
    if (HandleAllocated())
        EditWidget()->setMaxLength(Value > 0 ? Value : 32767);
}

void TEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (HandleAllocated())
        EditWidget()->setReadOnly(Value);
}

void TEdit::SetPasswordChar(QChar Value) {
    FPasswordChar = Value;
    if (HandleAllocated())
        EditWidget()->setEchoMode(Value.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TEdit::SetBorderStyle(TFormBorderStyle Value) {
    if (Value != bsNone && Value != bsSingle)
        throw EInvalidOperation(QStringLiteral("An edit's border is bsSingle or bsNone"));
    FBorderStyle = Value;
    if (HandleAllocated())
        EditWidget()->setFrame(Value == bsSingle);
}

void TEdit::SetTextMargins(const QMargins& Value) {
    FTextMargins = Value;
    if (HandleAllocated())
        EditWidget()->setTextMargins(Value);
}

int TEdit::SelStart() const {
    const QLineEdit* edit = ExistingEditWidget();
    if (!edit)
        return 0;
    return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

void TEdit::SetSelStart(int Value) {
    EditWidget()->setCursorPosition(Value);
}

int TEdit::SelLength() const {
    const QLineEdit* edit = ExistingEditWidget();
    return edit ? edit->selectionLength() : 0;
}

void TEdit::SetSelLength(int Value) {
    EditWidget()->setSelection(SelStart(), Value);
}

QString TEdit::SelText() const {
    const QLineEdit* edit = ExistingEditWidget();
    return edit ? edit->selectedText() : QString();
}

void TEdit::SetSelText(const QString& Value) {
    if (!FReadOnly)
        EditWidget()->insert(Value);
}

void TEdit::SelectAll() {
    EditWidget()->selectAll();
}

// TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({});
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

QWidget* TButton::CreateWidget() {
    auto* button = new TControlWidget<QPushButton>(this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] { HandleExceptions([this] { Click(); }); });
    return button;
}

QPushButton* TButton::ButtonWidget() {
    return static_cast<QPushButton*>(Widget());
}

void TButton::InitWidget() {
    TWinControl::InitWidget();
    ButtonWidget()->setText(Caption());
    ButtonWidget()->setDefault(FDefault);
}

void TButton::TextChanged() {
    if (HandleAllocated())
        ButtonWidget()->setText(Caption());
}

void TButton::SetDefault(bool Value) {
    FDefault = Value;
    if (HandleAllocated())
        ButtonWidget()->setDefault(Value);
}

void TButton::Click() {
    if (FModalResult != mrNone)
        if (TForm* form = GetParentForm(this))
            form->SetModalResult(FModalResult);
    TWinControl::Click();
}

bool TButton::IsActiveDefault() const {
    const TForm* form = GetParentForm(this);
    const TWinControl* focused = form ? form->ActiveControl() : nullptr;
    return qobject_cast<const TButton*>(focused) ? focused == this : FDefault;
}

bool TButton::DialogKey(quint16 Key, TShiftState) {
    if ((Key == VK_RETURN && IsActiveDefault()) || (Key == VK_ESCAPE && FCancel)) {
        Click();
        return true;
    }
    return false;
}

// TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({});
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

QWidget* TCheckBox::CreateWidget() {
    auto* box = new TControlWidget<QCheckBox>(this);
    connect(box, &QCheckBox::stateChanged, this, [this](int Value) {
        if (FUpdatingWidget)
            return;
        FState = StateFromQt(Value);
        HandleExceptions([this] { Click(); });
    });
    return box;
}

QCheckBox* TCheckBox::CheckBoxWidget() {
    return static_cast<QCheckBox*>(Widget());
}

void TCheckBox::InitWidget() {
    TWinControl::InitWidget();
    CheckBoxWidget()->setText(Caption());
    ApplyState();
}

void TCheckBox::TextChanged() {
    if (HandleAllocated())
        CheckBoxWidget()->setText(Caption());
}

void TCheckBox::ApplyState() {
    if (!HandleAllocated())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    QCheckBox* box = CheckBoxWidget();
    box->setTristate(FAllowGrayed || FState == cbGrayed);
    box->setCheckState(StateToQt(FState));
}

void TCheckBox::SetAllowGrayed(bool Value) {
    FAllowGrayed = Value;
    ApplyState();
}

void TCheckBox::SetState(TCheckBoxState Value) {
    if (FState == Value)
        return;
    FState = Value;
    ApplyState();
    if (!IsLoading())
        Click();
}

// TRadioButton

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({});
    SetBounds(0, 0, 113, 17);
    SetTabStop(true);
}

QWidget* TRadioButton::CreateWidget() {
    auto* button = new TControlWidget<QRadioButton>(this);
    // The control keeps its group exclusive itself, whether the widget exists or not.
    button->setAutoExclusive(false);
    connect(button, &QRadioButton::toggled, this, [this](bool Value) {
        if (!FUpdatingWidget)
            HandleExceptions([this, Value] { WidgetToggled(Value); });
    });
    return button;
}

QRadioButton* TRadioButton::RadioWidget() {
    return static_cast<QRadioButton*>(Widget());
}

void TRadioButton::InitWidget() {
    TWinControl::InitWidget();
    RadioWidget()->setText(Caption());
    ApplyChecked();
}

void TRadioButton::TextChanged() {
    if (HandleAllocated())
        RadioWidget()->setText(Caption());
}

void TRadioButton::ApplyChecked() {
    if (!HandleAllocated())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    RadioWidget()->setChecked(FChecked);
}

void TRadioButton::WidgetToggled(bool Value) {
    // A click on the checked button leaves it checked.
    if (Value)
        SetChecked(true);
    else
        ApplyChecked();
}

void TRadioButton::SetChecked(bool Value) {
    if (FChecked == Value)
        return;
    FChecked = Value;
    ApplyChecked();
    if (!Value)
        return;
    for (TRadioButton* other : Group())
        if (other != this)
            other->SetChecked(false);
    if (!IsLoading())
        Click();
}

QList<TRadioButton*> TRadioButton::Group() const {
    QList<TRadioButton*> group;
    if (!Parent())
        return group;
    QList<TWinControl*> order;
    Parent()->GetTabOrderList(order);
    for (TWinControl* control : std::as_const(order))
        if (auto* button = qobject_cast<TRadioButton*>(control);
            button && button->Parent() == Parent())
            group.append(button);
    return group;
}

bool TRadioButton::IsTabStop() const {
    if (!TabStop())
        return false;
    if (FChecked)
        return true;
    const QList<TRadioButton*> group = Group();
    for (const TRadioButton* button : group)
        if (button->FChecked && button->TabStop() && button->CanFocus())
            return false;
    for (const TRadioButton* button : group)
        if (button->TabStop() && button->CanFocus())
            return button == this;
    return false;
}

void TRadioButton::KeyDown(quint16& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    const bool back = Key == VK_UP || Key == VK_LEFT;
    if ((!back && Key != VK_DOWN && Key != VK_RIGHT) || !Shift.IsEmpty())
        return;
    Key = 0;
    const QList<TRadioButton*> group = Group();
    const qsizetype count = group.size();
    const qsizetype start = group.indexOf(this);
    for (qsizetype step = 1; step < count; ++step) {
        TRadioButton* next = group[(start + (back ? count - step : step)) % count];
        if (next->CanFocus()) {
            next->SetFocus();
            next->SetChecked(true);
            return;
        }
    }
}

// TListBox

// The lines of a list box, stored by the box itself.
class TListBox::TItems : public TStrings {
public:
    explicit TItems(TListBox* Box) : TStrings(Box), FBox(Box) {}

    int Count() const override { return int(FBox->FLines.size()); }
    QString Strings(int Index) const override {
        CheckIndex(Index);
        return FBox->FLines[Index].Text;
    }
    void SetStrings(int Index, const QString& S) override {
        CheckIndex(Index);
        FBox->FLines[Index].Text = S;
        FBox->ShowLine(Index);
    }
    TObject* Objects(int Index) const override {
        CheckIndex(Index);
        return FBox->FLines[Index].Object;
    }
    void SetObjects(int Index, TObject* AObject) override {
        CheckIndex(Index);
        FBox->FLines[Index].Object = AObject;
    }
    int AddObject(const QString& S, TObject* AObject) override {
        if (!FBox->FSorted)
            return TStrings::AddObject(S, AObject);
        // After the lines that sort equal, so that they keep the order they came in.
        const auto position = std::upper_bound(FBox->FLines.cbegin(), FBox->FLines.cend(), S,
                                               [this](const QString& s, const TLine& line) {
                                                   return CompareStrings(s, line.Text) < 0;
                                               });
        const int index = int(position - FBox->FLines.cbegin());
        FBox->InsertLine(index, {S, AObject});
        return index;
    }
    void InsertObject(int Index, const QString& S, TObject* AObject) override {
        if (Index < 0 || Index > Count())
            ListIndexError(Index);
        FBox->InsertLine(Index, {S, AObject});
    }
    void Delete(int Index) override {
        CheckIndex(Index);
        FBox->DeleteLine(Index);
    }
    void Clear() override { FBox->ClearLines(); }
    void Move(int CurIndex, int NewIndex) override {
        CheckIndex(CurIndex);
        CheckIndex(NewIndex);
        FBox->MoveLine(CurIndex, NewIndex);
    }

    // Stable, the line with the focus keeping it.
    void Sort() {
        QList<int> order(Count());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return CompareStrings(FBox->FLines[a].Text, FBox->FLines[b].Text) < 0;
        });
        QList<TLine> sorted;
        sorted.reserve(order.size());
        for (const int index : std::as_const(order))
            sorted.append(FBox->FLines[index]);
        FBox->FLines = sorted;
        FBox->FItemIndex = FBox->FItemIndex < 0 ? -1 : int(order.indexOf(FBox->FItemIndex));
        FBox->ShowLines();
    }

protected:
    void SetUpdateState(bool Updating) override {
        FBox->FItemsUpdating = Updating;
        if (!Updating)
            FBox->ShowLines();
    }

private:
    TListBox* FBox;
};

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner), FItems(new TItems(this)) {
    SetControlStyle({});
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
}

TStrings* TListBox::Items() const {
    return FItems;
}

void TListBox::Clear() {
    FItems->Clear();
}

QWidget* TListBox::CreateWidget() {
    auto* list = new TScrollAreaWidget<QListWidget>(this);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    connect(list, &QListWidget::itemSelectionChanged, this, [this] { ReadSelection(); });
    connect(list, &QListWidget::currentRowChanged, this, [this] { ReadSelection(); });
    return list;
}

QListWidget* TListBox::ListWidget() {
    return static_cast<QListWidget*>(Widget());
}

QWidget* TListBox::ClientWidget() {
    return ListWidget()->viewport();
}

void TListBox::InitWidget() {
    TWinControl::InitWidget();
    ApplySelectionMode();
    ShowLines();
    SetTopIndex(FTopIndex);
}

bool TListBox::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    const bool handled = TWinControl::WidgetEvent(Event, Default);
    if (std::exchange(FSelectionChanged, false) && !IsDestroying())
        Click();
    return handled;
}

void TListBox::ApplySelectionMode() {
    if (!HandleAllocated())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    ListWidget()->setSelectionMode(!FMultiSelect     ? QAbstractItemView::SingleSelection
                                   : FExtendedSelect ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::MultiSelection);
}

void TListBox::InsertLine(int Index, const TLine& Line) {
    FLines.insert(Index, Line);
    if (FItemIndex >= Index)
        ++FItemIndex;
    if (!ShowsChanges())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    ListWidget()->insertItem(Index, Line.Text);
    ShowSelection();
}

void TListBox::DeleteLine(int Index) {
    FLines.removeAt(Index);
    if (FItemIndex == Index)
        FItemIndex = -1;
    else if (FItemIndex > Index)
        --FItemIndex;
    if (!ShowsChanges())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    delete ListWidget()->takeItem(Index);
    ShowSelection();
}

void TListBox::MoveLine(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex)
        return;
    FLines.move(CurIndex, NewIndex);
    if (FItemIndex == CurIndex)
        FItemIndex = NewIndex;
    else if (CurIndex < FItemIndex && NewIndex >= FItemIndex)
        --FItemIndex;
    else if (CurIndex > FItemIndex && NewIndex <= FItemIndex && FItemIndex >= 0)
        ++FItemIndex;
    if (!ShowsChanges())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    QListWidget* list = ListWidget();
    list->insertItem(NewIndex, list->takeItem(CurIndex));
    ShowSelection();
}

void TListBox::ClearLines() {
    FLines.clear();
    FItemIndex = -1;
    if (!ShowsChanges())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    ListWidget()->clear();
}

void TListBox::ShowLine(int Index) {
    if (ShowsChanges())
        ListWidget()->item(Index)->setText(FLines[Index].Text);
}

void TListBox::ShowLines() {
    if (!ShowsChanges())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    QListWidget* list = ListWidget();
    list->clear();
    for (const TLine& line : std::as_const(FLines))
        list->addItem(line.Text);
    ShowSelection();
}

void TListBox::ShowSelection() {
    if (!ShowsChanges())
        return;
    QScopedValueRollback updating(FUpdatingWidget, true);
    QListWidget* list = ListWidget();
    QItemSelection selection;
    for (int i = 0; i < FLines.size(); ++i)
        if (FLines[i].Selected) {
            const QModelIndex index = list->model()->index(i, 0);
            selection.select(index, index);
        }
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    list->selectionModel()->setCurrentIndex(list->model()->index(FItemIndex, 0),
                                            QItemSelectionModel::NoUpdate);
}

void TListBox::ReadSelection() {
    if (FUpdatingWidget || FItemsUpdating)
        return;
    QListWidget* list = ListWidget();
    int selected = -1;
    for (int i = 0; i < FLines.size(); ++i) {
        const bool value = list->item(i)->isSelected();
        FSelectionChanged |= FLines[i].Selected != value;
        FLines[i].Selected = value;
        if (value && selected < 0)
            selected = i;
    }
    const int itemIndex = FMultiSelect ? list->currentRow() : selected;
    FSelectionChanged |= itemIndex != FItemIndex;
    FItemIndex = itemIndex;
}

void TListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FLines.size())
        ListIndexError(Value);
    FItemIndex = Value;
    if (!FMultiSelect)
        SelectItemIndexOnly();
    ShowSelection();
}

void TListBox::SelectItemIndexOnly() {
    for (int i = 0; i < FLines.size(); ++i)
        FLines[i].Selected = i == FItemIndex;
}

void TListBox::CheckLine(int Index) const {
    if (Index < 0 || Index >= FLines.size())
        ListIndexError(Index);
}

bool TListBox::Selected(int Index) const {
    CheckLine(Index);
    return FLines[Index].Selected;
}

void TListBox::SetSelected(int Index, bool Value) {
    CheckLine(Index);
    if (!FMultiSelect) {
        if (Value || Index == FItemIndex)
            SetItemIndex(Value ? Index : -1);
        return;
    }
    FLines[Index].Selected = Value;
    ShowSelection();
}

int TListBox::SelCount() const {
    return int(std::count_if(FLines.cbegin(), FLines.cend(),
                             [](const TLine& line) { return line.Selected; }));
}

void TListBox::SetMultiSelect(bool Value) {
    if (FMultiSelect == Value)
        return;
    FMultiSelect = Value;
    if (!Value) {
        if (FItemIndex < 0 || !FLines[FItemIndex].Selected) {
            const auto first = std::find_if(FLines.cbegin(), FLines.cend(),
                                            [](const TLine& line) { return line.Selected; });
            FItemIndex = first == FLines.cend() ? -1 : int(first - FLines.cbegin());
        }
        SelectItemIndexOnly();
    }
    ApplySelectionMode();
    ShowSelection();
}

void TListBox::SetExtendedSelect(bool Value) {
    FExtendedSelect = Value;
    ApplySelectionMode();
}

void TListBox::SetSorted(bool Value) {
    if (FSorted == Value)
        return;
    FSorted = Value;
    if (Value)
        FItems->Sort();
}

int TListBox::TopIndex() const {
    // The widget scrolls by lines: its scroll bar counts them.
    const auto* list = static_cast<const QListWidget*>(AllocatedWidget());
    return list ? list->verticalScrollBar()->value() : FTopIndex;
}

void TListBox::SetTopIndex(int Value) {
    FTopIndex = std::clamp(Value, 0, std::max(int(FLines.size()) - 1, 0));
    if (HandleAllocated() && !FLines.isEmpty())
        ListWidget()->scrollToItem(ListWidget()->item(FTopIndex), QAbstractItemView::PositionAtTop);
}

int TListBox::ItemAtPos(const QPoint& Pos, bool Existing) {
    const QModelIndex index = ListWidget()->indexAt(Pos);
    if (index.isValid())
        return index.row();
    return Existing ? -1 : int(FLines.size());
}

TCursor TListBox::DraggingCursor() const {
    return DragCursor() == crDrag && SelCount() > 1 ? crMultiDrag : DragCursor();
}

// TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csAcceptsControls, csClickEvents});
    SetBounds(0, 0, 185, 105);
}

QWidget* TGroupBox::CreateWidget() {
    return new TControlWidget<QGroupBox>(this);
}

void TGroupBox::InitWidget() {
    TWinControl::InitWidget();
    static_cast<QGroupBox*>(Widget())->setTitle(Caption());
}

void TGroupBox::TextChanged() {
    if (HandleAllocated())
        static_cast<QGroupBox*>(Widget())->setTitle(Caption());
}

void TGroupBox::FontChanged() {
    TWinControl::FontChanged();
    Realign();
}

void TGroupBox::AdjustClientRect(QRect& Rect) const {
    // The caption's line at the top and the frame's two pixels all round.
    const QFontMetrics metrics(Font()->ToQFont());
    Rect.adjust(2, metrics.height() + 2, -2, -2);
}

// TMemo

TMemo::TMemo(TComponent* AOwner)
    : TWinControl(AOwner), FLines(new TMemoLines(this, [this] { LinesChanged(); })) {
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
}

TStrings* TMemo::Lines() const {
    return FLines;
}

QString TMemo::Text() const {
    return FLines->ToStringList().join(QLatin1Char('\n'));
}

void TMemo::SetText(const QString& Value) {
    FLines->BeginUpdate();
    FLines->Clear();
    if (!Value.isEmpty())
        for (const QString& line : QString(Value)
                                       .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                       .split(QLatin1Char('\n')))
            FLines->Add(line);
    FLines->EndUpdate();
}

QWidget* TMemo::CreateWidget() {
    auto* memo = new TScrollAreaWidget<QPlainTextEdit>(this);
    connect(memo, &QPlainTextEdit::textChanged, this, [this] { WidgetTextChanged(); });
    return memo;
}

QPlainTextEdit* TMemo::MemoWidget() {
    return static_cast<QPlainTextEdit*>(Widget());
}

const QPlainTextEdit* TMemo::ExistingMemoWidget() const {
    return static_cast<const QPlainTextEdit*>(AllocatedWidget());
}

int TMemo::SelStart() const {
    const QPlainTextEdit* memo = ExistingMemoWidget();
    return memo ? memo->textCursor().selectionStart() : 0;
}

void TMemo::SetSelStart(int Value) {
    QPlainTextEdit* memo = MemoWidget();
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(qBound(0, Value, memo->document()->characterCount() - 1));
    memo->setTextCursor(cursor);
}

int TMemo::SelLength() const {
    const QPlainTextEdit* memo = ExistingMemoWidget();
    if (!memo)
        return 0;
    const QTextCursor cursor = memo->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TMemo::SetSelLength(int Value) {
    QPlainTextEdit* memo = MemoWidget();
    QTextCursor cursor = memo->textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(qBound(0, start + Value, memo->document()->characterCount() - 1),
                       QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

QString TMemo::SelText() const {
    const QPlainTextEdit* memo = ExistingMemoWidget();
    return memo ? memo->textCursor().selectedText().replace(QChar::ParagraphSeparator,
                                                            QLatin1Char('\n'))
                : QString();
}

void TMemo::SetSelText(const QString& Value) {
    if (FReadOnly)
        return;
    QPlainTextEdit* memo = MemoWidget();
    QTextCursor cursor = memo->textCursor();
    cursor.insertText(Value); // replaces the selection, even with nothing
    memo->setTextCursor(cursor);
}

void TMemo::SelectAll() {
    MemoWidget()->selectAll();
}

void TMemo::InitWidget() {
    TWinControl::InitWidget();
    ApplyOptions();
    QScopedValueRollback updating(FUpdatingWidget, true);
    MemoWidget()->setPlainText(Text());
}

void TMemo::ApplyOptions() {
    if (!HandleAllocated())
        return;
    QPlainTextEdit* memo = MemoWidget();
    memo->setReadOnly(FReadOnly);
    memo->setLineWrapMode(FWordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(
        ScrollBarPolicy(FScrollBars == ssHorizontal || FScrollBars == ssBoth));
    memo->setVerticalScrollBarPolicy(
        ScrollBarPolicy(FScrollBars == ssVertical || FScrollBars == ssBoth));
    memo->setTabChangesFocus(!FWantTabs);
}

void TMemo::LinesChanged() {
    if (FUpdatingLines)
        return;
    if (HandleAllocated()) {
        QScopedValueRollback updating(FUpdatingWidget, true);
        MemoWidget()->setPlainText(Text());
    }
    if (!IsLoading())
        Change();
}

void TMemo::WidgetTextChanged() {
    if (FUpdatingWidget)
        return;
    {
        QScopedValueRollback updating(FUpdatingLines, true);
        SetText(MemoWidget()->toPlainText());
    }
    HandleExceptions([this] { Change(); });
}

void TMemo::Change() {
    FOnChange(this);
}

void TMemo::SetReadOnly(bool Value) {
    FReadOnly = Value;
    ApplyOptions();
}

void TMemo::SetWordWrap(bool Value) {
    FWordWrap = Value;
    ApplyOptions();
}

void TMemo::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    ApplyOptions();
}

void TMemo::SetWantTabs(bool Value) {
    FWantTabs = Value;
    ApplyOptions();
}

bool TMemo::WantKey(quint16 Key) const {
    if (Key == VK_RETURN)
        return FWantReturns;
    if (Key == VK_TAB)
        return FWantTabs;
    return false;
}

// TCustomComboBox

namespace {

// A combo box that tells its control when the list opens and closes.
class TComboBoxWidget : public TControlWidget<QComboBox> {
public:
    TComboBoxWidget(TControl* Control, std::function<void()> BeforeShow,
                    std::function<void()> AfterHide)
        : TControlWidget<QComboBox>(Control), FBeforeShow(std::move(BeforeShow)),
          FAfterHide(std::move(AfterHide)) {}

    void showPopup() override {
        if (HandleExceptions(FBeforeShow))
            QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        HandleExceptions(FAfterHide);
    }
    // Where the closed combo shows its text.
    QRect EditRect() const {
        QStyleOptionComboBox option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                       this);
    }

private:
    std::function<void()> FBeforeShow;
    std::function<void()> FAfterHide;
};

// Draws and measures the list's items through the combo when it is owner-drawn.
class TComboItemDelegate : public QStyledItemDelegate {
public:
    TComboItemDelegate(TCustomComboBox* Combo, QObject* Parent)
        : QStyledItemDelegate(Parent), FCombo(Combo) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override {
        if (!FCombo->IsOwnerDrawn()) {
            QStyledItemDelegate::paint(Painter, Option, Index);
            return;
        }
        TOwnerDrawState state;
        if (Option.state & QStyle::State_Selected)
            state.Include(odSelected);
        if (Option.state & QStyle::State_HasFocus)
            state.Include(odFocused);
        if (!(Option.state & QStyle::State_Enabled))
            state.Include(odDisabled);
        HandleExceptions([&] { FCombo->PaintItem(Painter, Index.row(), Option.rect, state); });
    }

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        QSize size = QStyledItemDelegate::sizeHint(Option, Index);
        if (FCombo->IsOwnerDrawn())
            HandleExceptions([&] { size.setHeight(FCombo->ItemHeightOf(Index.row())); });
        return size;
    }

private:
    TCustomComboBox* FCombo;
};

} // namespace

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TMemoLines(this, [this] { ItemsChanged(); })) {
    SetControlStyle({});
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
}

QWidget* TCustomComboBox::CreateWidget() {
    auto* combo = new TComboBoxWidget(
        this, [this] { PopupShown(); }, [this] { PopupHidden(); });
    combo->setItemDelegate(new TComboItemDelegate(this, combo));
    combo->setInsertPolicy(QComboBox::NoInsert);
    connect(combo, &QComboBox::activated, this,
            [this](int Index) { HandleExceptions([&] { WidgetActivated(Index); }); });
    return combo;
}

QComboBox* TCustomComboBox::ComboWidget() {
    return static_cast<QComboBox*>(Widget());
}

void TCustomComboBox::InitWidget() {
    TWinControl::InitWidget();
    QComboBox* combo = ComboWidget();
    QScopedValueRollback updating(FUpdatingWidget, true);
    combo->addItems(FItems->ToStringList());
    combo->setMaxVisibleItems(FDropDownCount);
    ApplyStyle();
    ApplyFaceColors();
}

void TCustomComboBox::ColorChanged() {
    TWinControl::ColorChanged();
    ApplyFaceColors();
}

void TCustomComboBox::FontChanged() {
    TWinControl::FontChanged();
    ApplyFaceColors();
}

void TCustomComboBox::ApplyFaceColors() {
    if (!HandleAllocated())
        return;
    // Styles paint the face in the button and base roles and its text in the button-text
    // and text roles; the default colours keep the style's own, and a disabled combo keeps
    // the style's greyed look.
    QWidget* combo = Widget();
    const QPalette standard = QApplication::palette(combo);
    QPalette palette = combo->palette();
    const QColor face = ColorToQColor(Color());
    const QColor text = ColorToQColor(Font()->Color());
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const bool ownFace = Color() != clWindow && face.isValid();
        for (QPalette::ColorRole role : {QPalette::Button, QPalette::Base})
            palette.setColor(group, role, ownFace ? face : standard.color(group, role));
        const bool ownText = Font()->Color() != clWindowText && text.isValid();
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::Text})
            palette.setColor(group, role, ownText ? text : standard.color(group, role));
    }
    combo->setPalette(palette);
}

void TCustomComboBox::ApplyStyle() {
    if (!HandleAllocated())
        return;
    QComboBox* combo = ComboWidget();
    QScopedValueRollback updating(FUpdatingWidget, true);
    combo->setEditable(HasEditField());
    if (QLineEdit* edit = combo->lineEdit()) {
        combo->setCompleter(nullptr);
        edit->setReadOnly(FEditReadOnly);
        edit->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
        disconnect(edit, &QLineEdit::textEdited, this, nullptr);
        connect(edit, &QLineEdit::textEdited, this, [this](const QString& Value) {
            HandleExceptions([&] { WidgetTextEdited(Value); });
        });
    }
    ApplyItemIndex();
    combo->update();
}

void TCustomComboBox::ApplyItemIndex() {
    if (!HandleAllocated())
        return;
    QComboBox* combo = ComboWidget();
    QScopedValueRollback updating(FUpdatingWidget, true);
    if (combo->currentIndex() != FItemIndex)
        combo->setCurrentIndex(FItemIndex);
    if (combo->isEditable() && combo->currentText() != TWinControl::Text())
        combo->setEditText(TWinControl::Text());
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (FStyle == Value)
        return;
    const QString text = Text();
    FStyle = Value;
    StoreText(text);
    ApplyStyle();
}

TStrings* TCustomComboBox::Items() const {
    return FItems;
}

void TCustomComboBox::SetItems(TStrings* Value) {
    FItems->Assign(Value);
}

void TCustomComboBox::ItemsChanged() {
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    if (!HandleAllocated())
        return;
    QComboBox* combo = ComboWidget();
    {
        QScopedValueRollback updating(FUpdatingWidget, true);
        combo->clear();
        combo->addItems(FItems->ToStringList());
    }
    ApplyItemIndex();
}

void TCustomComboBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->Count())
        Value = -1;
    FItemIndex = Value;
    if (HasEditField())
        StoreText(Value >= 0 ? FItems->Strings(Value) : QString());
    ApplyItemIndex();
}

QString TCustomComboBox::Text() const {
    if (HasEditField())
        return TWinControl::Text();
    return FItemIndex >= 0 ? FItems->Strings(FItemIndex) : QString();
}

void TCustomComboBox::SetText(const QString& Value) {
    const int index = FItems->IndexOf(Value);
    if (!HasEditField()) {
        SetItemIndex(index);
        return;
    }
    FItemIndex = index >= 0 && FItems->Strings(index) == Value ? index : -1;
    StoreText(Value);
    ApplyItemIndex();
}

void TCustomComboBox::SetDroppedDown(bool Value) {
    if (Value == FDroppedDown)
        return;
    if (Value)
        ComboWidget()->showPopup();
    else
        ComboWidget()->hidePopup();
}

void TCustomComboBox::PopupShown() {
    DropDown();
    FDroppedDown = true;
}

void TCustomComboBox::PopupHidden() {
    if (!std::exchange(FDroppedDown, false) || IsDestroying())
        return;
    CloseUp();
}

void TCustomComboBox::SetDropDownCount(int Value) {
    FDropDownCount = qMax(Value, 1);
    if (HandleAllocated())
        ComboWidget()->setMaxVisibleItems(FDropDownCount);
}

bool TCustomComboBox::Sorted() const {
    return FItems->Sorted();
}

void TCustomComboBox::SetSorted(bool Value) {
    FItems->SetSorted(Value);
}

void TCustomComboBox::SetMaxLength(int Value) {
    FMaxLength = qMax(Value, 0);
    if (QLineEdit* edit = HandleAllocated() ? ComboWidget()->lineEdit() : nullptr)
        edit->setMaxLength(FMaxLength > 0 ? FMaxLength : 32767);
}

void TCustomComboBox::SetItemHeight(int Value) {
    FItemHeight = qMax(Value, 1);
    Invalidate();
}

void TCustomComboBox::SetEditReadOnly(bool Value) {
    FEditReadOnly = Value;
    if (QLineEdit* edit = HandleAllocated() ? ComboWidget()->lineEdit() : nullptr)
        edit->setReadOnly(Value);
}

void TCustomComboBox::SelectAll() {
    if (QLineEdit* edit = HandleAllocated() ? ComboWidget()->lineEdit() : nullptr)
        edit->selectAll();
}

void TCustomComboBox::WidgetActivated(int Index) {
    if (FUpdatingWidget)
        return;
    FItemIndex = Index;
    if (HasEditField())
        StoreText(FItems->Strings(Index));
    Select();
}

void TCustomComboBox::WidgetTextEdited(const QString& Value) {
    if (FUpdatingWidget)
        return;
    const int index = FItems->IndexOf(Value);
    FItemIndex = index >= 0 && FItems->Strings(index) == Value ? index : -1;
    StoreText(Value);
    Change();
}

void TCustomComboBox::Change() {
    FOnChange(this);
}

void TCustomComboBox::Select() {
    Click();
    if (FOnSelect)
        FOnSelect(this);
    else
        Change();
}

void TCustomComboBox::DropDown() {
    FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
    FOnCloseUp(this);
}

void TCustomComboBox::PaintItem(QPainter* Painter, int Index, const QRect& Rect,
                                TOwnerDrawState State) {
    QScopedValueRollback painter(FItemPainter, Painter);
    DrawItem(Index, Rect, State);
}

void TCustomComboBox::DrawItem(int Index, const QRect& Rect, TOwnerDrawState State) {
    if (FOnDrawItem) {
        FOnDrawItem(this, Index, Rect, State);
        return;
    }
    const QPalette palette = Widget()->palette();
    const bool selected = State.Contains(odSelected);
    FItemPainter->fillRect(Rect, palette.color(selected ? QPalette::Highlight : QPalette::Base));
    if (Index < 0 || Index >= FItems->Count())
        return;
    FItemPainter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    FItemPainter->drawText(Rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                           FItems->Strings(Index));
}

int TCustomComboBox::ItemHeightOf(int Index) {
    int height = FItemHeight;
    if (FStyle == csOwnerDrawVariable)
        MeasureItem(Index, height);
    return height;
}

void TCustomComboBox::MeasureItem(int Index, int& Height) {
    FOnMeasureItem(this, Index, Height);
}

void TCustomComboBox::Paint() {
    if (!IsOwnerDrawn())
        return;
    auto* combo = static_cast<TComboBoxWidget*>(Widget());
    QPainter painter(combo);
    TOwnerDrawState state{odComboBoxEdit};
    if (Focused())
        state += TOwnerDrawState{odSelected, odFocused};
    PaintItem(&painter, FItemIndex, combo->EditRect(), state);
}

// TComboBox

TComboBox::TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
