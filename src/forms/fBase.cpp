#include "fBase.h"

#include "DiAdv.h"
#include "ToolGlyphs.h"

#include <QFontMetrics>
#include <controls/KroContr.h>
#include <controls/KroPages.h>
#include <controls/KroSort.h>
#include <db/DataSet.h>
#include <db/Fields.h>
#include <filter/KroFilt.h>
#include <grid/KroGrid.h>
#include <rtl/Font.h>
#include <search/KroFind.h>
#include <ui/Buttons.h>
#include <ui/DBCtrls.h>
#include <ui/Dialogs.h>
#include <ui/ExtCtrls.h>
#include <ui/Menus.h>
#include <ui/StdCtrls.h>

namespace {

constexpr int FilterPanelHeight = 28;

} // namespace

TFormBase::TFormBase(TComponent* AOwner) : TFormDB(AOwner, TInherited{}) {
    Q_INIT_RESOURCE(Forms);
    InitForm();
}

TFormBase::TFormBase(TComponent* AOwner, TInherited) : TFormDB(AOwner, TInherited{}) {
    Q_INIT_RESOURCE(Forms);
}

void TFormBase::Loaded() {
    TFormDB::Loaded();
    Panel1 = FormComponent<TPanel>(this, "Panel1");
    SpeedButton1 = FormComponent<TSpeedButton>(this, "SpeedButton1");
    SBFilterPanel = FormComponent<TSpeedButton>(this, "SBFilterPanel");
    SpeedButtonTools = FormComponent<TSpeedButton>(this, "SpeedButtonTools");
    DBNav = FormComponent<TDBNavigator>(this, "DBNav");
    DBSortingCombo = FormComponent<TKroDBSortingCombo>(this, "DBSortingCombo");
    BitBtnOk = FormComponent<TBitBtn>(this, "BitBtnOk");
    PageControl1 = FormComponent<TKroPageControl>(this, "PageControl1");
    TabSGrid = FormComponent<TKroTabSheet>(this, "TabSGrid");
    KroDbGrid = FormComponent<TKroDbGrid>(this, "KroDbGrid");
    FilterPanel = FormComponent<TPanel>(this, "FilterPanel");
    SBFilterExternalSet = FormComponent<TSpeedButton>(this, "SBFilterExternalSet");
    SBFilterNone = FormComponent<TSpeedButton>(this, "SBFilterNone");
    SBFilterEdit = FormComponent<TSpeedButton>(this, "SBFilterEdit");
    SBFilterSet = FormComponent<TSpeedButton>(this, "SBFilterSet");
    ComboBoxFilterList = FormComponent<TComboBox>(this, "ComboBoxFilterList");
    FindDlg = FormComponent<TKroFindDlg>(this, "FindDlg");
    EFilter = FormComponent<TKroFilter>(this, "EFilter");
    PopupMenuTools = FormComponent<TPopupMenu>(this, "PopupMenuTools");
    ItemRefresh = FormComponent<TMenuItem>(this, "ItemRefresh");
    ItemPrinterSetup = FormComponent<TMenuItem>(this, "ItemPrinterSetup");
}

void TFormBase::FormCreate(TObject*) {
    SetNavigatorHints(DBNav);
    SetToolGlyphs({{SpeedButton1, tgSearch},
                   {SBFilterPanel, tgFilterPanel},
                   {SpeedButtonTools, tgTools},
                   {SBFilterExternalSet, tgFilterBasic},
                   {SBFilterNone, tgFilterOff},
                   {SBFilterEdit, tgFilterEdit},
                   {SBFilterSet, tgFilterOn}});
    if (PageControl1->ActivePage() == TabSGrid)
        SetActiveControl(KroDbGrid);
}

void TFormBase::FormActivate(TObject*) {
    BitBtnOk->SetVisible(Modal() && FieldReturn());
    if (Options().Contains(foDataReadOnly)) {
        DBNav->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbRefresh});
        KroDbGrid->SetOptions(KroDbGrid->Options() - TDBGridOptions{dgEditing});
    }
    UpdateFilterControls();
}

void TFormBase::SpeedButton1Click(TObject*) {
    FindDlg->Execute();
}

bool TFormBase::HasVisibleBlob() const {
    const TDataSet* dataSet = DataSet();
    for (int i = 0; dataSet && i < dataSet->FieldCount(); ++i) {
        const TField* field = dataSet->Fields()->Fields(i);
        if (qobject_cast<const TBlobField*>(field) && field->Tag() != 8)
            return true;
    }
    return false;
}

void TFormBase::AdjustFormWidth() {
    if (!DataSet())
        return;
    const bool hasBlob = HasVisibleBlob();
    bool fitted = true;
    if (Options().Contains(foAutoWidth)) {
        const int charWidth =
            QFontMetrics(KroDbGrid->Font()->ToQFont()).horizontalAdvance(QLatin1Char('0'));
        fitted = WidenForFields(charWidth, 45, KroDbGrid->TitleRows() <= 0);
    }
    if (FRecordPage)
        return;
    if (((!fitted || hasBlob) && PageControl1->PageCount() == 1) ||
        Options().Contains(foPageOneRecord))
        CreateRecordPage();
}

void TFormBase::CreateRecordPage() {
    TabSGrid->SetTabVisible(true);
    FRecordPage = new TKroTabSheet(this);
    FRecordPage->SetCaption(QStringLiteral("Record"));
    FRecordPage->SetPageControl(PageControl1);
    // The controls are laid out for the page control's width; the page, not shown yet, has
    // no size of its own.
    FRecordBox = new TScrollBox(this);
    FRecordBox->SetBounds(0, 0, PageControl1->Width() - 8, PageControl1->Height());
    FRecordBox->SetParent(FRecordPage);
    TDataSet* dataSet = DataSet();
    if (!dataSet->CanModify())
        FRecordBox->Font()->SetStyle(FRecordBox->Font()->Style() + TFontStyles{fsBold});
    int fields = 0;
    for (int i = 0; i < dataSet->FieldCount(); ++i)
        fields += dataSet->Fields()->Fields(i)->Tag() != 8;
    // A few fields stand one below the other; more follow one another.
    BuildControls(FRecordBox, DataSource(), nullptr, TColor(0), fields <= 5, false);
    FRecordBox->SetAlign(alClient);
}

void TFormBase::UpdateFilterControls() {
    TStrings* names = ComboBoxFilterList->Items();
    names->BeginUpdate();
    names->Clear();
    for (int i = 0; i < EFilter->FilterCount(); ++i)
        names->Add(EFilter->Filters(i)->Name);
    names->EndUpdate();
    ComboBoxFilterList->SetItemIndex(EFilter->CurrentFilter());
    QString hint = QStringLiteral("List of filters");
    if (const TFilterItem* current = EFilter->Current())
        hint += QStringLiteral("\nCurrent filter: ") + current->Name;
    ComboBoxFilterList->SetHint(hint);
    SBFilterSet->SetEnabled(EFilter->HasFilters());
    ComboBoxFilterList->SetEnabled(EFilter->HasFilters());
    SBFilterExternalSet->SetEnabled(EFilter->HasExternalInfo());
    switch (EFilter->FilterMode()) {
    case 1:
        SBFilterSet->SetDown(true);
        break;
    case 2:
        SBFilterExternalSet->SetDown(true);
        break;
    default:
        SBFilterNone->SetDown(true);
        break;
    }
}

void TFormBase::RunFilterCommand(const std::function<void()>& Command) {
    try {
        Command();
    } catch (...) {
        UpdateFilterControls();
        throw;
    }
    UpdateFilterControls();
}

void TFormBase::SetFilterMode(int Mode) {
    RunFilterCommand([&] {
        if (Mode == 0)
            EFilter->SwitchOff();
        else
            EFilter->SetFilter(Mode);
    });
}

void TFormBase::SBFilterPanelClick(TObject*) {
    const bool show = SBFilterPanel->Down();
    if (show == FilterPanel->Visible())
        return;
    FilterPanel->SetHeight(FilterPanelHeight);
    FilterPanel->SetTop(Panel1->Top() + Panel1->Height());
    FilterPanel->SetVisible(show);
    if (Options().Contains(foPC1ChangeSize)) {
        LockUpdates();
        PageControl1->SetHeight(PageControl1->Height() +
                                (show ? -FilterPanelHeight : FilterPanelHeight));
        UnlockUpdates();
    }
}

void TFormBase::SBFilterEditClick(TObject*) {
    RunFilterCommand([this] { EFilter->EditFilters(); });
}

void TFormBase::ComboBoxFilterListChange(TObject*) {
    RunFilterCommand([this] { EFilter->SetCurrentFilter(ComboBoxFilterList->ItemIndex()); });
}

void TFormBase::SBFilterSetClick(TObject*) {
    SetFilterMode(1);
}

void TFormBase::SBFilterExternalSetClick(TObject*) {
    SetFilterMode(2);
}

void TFormBase::SBFilterNoneClick(TObject*) {
    SetFilterMode(0);
}

void TFormBase::SpeedButtonToolsClick(TObject*) {
    const QPoint corner = SpeedButtonTools->ClientToScreen(QPoint(0, SpeedButtonTools->Height()));
    PopupMenuTools->Popup(corner.x(), corner.y());
}

void TFormBase::ItemRefreshClick(TObject*) {
    RefreshFormDataSets(this, true);
}

void TFormBase::ItemPrinterSetupClick(TObject*) {
    TPrinterSetupDialog dialog;
    dialog.Execute();
}

void TFormBase::DBSortingComboKeyDown(TObject* Sender, quint16& Key, TShiftState) {
    EnterAsTab(Sender, Key);
}

void ShowDataSetInFormBase(TDataSet* DataSet) {
    ShowFormDB<TFormBase>(DataSet, tsCreate);
    ShowFormDB<TFormBase>(DataSet, DataSet->Active() ? tsSelect : tsShow);
}
