#include "Unit2.h"

#include "DMod1.h"
#include "DemoDatabase.h"

#include <clone/KroClone.h>
#include <controls/KroContr.h>
#include <controls/KroPages.h>
#include <controls/KroPopup.h>
#include <dataset/KroSql.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <fields/KroListCombo.h>
#include <fields/KroLookCombo.h>
#include <filter/KroFilt.h>
#include <forms/DiAdv.h>
#include <grid/KroGrid.h>
#include <rich/KroRich.h>
#include <rtl/Font.h>
#include <ui/DBCtrls.h>
#include <ui/StdCtrls.h>

TFormPeople* FormPeople = nullptr;

namespace {

constexpr int UnboundLanguageKey = 99;
constexpr int RedLanguage = 2;
constexpr int YellowLanguage = 6;
constexpr TColor LightYellow = TColor(12648447);

} // namespace

TFormPeople::TFormPeople(TComponent* AOwner) : TFormBase(AOwner, TInherited{}) {
    Q_INIT_RESOURCE(DemoForms);
    InitForm();
}

TFormPeople::~TFormPeople() {
    if (FormPeople == this)
        FormPeople = nullptr;
}

void TFormPeople::FindComponents() {
    DataSource1 = FormComponent<TDataSource>(this, "DataSource1");
    DataSource2 = FormComponent<TDataSource>(this, "DataSource2");
    TabSheet1 = FormComponent<TKroTabSheet>(this, "TabSheet1");
    LookupLangName = FormComponent<TKroDBLookupCombo>(this, "LookupLangName");
    LookupLangKey = FormComponent<TKroDBLookupCombo>(this, "LookupLangKey");
    LookupLangCodeName = FormComponent<TKroDBLookupCombo>(this, "LookupLangCodeName");
    LookupCountryOfContinent = FormComponent<TKroDBLookupCombo>(this, "LookupCountryOfContinent");
    EditContinent = FormComponent<TKroDBEdit>(this, "EditContinent");
    LookupCountryLevels = FormComponent<TKroDBLookupCombo>(this, "LookupCountryLevels");
    LookupProfession = FormComponent<TKroDBLookupCombo>(this, "LookupProfession");
    LookupUnbound = FormComponent<TKroDBLookupCombo>(this, "LookupUnbound");
    TextLangName = FormComponent<TKroDBText>(this, "TextLangName");
    KroTabSExtracts = FormComponent<TKroTabSheet>(this, "KroTabSExtracts");
    GridMaster = FormComponent<TKroDbGrid>(this, "GridMaster");
    GridDetail = FormComponent<TKroDbGrid>(this, "GridDetail");
    KroTabSForms = FormComponent<TKroTabSheet>(this, "KroTabSForms");
    FormsLangCombo = FormComponent<TKroDBLookupCombo>(this, "FormsLangCombo");
    FormsCountryCombo = FormComponent<TKroDBLookupCombo>(this, "FormsCountryCombo");
    GridForms = FormComponent<TKroDbGrid>(this, "GridForms");
    KroTabSList = FormComponent<TKroTabSheet>(this, "KroTabSList");
    ComboSex = FormComponent<TKroDBCombo>(this, "ComboSex");
    GridList = FormComponent<TKroDbGrid>(this, "GridList");
    KroTabSPopup = FormComponent<TKroTabSheet>(this, "KroTabSPopup");
    EditName = FormComponent<TKroDBEdit>(this, "EditName");
    MemoInfo = FormComponent<TDBMemo>(this, "MemoInfo");
    RichEdit = FormComponent<TKroDBRichEdit>(this, "RichEdit");
    ImagePhoto = FormComponent<TDBImage>(this, "ImagePhoto");
    KroTabSDesign = FormComponent<TKroTabSheet>(this, "KroTabSDesign");
    KroTabSheet1 = FormComponent<TKroTabSheet>(this, "KroTabSheet1");
    Button1 = FormComponent<TButton>(this, "Button1");
    GridClonePeople = FormComponent<TKroDbGrid>(this, "GridClonePeople");
    GridCloneJobs = FormComponent<TKroDbGrid>(this, "GridCloneJobs");
    KroRecordCloner1 = FormComponent<TKroRecordCloner>(this, "KroRecordCloner1");
}

void TFormPeople::FormCreate(TObject* Sender) {
    FindComponents();
    TFormBase::FormCreate(Sender);
    FormPeople = this;
    // The jobs follow the person shown here; the data module is made before this form.
    if (DM1 && !DM1->TbJob->MasterSource())
        DM1->TbJob->SetMasterSource(DataSource1);
    LookupUnbound->SetKeyValue(UnboundLanguageKey);
    MemoInfo->SetPopupMenu(PopupMenuKroDBMemo());
    ImagePhoto->SetPopupMenu(PopupMenuKroDBImage());
}

void TFormPeople::FormActivate(TObject* Sender) {
    TFormBase::FormActivate(Sender);
    ShowPeopleCount(PeopleCountedBySql());
}

void TFormPeople::CountPeople() {
    // The people table, filtered or not, is counted by the engine as its grid counts it and
    // keeps the count across its own posts and deletes; an extract query in its place is
    // counted by the statement.
    TDataSet* shown = DataSource1->DataSet();
    ShowPeopleCount(DM1 && shown == DM1->TbPeople && shown->Active() ? Variant(shown->RecordCount())
                                                                     : PeopleCountedBySql());
}

Variant TFormPeople::PeopleCountedBySql() const {
    QString sql = QStringLiteral("Select Count(*) from People.db EFilter");
    if (const int mode = EFilter->FilterMode(); mode != 0) {
        if (const QString where = EFilter->BuildQueryWhere(mode); !where.isEmpty())
            sql += QStringLiteral(" where ") + where;
    }
    return GetFromSQLText(DemoAlias, sql, false);
}

void TFormPeople::ShowPeopleCount(const Variant& Count) {
    KroDbGrid->SetTotalText(QStringLiteral("Name"),
                            Count.isValid()
                                ? QStringLiteral("Count: ") + QString::number(Count.toLongLong())
                                : QString());
}

void TFormPeople::SBFilterEditClick(TObject* Sender) {
    TFormBase::SBFilterEditClick(Sender);
    CountPeople();
}

void TFormPeople::ComboBoxFilterListChange(TObject* Sender) {
    TFormBase::ComboBoxFilterListChange(Sender);
    CountPeople();
}

void TFormPeople::SBFilterSetClick(TObject* Sender) {
    TFormBase::SBFilterSetClick(Sender);
    CountPeople();
}

void TFormPeople::SBFilterExternalSetClick(TObject* Sender) {
    TFormBase::SBFilterExternalSetClick(Sender);
    CountPeople();
}

void TFormPeople::SBFilterNoneClick(TObject* Sender) {
    TFormBase::SBFilterNoneClick(Sender);
    CountPeople();
}

Variant TFormPeople::PersonLanguage(TField* Field, const QString& Column) const {
    const TField* language = Field->DataSet()->FindField(QStringLiteral("Lang"));
    if (!language || language->IsNull() || !DM1 || !DM1->QLang->Active())
        return {};
    return DM1->QLang->Lookup(QStringLiteral("Id"), language->AsVariant(), Column);
}

void TFormPeople::KroDbGridSetColor(TObject*, TField* Field, TColor& Color) {
    if (Field->FieldName() != QLatin1String("Pasport"))
        return;
    const Variant id = PersonLanguage(Field, QStringLiteral("Id"));
    if (id.isValid() && id.toInt() == YellowLanguage)
        Color = LightYellow;
}

void TFormPeople::KroDbGridSetFont(TObject*, TField* Field, TFont* Font) {
    if (Field->FieldName() != QLatin1String("Pasport"))
        return;
    const Variant found = PersonLanguage(Field, QStringLiteral("Id;Font"));
    if (!found.isValid())
        return;
    const QVariantList values = found.toList();
    Font->SetName(values.value(1).toString());
    if (values.value(0).toInt() == RedLanguage)
        Font->SetColor(clRed);
}

void TFormPeople::LangComboDropDown(TObject* Sender) {
    ++FDropDownCount;
    if (auto* combo = qobject_cast<TControl*>(Sender))
        combo->SetHint(QStringLiteral("You open this list %1 time").arg(FDropDownCount));
}

void TFormPeople::LangComboEditData(TObject*, TTypeShow TypeShow, TFieldReturn* FieldReturn) {
    ShowFormDB<TFormBase>(DM1->TbLang, TypeShow, FieldReturn);
}

void TFormPeople::Button1Click(TObject*) {
    KroRecordCloner1->Clone();
}

void TFormPeople::KroRecordCloner1CloneDataSet(TDataSet* DataSet) {
    const Variant next =
        GetFromSQLText(DemoAlias, QStringLiteral("Select Max(id)+1 from people.db"), false);
    DataSet->FieldByName(QStringLiteral("id"))->SetAsVariant(next.isValid() ? next : Variant(1));
}

void TFormPeople::KroRecordCloner1CloneSubDataSet(TDataSet* DataSet) {
    DataSet->FieldByName(QStringLiteral("People"))
        ->SetAsVariant(DataSource1->DataSet()->FieldByName(QStringLiteral("id"))->AsVariant());
}

void TFormPeople::PageControl1Change(TObject* Sender) {
    if (PageControl1->ActivePage() == KroTabSheet1 && EFilter->FilterMode() != 0)
        SBFilterNoneClick(Sender);
}
