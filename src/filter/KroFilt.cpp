#include "KroFilt.h"

#include "Filter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QtEndian>
#include <dataset/DatasetClasses.h>
#include <dataset/KroOther.h>
#include <dataset/KroTable.h>
#include <db/Fields.h>
#include <forms/DiAdv.h>
#include <rtl/ClassRegistry.h>
#include <rtl/CodePage.h>
#include <rtl/DataPaths.h>
#include <rtl/TypeInfo.h>
#include <rtl/VariantRecord.h>

TFilterDialogProc FilterDialogHook = nullptr;
TFilterFileProc FilterLoadHook = nullptr;
TFilterFileProc FilterSaveHook = nullptr;

void RegisterFilterClasses() {
    RegisterDatasetClasses();
    RegisterClass<TKroFilter>();
    FilterDialogHook = ExecuteFilterDialog;
}

QString DefaultFilterDirectory() {
    return UserDataDirectory() + QStringLiteral("/filters");
}

// ---- Filters and their datasets -----------------------------------------------------------

TDataSetItem* TFilterItem::FindDataSetItem(const QString& TableName) const {
    for (TDataSetItem* item : DataSets)
        if (item->Name.compare(TableName, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

TDataSetItem* TFilterItem::DataSetItem(const QString& TableName) {
    if (TDataSetItem* item = FindDataSetItem(TableName))
        return item;
    auto* item = new TDataSetItem;
    item->Name = TableName;
    DataSets.Add(item);
    return item;
}

QString TKroFilterDataSetColItem::EffectiveCaption() const {
    if (!FCaption.isEmpty())
        return FCaption;
    if (const QString caption = GetStrPropByName(DataSet(), QStringLiteral("Caption"));
        !caption.isEmpty())
        return caption;
    return EffectiveTableName();
}

QString TKroFilterDataSetColItem::EffectiveTableName() const {
    return FTableName.isEmpty() ? GetStrPropByName(DataSet(), QStringLiteral("TableName"))
                                : FTableName;
}

void TFilterDataLink::ActiveChanged() {
    FFilter->DataSetChanged();
}

void TFilterDataLink::LayoutChanged() {
    FFilter->DataSetChanged();
}

// ---- Texts ----------------------------------------------------------------------------------

namespace {

QString Quoted(const QString& Text) {
    return QLatin1Char('\'') + QString(Text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

bool IsBlankOrParenthesis(QChar C) {
    return C == QLatin1Char(' ') || C == QLatin1Char('(') || C == QLatin1Char(')');
}

// Translates a link expression: the words "OR", "AND" and "NOT" (in any case), where they
// stand alone outside quoted values, become Words[0..2]; a reference "#N" becomes
// Reference("N") ("" for a bare "#"); everything else is copied.
QString TranslateLink(const QString& Link, const std::array<QString, 3>& Words,
                      const std::function<QString(const QString& Digits)>& Reference) {
    static const std::array<QString, 3> keywords = {FilterTextOr, FilterTextAnd, FilterTextNot};
    QString result;
    bool inQuotes = false;
    bool afterReference = false;
    const qsizetype n = Link.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = Link[i];
        if (c == QLatin1Char('\'')) {
            inQuotes = !inQuotes;
            result += c;
            ++i;
            afterReference = false;
            continue;
        }
        if (!inQuotes && QStringView(Link).mid(i).startsWith(FilterTextReference)) {
            qsizetype end = i + FilterTextReference.size();
            while (end < n && Link[end].isDigit())
                ++end;
            const qsizetype digits = i + FilterTextReference.size();
            result += Reference(Link.mid(digits, end - digits));
            i = end;
            afterReference = true;
            continue;
        }
        bool replaced = false;
        if (!inQuotes && (i == 0 || IsBlankOrParenthesis(Link[i - 1]) || afterReference)) {
            for (size_t w = 0; w < keywords.size() && !replaced; ++w) {
                const qsizetype end = i + keywords[w].size();
                if (QStringView(Link)
                            .mid(i, keywords[w].size())
                            .compare(keywords[w], Qt::CaseInsensitive) != 0 ||
                    !(end == n || IsBlankOrParenthesis(Link[end]) ||
                      QStringView(Link).mid(end).startsWith(FilterTextReference)))
                    continue;
                result += Words[w];
                i = end;
                replaced = true;
            }
        }
        afterReference = false;
        if (!replaced) {
            result += c;
            ++i;
        }
    }
    return result;
}

// The condition a reference names, 0-based; raises for a bare "#" or a number outside the
// filter's conditions.
int ReferencedCondition(const QString& Digits, int Count) {
    bool ok = false;
    const int number = Digits.toInt(&ok);
    if (!ok)
        throw EConvertError(
            QStringLiteral("\"%1\" is not a condition number").arg(FilterTextReference + Digits));
    if (number < 1 || number > Count)
        throw EConvertError(
            QStringLiteral("There is no condition %1").arg(FilterTextReference + Digits));
    return number - 1;
}

// Text split at each "|" outside single quotes, the parts trimmed.
QStringList SplitGroups(const QString& Text) {
    QStringList groups;
    QString group;
    bool inQuotes = false;
    for (const QChar c : Text) {
        if (c == QLatin1Char('\''))
            inQuotes = !inQuotes;
        if (c == QLatin1Char('|') && !inQuotes) {
            groups << group.trimmed();
            group.clear();
        } else {
            group += c;
        }
    }
    groups << group.trimmed();
    return groups;
}

QString DateText(const QDateTime& DateTime, bool DateOnly) {
    return DateTime.toString(DateOnly ? QStringLiteral("yyyy-MM-dd")
                                      : QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

TStrings* SqlOf(TDataSet* DataSet) {
    const QString sql = QStringLiteral("SQL");
    return PropIsType(DataSet, sql, tkClass) ? qobject_cast<TStrings*>(GetObjectProp(DataSet, sql))
                                             : nullptr;
}

// The key values of the current record, or Null for an empty or closed dataset.
Variant CurrentKey(TDataSet* DataSet, const QString& KeyFields) {
    if (!DataSet->Active() || DataSet->IsEmpty() || KeyFields.isEmpty())
        return Null();
    return DataSet->FieldValues(KeyFields);
}

// Sets the flag for the life of the scope.
class TBusyScope {
public:
    explicit TBusyScope(bool& Flag) : FFlag(Flag), FWas(Flag) { Flag = true; }
    ~TBusyScope() { FFlag = FWas; }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    bool& FFlag;
    bool FWas;
};

} // namespace

QString TKroFilter::FieldNameText(const QString& Name, bool ForSql) const {
    return ForSql && FFieldNameKind == fnQuotes ? QStringLiteral("\"%1\"").arg(Name) : Name;
}

QString TKroFilter::ValueText(TField* Field, const Variant& Value) const {
    if (qobject_cast<TDateTimeField*>(Field)) {
        const QDateTime dateTime = qobject_cast<TTimeField*>(Field)
                                       ? QDateTime(QDate(1899, 12, 30), Value.toTime())
                                       : VarToDateTime(Value);
        QString text = qobject_cast<TTimeField*>(Field)
                           ? dateTime.time().toString(QStringLiteral("HH:mm:ss.zzz"))
                           : DateText(dateTime, qobject_cast<TDateField*>(Field) != nullptr);
        switch (FDateFieldKind) {
        case dfNoQuotes:
            return text;
        case dfQuotes:
            return Quoted(text);
        case dfBraces:
            return QLatin1Char('{') + text + QLatin1Char('}');
        }
    }
    if (qobject_cast<TFloatField*>(Field))
        return QString::number(VarToFloat(Value), 'g', QLocale::FloatingPointShortest);
    if (qobject_cast<TIntegerField*>(Field) || qobject_cast<TLargeintField*>(Field))
        return QString::number(VarToInt(Value));
    return Quoted(VarToStr(Value));
}

QString TKroFilter::LikeText(const QString& Field, QString Value) const {
    if (Value.isEmpty())
        return Field + QStringLiteral(" Like '%'");
    if (!Value.contains(QLatin1Char('%')) && !Value.contains(QLatin1Char('_'))) {
        if (Value.size() >= 2 && Value.startsWith(QLatin1Char('\'')) &&
            Value.endsWith(QLatin1Char('\'')))
            Value = QStringLiteral("'%") + Value.mid(1, Value.size() - 2) + QStringLiteral("%'");
        else
            Value = QLatin1Char('%') + Value + QLatin1Char('%');
    }
    switch (FLikeKind) {
    case lkToUpper:
        return QStringLiteral("Upper(%1) Like Upper(%2)").arg(Field, Value);
    case lkAsAaBbCc: {
        QString classes;
        for (const QChar c : std::as_const(Value)) {
            const QString upper = QString(c).toUpper(), lower = QString(c).toLower();
            classes +=
                upper != lower ? QLatin1Char('[') + upper + lower + QLatin1Char(']') : QString(c);
        }
        return Field + QStringLiteral(" Like ") + classes;
    }
    case lkNormal:
        break;
    }
    return Field + QStringLiteral(" Like ") + Value;
}

QString TKroFilter::BuildConditionText(int DataSetIndex, int ConditionIndex, bool ForSql) {
    const TFilterItem* filter = Current();
    if (!filter || ConditionIndex < 0 || ConditionIndex >= filter->Conditions.Count() ||
        ConditionDataSet(ConditionIndex) != DataSetIndex)
        return {};
    TDataSet* dataSet = DataSetOf(DataSetIndex);
    const TConditionItem* condition = filter->Conditions[ConditionIndex];
    TField* field = dataSet ? dataSet->FindField(condition->FieldName) : nullptr;
    if (!field)
        return {};
    const QString name = FieldNameText(condition->FieldName, ForSql);
    const QString& operation = condition->Operation;
    QString text;
    if (VarIsNull(condition->Value)) {
        const bool equal = operation == QLatin1String("=");
        text = name +
               (ForSql ? (equal ? QStringLiteral(" is ") : QStringLiteral(" is not "))
                       : (equal ? QStringLiteral("=") : QStringLiteral("<>"))) +
               QStringLiteral("Null");
    } else if (operation == FilterLikeOperation) {
        FLikeUsed = true;
        text = LikeText(name, ValueText(field, condition->Value));
    } else if (qobject_cast<TBooleanField*>(field) && ForSql) {
        // The engines compare logical columns with TRUE and FALSE, not with text.
        text = name + operation +
               (VarToBool(condition->Value) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    } else {
        text = name + operation + ValueText(field, condition->Value);
    }
    text = QLatin1Char('(') + text + QLatin1Char(')');
    FOnConstructCondition(this, text, field, operation, condition->Value);
    if (!text.isEmpty() && !(text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))))
        text = QLatin1Char('(') + text + QLatin1Char(')');
    return text;
}

QString TKroFilter::BuildDataSetFilterText(int DataSetIndex, bool ForSql, int Mode) {
    QString text;
    const TFilterItem* filter = Current();
    if (Mode == 1 && filter) {
        const QString link = LinkText(DataSetIndex);
        if (filter->AndForAll || link.isEmpty()) {
            QStringList parts;
            for (int i = 0; i < filter->Conditions.Count(); ++i)
                if (QString part = BuildConditionText(DataSetIndex, i, ForSql); !part.isEmpty())
                    parts << part;
            text = parts.join(QStringLiteral(" and "));
        } else {
            const int count = filter->Conditions.Count();
            text = TranslateLink(
                link, {QStringLiteral("or"), QStringLiteral("and"), QStringLiteral("not")},
                [&](const QString& Digits) {
                    return BuildConditionText(DataSetIndex, ReferencedCondition(Digits, count),
                                              ForSql);
                });
        }
    }
    const QString basic = DataSetIndex == 0 ? FExternalInfo
                          : DataSetIndex <= FSubDataSets->Count()
                              ? FSubDataSets->Items(DataSetIndex - 1)->ExternalInfo()
                              : QString();
    if (!basic.isEmpty())
        text = text.isEmpty() ? basic : QStringLiteral("(%1) and (%2)").arg(basic, text);
    if (TDataSet* dataSet = DataSetOf(DataSetIndex))
        FOnConstructFilter(this, text, dataSet);
    return text;
}

QString TKroFilter::ConditionDescription(int ConditionIndex) const {
    const TConditionItem* condition = Current()->Conditions[ConditionIndex];
    const int dataSetIndex = ConditionDataSet(ConditionIndex);
    TDataSet* dataSet = DataSetOf(dataSetIndex);
    TField* field = dataSet ? dataSet->FindField(condition->LookupFieldName.isEmpty()
                                                     ? condition->FieldName
                                                     : condition->LookupFieldName)
                            : nullptr;
    const QString name = field ? field->DisplayName() : condition->FieldName;
    QString value;
    if (VarIsNull(condition->Value))
        value = FilterTextNull;
    else if (qobject_cast<TDateTimeField*>(field) ||
             (!field && condition->Value.metaType().id() == QMetaType::QDate))
        value = QStringLiteral("'%1'").arg(
            DateText(VarToDateTime(condition->Value),
                     !qobject_cast<TDateTimeField*>(field) || qobject_cast<TDateField*>(field)));
    else if (VarIsNumeric(condition->Value))
        value = QString::number(VarToFloat(condition->Value), 'g', QLocale::FloatingPointShortest);
    else
        value = QStringLiteral("'%1'").arg(VarToStr(condition->Value));
    return QLatin1Char('(') + name + condition->Operation + value + QLatin1Char(')');
}

QString TKroFilter::FilterDescription(int DataSetIndex) const {
    const TFilterItem* filter = Current();
    if (!filter)
        return {};
    const QString link = LinkText(DataSetIndex);
    const int count = filter->Conditions.Count();
    if (!filter->AndForAll && !link.isEmpty())
        return TranslateLink(
            link, {FilterTextOr, FilterTextAnd, FilterTextNot}, [&](const QString& Digits) {
                bool ok = false;
                const int number = Digits.toInt(&ok);
                return ok && number >= 1 && number <= count ? ConditionDescription(number - 1)
                                                            : FilterTextReference + Digits;
            });
    QStringList parts;
    for (int i = 0; i < count; ++i)
        if (ConditionDataSet(i) == DataSetIndex)
            parts << ConditionDescription(i);
    return parts.join(QLatin1Char(' ') + FilterTextAnd + QLatin1Char(' '));
}

QString TKroFilter::JoinOf(TDataSet* Detail) const {
    const QStringList master =
        SplitFieldNames(GetStrPropByName(Detail, QStringLiteral("MasterFields")));
    const QStringList index =
        SplitFieldNames(GetStrPropByName(Detail, QStringLiteral("IndexFieldNames")));
    QStringList parts;
    for (qsizetype i = 0; i < master.size(); ++i) {
        if (i >= index.size())
            return {};
        parts << QStringLiteral("(EFilter.%1=%2)")
                     .arg(FieldNameText(master[i], true), FieldNameText(index[i], true));
    }
    return parts.join(QStringLiteral(" and "));
}

QString TKroFilter::DetailWhere(int Index, int Mode) {
    const QString text = BuildDataSetFilterText(Index, true, Mode);
    TDataSet* detail = DataSetOf(Index);
    if (text.isEmpty() || !detail)
        return {};
    QString join = JoinOf(detail);
    FOnDataSetLink(this, join, detail);
    if (join.isEmpty())
        return {};
    const QString table = QuoteTableName(DataSetTableName(Index));
    const bool forAll = ForAll(Index);
    QStringList parts;
    for (const QString& group : SplitGroups(text)) {
        if (group.isEmpty())
            continue;
        if (forAll)
            parts << QStringLiteral("Exists(select * from %1 where %2) and (Not Exists(select * "
                                    "from %1 where %2 and (not (%3))))")
                         .arg(table, join, group);
        else
            parts << QStringLiteral("Exists(select * from %1 where %2 and (%3))")
                         .arg(table, join, group);
    }
    return parts.join(QStringLiteral(" and "));
}

QString TKroFilter::BuildQueryWhere(int Mode) {
    QStringList parts;
    if (const QString main = BuildDataSetFilterText(0, true, Mode); !main.isEmpty())
        parts << QLatin1Char('(') + main + QLatin1Char(')');
    for (int i = 1; i <= FSubDataSets->Count(); ++i)
        if (const QString detail = DetailWhere(i, Mode); !detail.isEmpty())
            parts << detail;
    return parts.join(QStringLiteral(" and "));
}

QString TKroFilter::QuoteTableName(const QString& Name) const {
    switch (FTableNameKind) {
    case tnNoQuotes:
        return Name;
    case tnQuotesCreator:
        if (const qsizetype dot = Name.indexOf(QLatin1Char('.')); dot >= 0)
            return QStringLiteral("\"%1\".\"%2\"").arg(Name.left(dot), Name.mid(dot + 1));
        break;
    case tnQuotes:
        break;
    }
    return QStringLiteral("\"%1\"").arg(Name);
}

QString TKroFilter::BuildSelect(int Mode) {
    return SelectText(BuildQueryWhere(Mode));
}

QString TKroFilter::SelectText(const QString& Where) const {
    TDataSet* dataSet = MainDataSet();
    if (!dataSet)
        return {};
    QString sql = QStringLiteral("Select %1 from %2 EFilter")
                      .arg(GetFieldList(dataSet, true, true, FFieldNameKind == fnQuotes),
                           QuoteTableName(DataSetTableName(0)));
    if (!Where.isEmpty())
        sql += QStringLiteral(" Where ") + Where;
    if (const QString order = GetCurrentOrder(dataSet); !order.isEmpty())
        sql = BuildOrderBySQL(sql, order, FFieldNameKind == fnQuotes);
    return sql;
}

bool TKroFilter::NeedsQuery(int Mode) {
    if (DataSetTableName(0).isEmpty() || FFilterSetAs == fsFilter)
        return false;
    if (FFilterSetAs == fsQuery)
        return true;
    const TFilterItem* filter = Current();
    if (!filter)
        return false;
    for (int i = 1; i <= FSubDataSets->Count(); ++i)
        if (!BuildDataSetFilterText(i, true, Mode).isEmpty())
            return true;
    if (FFilterSetAs == fsQueryFilter && !FExternalInfo.isEmpty())
        return true;
    if (Mode == 2)
        return false;
    if (!filter->AndForAll && FFilterSetAs == fsQueryFilter && !LinkText(0).isEmpty())
        return true;
    FLikeUsed = false;
    BuildDataSetFilterText(0, true, Mode);
    return FLikeUsed;
}

// ---- The component ------------------------------------------------------------------------

TKroFilter::TKroFilter(TComponent* AOwner)
    : TComponent(AOwner), FSubDataSets(new TKroFilterDataSetCol(this)), FDataLink(this) {}

TKroFilter::~TKroFilter() {
    if (!ShowsQuery())
        RestoreDataSet();
    else
        ReturnFromQuery();
    ForgetSavedDataSet();
    FDataLink.SetDataSource(nullptr);
}

void TKroFilter::SetDataSource(TDataSource* Value) {
    if (Value == DataSource())
        return;
    if (DataSource()) {
        if (ShowsQuery())
            ReturnFromQuery();
        RestoreDataSet();
        ForgetSavedDataSet();
        FFilterMode = 0;
        DataSource()->RemoveFreeNotification(this);
    }
    FDataLink.SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
    DataSetChanged();
}

void TKroFilter::SetFilterSetAs(TFilterSetAs Value) {
    if (FFilterMode != 0) {
        ShowKroError(QStringLiteral("Can't change when filter used"), QString());
        return;
    }
    FFilterSetAs = Value;
}

void TKroFilter::SetOneFilter(bool Value) {
    FOneFilter = Value;
    if (!Value)
        return;
    if (FFilters.Count() == 0) {
        auto* filter = new TFilterItem;
        filter->Name = QStringLiteral("Filter #0");
        FFilters.Add(filter);
    }
    FCurrentFilter = FFilters.Count() - 1;
    while (FFilters.Count() > 1)
        FFilters.Delete(FFilters.Count() - 1);
    FCurrentFilter = 0;
}

void TKroFilter::SetQExtracts(TDataSet* Value) {
    if (Value && (Value == FSaved.DataSet || Value == FDataLink.DataSet())) {
        ShowKroError(QStringLiteral("Error: QExtracts mustn't equals DataSource.DataSet"),
                     QString());
        return;
    }
    if (FQExtracts)
        FQExtracts->RemoveFreeNotification(this);
    FQExtracts = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TKroFilter::SetWidthDataSetName(int Value) {
    FWidthDataSetName = Value >= 50 && Value <= 300 ? Value : 175;
}

void TKroFilter::SetWidthFieldName(int Value) {
    FWidthFieldName = Value >= 50 && Value <= 300 ? Value : 150;
}

void TKroFilter::DefineProperties(TFiler& Filer) {
    TComponent::DefineProperties(Filer);
    DefineCollectionProperty(Filer, QStringLiteral("SubDataSetData"), FSubDataSets);
}

void TKroFilter::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == DataSource())
        FDataLink.SetDataSource(nullptr);
    if (AComponent == FQExtracts) {
        if (DataSource() && DataSource()->DataSet() == FQExtracts && FSaved.DataSet) {
            TBusyScope busy(FBusy);
            DataSource()->SetDataSet(FSaved.DataSet);
        }
        FQExtracts = nullptr;
        FFilterMode = 0;
    }
    if (FSaved.DataSet && AComponent == FSaved.DataSet) {
        // A dataset being destroyed is not given its state back.
        FSaved = TSavedState();
        FFilterMode = 0;
        if (DataSource() && DataSource()->DataSet() == AComponent)
            DataSource()->SetDataSet(nullptr);
    }
    for (int i = FSubDataSets->Count() - 1; i >= 0; --i)
        if (FSubDataSets->Items(i)->Names(AComponent))
            FSubDataSets->Delete(i);
}

// ---- Datasets -----------------------------------------------------------------------------

TDataSet* TKroFilter::MainDataSet() const {
    if (FSaved.DataSet)
        return FSaved.DataSet;
    return FDataLink.DataSet();
}

bool TKroFilter::ShowsQuery() const {
    return FQExtracts && DataSource() && DataSource()->DataSet() == FQExtracts;
}

TDataSet* TKroFilter::DataSetOf(int Index) const {
    if (Index == 0)
        return MainDataSet();
    return Index > 0 && Index <= FSubDataSets->Count() ? FSubDataSets->Items(Index - 1)->DataSet()
                                                       : nullptr;
}

int TKroFilter::IndexOfDataSet(const TDataSet* DataSet) const {
    if (!DataSet)
        return -1;
    if (DataSet == MainDataSet())
        return 0;
    for (int i = 0; i < FSubDataSets->Count(); ++i)
        if (FSubDataSets->Items(i)->DataSet() == DataSet)
            return i + 1;
    return -1;
}

QString TKroFilter::DataSetCaption(int Index) const {
    if (Index > 0)
        return Index <= FSubDataSets->Count() ? FSubDataSets->Items(Index - 1)->EffectiveCaption()
                                              : QString();
    if (!FTableCaption.isEmpty())
        return FTableCaption;
    if (const QString caption = GetStrPropByName(MainDataSet(), QStringLiteral("Caption"));
        !caption.isEmpty())
        return caption;
    return DataSetTableName(0);
}

QString TKroFilter::DataSetTableName(int Index) const {
    if (Index > 0)
        return Index <= FSubDataSets->Count() ? FSubDataSets->Items(Index - 1)->EffectiveTableName()
                                              : QString();
    return FTableName.isEmpty() ? GetStrPropByName(MainDataSet(), QStringLiteral("TableName"))
                                : FTableName;
}

int TKroFilter::ConditionDataSet(int Index) const {
    const TFilterItem* filter = Current();
    if (!filter || Index < 0 || Index >= filter->Conditions.Count())
        return -1;
    const QString& name = filter->Conditions[Index]->DataSetName;
    if (name.isEmpty())
        return 0;
    for (int i = 0; i < FSubDataSets->Count(); ++i)
        if (FSubDataSets->Items(i)->EffectiveTableName().compare(name, Qt::CaseInsensitive) == 0)
            return i + 1;
    return -1;
}

bool TKroFilter::HasExternalInfo() const {
    if (!FExternalInfo.isEmpty())
        return true;
    for (int i = 0; i < FSubDataSets->Count(); ++i)
        if (!FSubDataSets->Items(i)->ExternalInfo().isEmpty())
            return true;
    return false;
}

QString TKroFilter::LinkText(int DataSetIndex) const {
    const TFilterItem* filter = Current();
    const TDataSetItem* item =
        filter ? filter->FindDataSetItem(DataSetIndex == 0 ? QString()
                                                           : DataSetTableName(DataSetIndex))
               : nullptr;
    return item ? item->LinkText : QString();
}

bool TKroFilter::ForAll(int DataSetIndex) const {
    const TFilterItem* filter = Current();
    const TDataSetItem* item = filter && DataSetIndex > 0
                                   ? filter->FindDataSetItem(DataSetTableName(DataSetIndex))
                                   : nullptr;
    return item && item->ForAll;
}

void TKroFilter::SetFromDialog(const QString& Name, bool AndForAll, const QStringList& LinkTexts,
                               const QString& ForAllFlags) {
    TFilterItem* filter = Current();
    if (!filter)
        return;
    filter->Name = Name;
    filter->AndForAll = AndForAll;
    for (int i = 0; i < LinkTexts.size() && i <= FSubDataSets->Count(); ++i)
        filter->DataSetItem(i == 0 ? QString() : DataSetTableName(i))->LinkText = LinkTexts[i];
    for (int i = 0; i < ForAllFlags.size() && i < FSubDataSets->Count(); ++i)
        filter->DataSetItem(DataSetTableName(i + 1))->ForAll = ForAllFlags[i] == QLatin1Char('0');
}

// ---- The filter list ----------------------------------------------------------------------

TFilterItem* TKroFilter::Current() const {
    return FCurrentFilter >= 0 && FCurrentFilter < FFilters.Count() ? FFilters[FCurrentFilter]
                                                                    : nullptr;
}

void TKroFilter::SetCurrentFilter(int Value) {
    if (Value < 0 || Value >= FFilters.Count())
        return;
    FCurrentFilter = Value;
    if (FFilterMode != 0)
        SetFilter(FFilterMode);
}

void TKroFilter::PriorFilter() {
    if (FFilters.Count() > 0)
        SetCurrentFilter(FCurrentFilter <= 0 ? FFilters.Count() - 1 : FCurrentFilter - 1);
}

void TKroFilter::NextFilter() {
    if (FFilters.Count() > 0)
        SetCurrentFilter(FCurrentFilter >= FFilters.Count() - 1 ? 0 : FCurrentFilter + 1);
}

bool TKroFilter::AddFilter() {
    if (FOneFilter && FFilters.Count() > 0)
        return false;
    int number = FFilters.Count();
    while (FindFilter(QStringLiteral("Filter #%1").arg(number)) >= 0)
        ++number;
    auto* filter = new TFilterItem;
    filter->Name = QStringLiteral("Filter #%1").arg(number);
    FCurrentFilter = FFilters.Add(filter);
    return true;
}

void TKroFilter::DeleteFilter() {
    if (!Current())
        return;
    FFilters.Delete(FCurrentFilter);
    FCurrentFilter = qMin(FCurrentFilter, FFilters.Count() - 1);
}

void TKroFilter::ClearFilters() {
    FFilters.Clear();
    FCurrentFilter = -1;
}

int TKroFilter::FindFilter(const QString& Name) const {
    for (int i = 0; i < FFilters.Count(); ++i)
        if (FFilters[i]->Name.compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TKroFilter::AddCondition() {
    if (TFilterItem* filter = Current())
        filter->Conditions.Add(new TConditionItem);
}

void TKroFilter::DeleteCondition(int Index) {
    TFilterItem* filter = Current();
    if (filter && Index >= 0 && Index < filter->Conditions.Count())
        filter->Conditions.Delete(Index);
}

// ---- Applying -----------------------------------------------------------------------------

void TKroFilter::SaveDataSet(TDataSet* DataSet) {
    FSaved.DataSet = DataSet;
    FSaved.Filter = DataSet->Filter();
    FSaved.Filtered = DataSet->Filtered();
    FSaved.OnFilterRecord = DataSet->OnFilterRecord();
    DataSet->FreeNotification(this);
}

void TKroFilter::ForgetSavedDataSet() {
    if (FSaved.DataSet && FSaved.DataSet != FQExtracts)
        FSaved.DataSet->RemoveFreeNotification(this);
    FSaved = TSavedState();
}

void TKroFilter::RestoreDataSet() {
    TDataSet* dataSet = FSaved.DataSet;
    if (!dataSet)
        return;
    const bool active = dataSet->Active() && !dataSet->IsEmpty();
    TBookmark bookmark = active ? dataSet->GetBookmark() : Null();
    dataSet->DisableControls();
    const auto enable = qScopeGuard([dataSet] { dataSet->EnableControls(); });
    dataSet->SetOnFilterRecord(FSaved.OnFilterRecord);
    if (!FSaved.Filtered)
        dataSet->SetFiltered(false);
    dataSet->SetFilter(FSaved.Filter);
    dataSet->SetFiltered(FSaved.Filtered);
    if (active && dataSet->BookmarkValid(bookmark))
        dataSet->GotoBookmark(bookmark);
}

void TKroFilter::ReturnFromQuery() {
    TDataSet* dataSet = FSaved.DataSet;
    TDataSet* query = FQExtracts;
    if (!dataSet || !query || !DataSource())
        return;
    if (query->Active() && dataSet->Active()) {
        const QString order = GetCurrentOrder(query);
        if (!order.isEmpty() && order.compare(GetCurrentOrder(dataSet), Qt::CaseInsensitive) != 0)
            SetOrderBy(dataSet, order, false, FFieldNameKind == fnQuotes);
        const QString key = GetUniqueFields(dataSet);
        if (const Variant values = CurrentKey(query, key); !VarIsNull(values))
            dataSet->Locate(key, values, {});
    }
    {
        TBusyScope busy(FBusy);
        DataSource()->SetDataSet(dataSet);
    }
    FDataSetSwitched = 1;
    query->Close();
}

void TKroFilter::ShowIncorrectFilter(const QString& Detail) {
    ShowKroError(QStringLiteral("Incorrect filter"), Detail);
}

void TKroFilter::SetFilter(int Mode) {
    FDataSetSwitched = 0;
    if (Mode == 0) {
        SwitchOff();
        return;
    }
    TBusyScope busy(FBusy);
    if (FOnSet) {
        FOnSet(this);
        FFilterMode = Mode;
        return;
    }
    if (!MainDataSet())
        return;
    if (!FSaved.DataSet)
        SaveDataSet(MainDataSet());
    bool query = false;
    try {
        query = NeedsQuery(Mode);
    } catch (const Exception& E) {
        ShowIncorrectFilter(QStringLiteral("Filter: ") + E.Message());
        SwitchOffAfterError();
        return;
    }
    if (query)
        ApplyAsQuery(Mode);
    else
        ApplyAsFilter(Mode);
}

void TKroFilter::ApplyAsFilter(int Mode) {
    TDataSet* dataSet = FSaved.DataSet;
    QString text;
    try {
        dataSet->DisableControls();
        const auto enable = qScopeGuard([dataSet] { dataSet->EnableControls(); });
        if (ShowsQuery())
            ReturnFromQuery();
        text = BuildDataSetFilterText(0, false, Mode);
        if (text.isEmpty()) {
            SwitchOffAfterError();
            return;
        }
        const bool keepOld = FSaved.Filtered && !FNotUseOldFilter;
        if (keepOld)
            text = AndConditions(FSaved.Filter, text);
        const bool active = dataSet->Active() && !dataSet->IsEmpty();
        const TBookmark bookmark = active ? dataSet->GetBookmark() : Null();
        dataSet->SetOnFilterRecord(keepOld ? FSaved.OnFilterRecord : TFilterRecordEvent());
        if (dataSet->Filter() != text || !dataSet->Filtered()) {
            dataSet->SetFilter(text);
            dataSet->SetFiltered(true);
        }
        if (active && dataSet->BookmarkValid(bookmark))
            dataSet->GotoBookmark(bookmark);
        FFilterMode = Mode;
    } catch (const Exception& E) {
        if (FFilterSetAs == fsTryFilter && !DataSetTableName(0).isEmpty()) {
            RestoreDataSet();
            ApplyAsQuery(Mode);
            return;
        }
        ShowIncorrectFilter(QStringLiteral("Filter: ") + (text.isEmpty() ? E.Message() : text));
        SwitchOffAfterError();
    }
}

TDataSet* TKroFilter::EnsureQuery() {
    if (!FQExtracts)
        FOnCreateQExtracts(this);
    if (FQExtracts)
        return FQExtracts;
    TDataSet* dataSet = MainDataSet();
    TDataSet* query = OtherQueryClass ? NewOtherQuery(this) : new TKroQuery(this);
    if (!query)
        return nullptr;
    for (const char* property : {"DatabaseName", "TableName", "UniqueFields", "Caption"}) {
        const QString name = QString::fromLatin1(property);
        const QString value = GetStrPropByName(dataSet, name);
        if (!value.isEmpty() || name != QLatin1String("DatabaseName"))
            SetStrPropByName(query, name, value);
    }
    query->SetTag(dataSet->Tag());
    const QString sortingList = QStringLiteral("SortingList");
    if (PropIsType(dataSet, sortingList, tkClass) && PropIsType(query, sortingList, tkClass))
        if (auto* lines = qobject_cast<TStrings*>(GetObjectProp(dataSet, sortingList)))
            if (auto* copy = qobject_cast<TStrings*>(GetObjectProp(query, sortingList)))
                copy->Assign(lines);
    CopyEventHandlers(dataSet, query);
    // Persistent fields (those the dataset does not own) are copied, so that calculated and
    // lookup fields and display settings show in the extract too.
    for (TField* field : *dataSet->Fields()) {
        if (field->Owner() == dataSet)
            continue;
        auto* copy = qobject_cast<TField*>(CloneComponent(field));
        if (!copy)
            continue;
        query->InsertComponent(copy);
        copy->SetDataSet(query);
    }
    SetQExtracts(query);
    return FQExtracts;
}

void TKroFilter::ApplyAsQuery(int Mode) {
    QString select;
    try {
        QString where = BuildQueryWhere(Mode);
        if (where.isEmpty()) {
            SwitchOffAfterError();
            return;
        }
        if (FSaved.Filtered && !FSaved.Filter.isEmpty() && !FNotUseOldFilter)
            where = QStringLiteral("(%1) and (%2)").arg(where, FSaved.Filter);
        select = SelectText(where);
        QString keyFields;
        Variant keptKey;
        if (ShowsQuery()) {
            keyFields = GetUniqueFields(FQExtracts);
            keptKey = CurrentKey(FQExtracts, keyFields);
        } else {
            FDataSetSwitched = 2;
        }
        TDataSet* query = EnsureQuery();
        if (!query) {
            ShowIncorrectFilter(QStringLiteral("Query for selection is equal to nil"));
            SwitchOffAfterError();
            return;
        }
        TStrings* sql = SqlOf(query);
        if (!sql) {
            ShowKroMessage(QStringLiteral("Property \"SQL\" is absent in the dataset ") +
                           query->Name());
            SwitchOffAfterError();
            return;
        }
        query->DisableControls();
        const auto enable = qScopeGuard([query] { query->EnableControls(); });
        query->Close();
        sql->Clear();
        sql->Add(select);
        query->Open();
        if (VarIsNull(keptKey)) {
            keyFields = GetUniqueFields(FSaved.DataSet);
            keptKey = CurrentKey(FSaved.DataSet, keyFields);
        }
        if (!VarIsNull(keptKey))
            query->Locate(keyFields, keptKey, {});
        if (!ShowsQuery()) {
            TBusyScope busy(FBusy);
            DataSource()->SetDataSet(query);
        }
        FFilterMode = Mode;
    } catch (const Exception& E) {
        ShowIncorrectFilter(select.isEmpty() ? QStringLiteral("Filter: ") + E.Message()
                                             : QStringLiteral("SQL: ") + select);
        SwitchOffAfterError();
    }
}

void TKroFilter::SwitchOffAfterError() {
    try {
        if (ShowsQuery()) {
            RestoreDataSet();
            ReturnFromQuery();
        } else {
            RestoreDataSet();
        }
    } catch (const Exception&) {
        // The error that led here is the one reported.
    }
    FFilterMode = 0;
}

void TKroFilter::SwitchOff() {
    if (FFilterMode == 0)
        return;
    TBusyScope busy(FBusy);
    if (FOnUnset) {
        FOnUnset(this);
    } else {
        RestoreDataSet();
        if (ShowsQuery())
            ReturnFromQuery();
    }
    FFilterMode = 0;
}

void TKroFilter::DataSetChanged() {
    if (FBusy)
        return;
    TDataSet* shown = FDataLink.DataSet();
    if (shown == FSaved.DataSet || (shown && shown == FQExtracts))
        return;
    RestoreDataSet();
    ForgetSavedDataSet();
    FFilterMode = 0;
    if (!shown)
        return;
    SaveDataSet(shown);
    try {
        LoadFilters();
    } catch (const Exception& E) {
        ShowKroError(E.Message(), GetFilterFileName(shown));
    }
}

void TKroFilter::EditFilters() {
    if (!MainDataSet()) {
        ClearFilters();
        return;
    }
    if (!FilterDialogHook)
        return;
    switch (FilterDialogHook(this, FWidthDataSetName, FWidthFieldName)) {
    case 1:
        SaveFilters();
        SetFilter(1);
        break;
    case 7:
        SaveFilters();
        SwitchOff();
        break;
    default:
        LoadFilters();
        break;
    }
}

// ---- The filter file ----------------------------------------------------------------------

QString TKroFilter::GetFilterFileName(TDataSet* DataSet) const {
    QString name =
        FTableName.isEmpty() ? GetStrPropByName(DataSet, QStringLiteral("TableName")) : FTableName;
    if (name.isEmpty() && DataSet)
        name = DataSet->Name();
    name.replace(QLatin1Char('.'), QLatin1Char('_'));
    return DefaultFilterDirectory() + QLatin1Char('/') + name + QStringLiteral(".flt");
}

void TKroFilter::LoadFilters() {
    if (FilterLoadHook) {
        FilterLoadHook(this);
        return;
    }
    if (TDataSet* dataSet = MainDataSet())
        LoadFiltersFrom(GetFilterFileName(dataSet));
}

void TKroFilter::SaveFilters() {
    if (FilterSaveHook) {
        FilterSaveHook(this);
        return;
    }
    if (TDataSet* dataSet = MainDataSet())
        SaveFiltersTo(GetFilterFileName(dataSet));
}

void TKroFilter::LoadFiltersFrom(const QString& FileName) {
    QFile file(FileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot read the filter file %1: %2")
                              .arg(file.fileName(), file.errorString()));
    LoadFromStream(file);
}

void TKroFilter::SaveFiltersTo(const QString& FileName) const {
    QDir().mkpath(QFileInfo(FileName).absolutePath());
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Cannot write the filter file %1: %2")
                              .arg(FileName, file.errorString()));
    SaveToStream(file);
    if (!file.commit())
        throw EInOutError(QStringLiteral("Cannot write the filter file %1: %2")
                              .arg(FileName, file.errorString()));
}

namespace {

// Writes the little-endian fields of a filter file.
class TFilterFileWriter {
public:
    void Byte(quint8 Value) { FData.append(char(Value)); }
    void Int16(qint16 Value) { Append(Value); }
    void Int32(qint32 Value) { Append(Value); }
    void Text(const QString& Value) {
        const QByteArray bytes = Value.toUtf8();
        if (bytes.size() > 0xFFFF)
            throw EInOutError(
                QStringLiteral("A text of %1 bytes does not fit a filter file").arg(bytes.size()));
        Append(quint16(bytes.size()));
        FData.append(bytes);
    }
    void Value(const Variant& Value) {
        if (VarIsStr(Value)) {
            Byte(1);
            Text(Value.toString());
            return;
        }
        Byte(0);
        Append(quint16(VariantRecordSize));
        FData.append(VariantToRecord(Value));
    }
    const QByteArray& Data() const { return FData; }

private:
    template <class T> void Append(T Value) {
        char bytes[sizeof(T)];
        qToLittleEndian<T>(Value, bytes);
        FData.append(bytes, sizeof(T));
    }

    QByteArray FData;
};

// Reads the fields of a filter file; any fault raises TFilterDataError.
class TFilterDataError {};

class TFilterFileReader {
public:
    explicit TFilterFileReader(QByteArray Data) : FData(std::move(Data)) {}

    quint8 Byte() { return quint8(*Take(1)); }
    qint16 Int16() { return qFromLittleEndian<qint16>(Take(2)); }
    qint32 Int32() { return qFromLittleEndian<qint32>(Take(4)); }
    // A count within 0..Maximum.
    int Count(int Maximum) {
        const qint32 count = Int32();
        if (count < 0 || count > Maximum)
            throw TFilterDataError();
        return count;
    }
    QString Text() {
        const int length = qFromLittleEndian<quint16>(Take(2));
        const QByteArray bytes(Take(length), length);
        // Written as UTF-8; files of the classic platform hold Windows-1252 text.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
        return TCodePage(1252).Decode(bytes);
    }
    Variant Value() {
        switch (Byte()) {
        case 1:
            return Text();
        case 0: {
            const int size = qFromLittleEndian<quint16>(Take(2));
            if (size != VariantRecordSize)
                throw TFilterDataError();
            try {
                return VariantFromRecord(QByteArray(Take(size), size));
            } catch (const EConvertError&) {
                throw TFilterDataError();
            }
        }
        default:
            throw TFilterDataError();
        }
    }
    bool AtEnd() const { return FPos == FData.size(); }

private:
    const char* Take(qsizetype Size) {
        if (Size > FData.size() - FPos)
            throw TFilterDataError();
        const char* data = FData.constData() + FPos;
        FPos += Size;
        return data;
    }

    QByteArray FData;
    qsizetype FPos = 0;
};

} // namespace

void TKroFilter::SaveToStream(QIODevice& Stream) const {
    TFilterFileWriter out;
    out.Text(MainDataSet() ? GetFilterFileName(MainDataSet()) : QString());
    out.Int16(qint16(FCurrentFilter));
    out.Int32(FFilters.Count());
    for (const TFilterItem* filter : FFilters) {
        out.Text(filter->Name);
        out.Byte(filter->AndForAll ? 1 : 0);
        out.Text(filter->Text);
        out.Int32(filter->DataSets.Count());
        for (const TDataSetItem* item : filter->DataSets) {
            out.Text(item->Name);
            out.Text(item->LinkText);
            out.Byte(item->ForAll ? 1 : 0);
            out.Text(item->Text);
        }
        out.Int32(filter->Conditions.Count());
        for (const TConditionItem* condition : filter->Conditions) {
            out.Text(condition->DataSetName);
            out.Text(condition->FieldName);
            out.Text(condition->LookupFieldName);
            out.Text(condition->Operation);
            out.Byte(condition->Flag);
            out.Value(condition->Value);
            out.Text(condition->Text);
        }
    }
    if (Stream.write(out.Data()) != out.Data().size())
        throw EInOutError(QStringLiteral("Cannot write filter data: %1").arg(Stream.errorString()));
}

void TKroFilter::LoadFromStream(QIODevice& Stream) {
    TListObj<TFilterItem> filters;
    int current = -1;
    try {
        TFilterFileReader in(Stream.readAll());
        in.Text(); // the file's name when written
        current = in.Int16();
        const int count = in.Count(65535);
        for (int f = 0; f < count; ++f) {
            auto* filter = new TFilterItem;
            filters.Add(filter);
            filter->Name = in.Text();
            filter->AndForAll = in.Byte() != 0;
            filter->Text = in.Text();
            for (int d = in.Count(255); d > 0; --d) {
                auto* item = new TDataSetItem;
                filter->DataSets.Add(item);
                item->Name = in.Text();
                item->LinkText = in.Text();
                item->ForAll = in.Byte() != 0;
                item->Text = in.Text();
            }
            for (int c = in.Count(255); c > 0; --c) {
                auto* condition = new TConditionItem;
                filter->Conditions.Add(condition);
                condition->DataSetName = in.Text();
                condition->FieldName = in.Text();
                condition->LookupFieldName = in.Text();
                condition->Operation = in.Text();
                condition->Flag = in.Byte();
                condition->Value = in.Value();
                condition->Text = in.Text();
            }
        }
        const bool currentValid = count == 0 ? current == -1 : current >= 0 && current < count;
        if (!in.AtEnd() || !currentValid)
            throw TFilterDataError();
    } catch (const TFilterDataError&) {
        throw EInOutError(QStringLiteral("Error loading filter data"));
    }
    FFilters.Clear();
    while (filters.Count() > 0)
        FFilters.Add(filters.Extract(filters.First()));
    FCurrentFilter = current;
}
