#include "KroSql.h"

#include "KroDB.h"
#include "KroOther.h"

#include <QRegularExpression>
#include <db/DataSet.h>
#include <db/Field.h>
#include <memory>
#include <rtl/Exceptions.h>
#include <rtl/Strings.h>
#include <rtl/TypeInfo.h>

namespace {

bool IsBlank(QChar C) {
    return C.unicode() <= 32;
}

bool SameWord(const QString& Text, qsizetype At, QLatin1StringView Word) {
    return QStringView(Text).mid(At, Word.size()).compare(Word, Qt::CaseInsensitive) == 0;
}

// The field names of FieldList, separated by ";" or ",".
QStringList FieldNames(const QString& FieldList) {
    QStringList names;
    for (const QString& name : FieldList.split(QRegularExpression(QStringLiteral("[;,]"))))
        if (const QString trimmed = name.trimmed(); !trimmed.isEmpty())
            names << trimmed;
    return names;
}

TStrings* SqlOf(TDataSet* DataSet) {
    const QString sql = QStringLiteral("SQL");
    return PropIsType(DataSet, sql, tkClass) ? qobject_cast<TStrings*>(GetObjectProp(DataSet, sql))
                                             : nullptr;
}

} // namespace

int FindOrderBy(const QString& SQL, bool ReturnStart) {
    const qsizetype length = SQL.size();
    bool inSingle = false, inDouble = false;
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = SQL[i];
        if (c == QLatin1Char('\'')) {
            inSingle = !inSingle;
            continue;
        }
        if (c == QLatin1Char('"') && !inSingle) {
            inDouble = !inDouble;
            continue;
        }
        if (inSingle || inDouble || !SameWord(SQL, i, QLatin1StringView("order")))
            continue;
        qsizetype by = i + 5;
        while (by < length && IsBlank(SQL[by]))
            ++by;
        // At least one blank separates the words.
        if (by > i + 5 && SameWord(SQL, by, QLatin1StringView("by")))
            return int(ReturnStart ? i + 1 : by + 3);
    }
    return 0;
}

QString GetOrderByFields(const QString& SQL) {
    const int position = FindOrderBy(SQL, false);
    if (position == 0)
        return {};
    const QString clause = SQL.mid(position - 1).trimmed();
    const qsizetype length = clause.size();
    QStringList names;
    bool nameExpected = true; // at the start and after each ","
    qsizetype i = 0;
    while (i < length && clause[i] != QLatin1Char(';')) {
        const QChar c = clause[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (c == QLatin1Char(',')) {
            nameExpected = true;
            ++i;
            continue;
        }
        QString name;
        if (c == QLatin1Char('"')) {
            // A quoted name, up to its closing quote or the end of the text.
            qsizetype close = clause.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                close = length;
            name = clause.mid(i + 1, close - i - 1);
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < length && !IsBlank(clause[i]) && clause[i] != QLatin1Char('"') &&
                   clause[i] != QLatin1Char(',') && clause[i] != QLatin1Char(';'))
                ++i;
            name = clause.mid(start, i - start);
        }
        // A word after a name without a comma between is a direction (asc, desc).
        if (nameExpected && !name.isEmpty())
            names << name;
        nameExpected = false;
    }
    return names.join(QLatin1Char(';'));
}

QString BuildOrderBySQL(const QString& SQL, const QString& FieldList, bool Quotes) {
    QStringList names = FieldNames(FieldList);
    if (Quotes)
        for (QString& name : names)
            name = QStringLiteral("\"%1\"").arg(name);
    QString kept;
    if (const int start = FindOrderBy(SQL, true); start > 0) {
        kept = SQL.left(start - 1);
    } else {
        kept = SQL.trimmed();
        if (kept.endsWith(QLatin1Char(';')))
            kept.chop(1);
    }
    while (!kept.isEmpty() && IsBlank(kept.back()))
        kept.chop(1);
    if (names.isEmpty())
        return kept;
    return kept + QStringLiteral("\r\norder by ") + names.join(QLatin1Char(','));
}

QString AndConditions(const QString& A, const QString& B) {
    if (B.isEmpty())
        return A;
    if (A.isEmpty())
        return B;
    return QStringLiteral("(%1) and (%2)").arg(A, B);
}

namespace {

// The key of the current record of an open dataset, to find it again after a change of
// order; nothing when the dataset has no key or no record.
struct TRememberedKey {
    QString Fields;
    Variant Values;

    TRememberedKey(TDataSet* DataSet, bool KeepPosition) {
        if (!KeepPosition || !DataSet->Active() || DataSet->IsEmpty())
            return;
        Fields = GetUniqueFields(DataSet);
        if (!Fields.isEmpty())
            Values = DataSet->FieldValues(Fields);
    }
    bool IsSet() const { return !Fields.isEmpty(); }
    void Locate(TDataSet* DataSet) const {
        if (IsSet())
            DataSet->Locate(Fields, Values, {});
    }
};

// DisableControls for the life of the scope.
class TControlsDisabled {
public:
    explicit TControlsDisabled(TDataSet* DataSet) : FDataSet(DataSet) {
        DataSet->DisableControls();
    }
    ~TControlsDisabled() { FDataSet->EnableControls(); }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

private:
    TDataSet* FDataSet;
};

void SetQueryOrder(TDataSet* Query, TStrings* SQL, const QString& FieldList, bool KeepPosition,
                   bool Quotes) {
    const QString text = BuildOrderBySQL(SQL->Text(), FieldList, Quotes);
    if (!Query->Active()) {
        SQL->SetText(text);
        return;
    }
    const TRememberedKey key(Query, KeepPosition);
    const TControlsDisabled disabled(Query);
    Query->Close();
    SQL->SetText(text);
    Query->Open();
    key.Locate(Query);
}

void SetIndexOrder(TDataSet* Table, QString FieldList, bool KeepPosition) {
    const QString indexFieldNames = QStringLiteral("IndexFieldNames");
    FieldList.replace(QLatin1Char(','), QLatin1Char(';'));
    const TRememberedKey key(Table, KeepPosition);
    if (!key.IsSet()) {
        SetStrProp(Table, indexFieldNames, FieldList);
        return;
    }
    const TControlsDisabled disabled(Table);
    SetStrProp(Table, indexFieldNames, FieldList);
    key.Locate(Table);
}

} // namespace

void SetOrderBy(TDataSet* DataSet, const QString& FieldList, bool KeepPosition, bool Quotes) {
    if (TStrings* sql = SqlOf(DataSet))
        SetQueryOrder(DataSet, sql, FieldList, KeepPosition, Quotes);
    else if (PropIsType(DataSet, QStringLiteral("IndexFieldNames"), tkString))
        SetIndexOrder(DataSet, FieldList, KeepPosition);
}

QString GetCurrentOrder(TDataSet* DataSet) {
    if (DataSet->Active())
        if (const QStringList fields = DataSet->IndexFields(); !fields.isEmpty())
            return fields.join(QLatin1Char(';'));
    const QString indexFieldNames = QStringLiteral("IndexFieldNames");
    if (PropIsType(DataSet, indexFieldNames, tkString))
        if (QString fields = GetStrProp(DataSet, indexFieldNames); !fields.isEmpty())
            return fields;
    if (const TStrings* sql = SqlOf(DataSet))
        return GetOrderByFields(sql->Text());
    return {};
}

// ---- One value of a statement -----------------------------------------------------------

namespace {

// The query GetFromSQLText runs its statements in: one, of the query class in force,
// kept until the program ends.
TDataSet* SharedQuery() {
    static std::unique_ptr<TDataSet> query;
    if (!query || query->metaObject() != EffectiveQueryClass())
        query.reset(NewOtherQuery());
    return query.get();
}

void CloseAfterError(TDataSet* Query) {
    try {
        Query->Close();
    } catch (const Exception&) {
        // The statement's own error is the one reported.
    }
}

} // namespace

Variant GetFromSQLText(const QString& DatabaseName, const QString& SQL, bool IgnoreErrors) {
    TDataSet* query = SharedQuery();
    if (!query) {
        ShowKroMessage(QStringLiteral("Function GetFromSQLText:\nYou must define "
                                      "\"OtherQueryClass\" from KroOther unit\nor turn on "
                                      "\"BDE_IS_USED\" in the Kro.Inc\nfor generation of Query"));
        return Null();
    }
    SetStrProp(query, QStringLiteral("DataBaseName"), DatabaseName);
    TStrings* sql = SqlOf(query);
    if (!sql) {
        ShowKroMessage(QStringLiteral("Property \"SQL\" is absent in the dataset"));
        return Null();
    }
    sql->Clear();
    sql->Add(SQL);
    Variant result = Null();
    try {
        query->Open();
        if (query->FieldCount() > 0)
            result = query->Fields()->Fields(0)->Value();
        query->Close();
    } catch (...) {
        CloseAfterError(query);
        if (!IgnoreErrors)
            throw;
        result = Null();
    }
    return result;
}
