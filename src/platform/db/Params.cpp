#include "Params.h"

#include <rtl/Exceptions.h>

TParam::TParam(TCollection* Collection) : TCollectionItem(Collection) {}

void TParam::SetValue(const Variant& Value) {
    FValue = Value;
    if (FDataType != ftUnknown || VarIsNull(Value))
        return;
    switch (Value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        FDataType = ftInteger;
        break;
    case QMetaType::Double:
        FDataType = ftFloat;
        break;
    case QMetaType::Bool:
        FDataType = ftBoolean;
        break;
    case QMetaType::QDate:
        FDataType = ftDate;
        break;
    case QMetaType::QTime:
        FDataType = ftTime;
        break;
    case QMetaType::QDateTime:
        FDataType = ftDateTime;
        break;
    case QMetaType::QByteArray:
        FDataType = ftBlob;
        break;
    default:
        FDataType = ftString;
        break;
    }
}

void TParam::SetAsString(const QString& Value) {
    if (FDataType == ftUnknown)
        FDataType = ftString;
    FValue = Value;
}

void TParam::SetAsInteger(qint64 Value) {
    if (FDataType == ftUnknown)
        FDataType = ftInteger;
    FValue = Value;
}

void TParam::SetAsFloat(double Value) {
    if (FDataType == ftUnknown)
        FDataType = ftFloat;
    FValue = Value;
}

void TParam::SetAsDate(const QDate& Value) {
    if (FDataType == ftUnknown)
        FDataType = ftDate;
    FValue = Value;
}

Variant TParam::EngineValue() const {
    if (VarIsNull(FValue))
        return FValue;
    try {
        switch (FDataType) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint:
            return VarToInt(FValue);
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return VarToFloat(FValue);
        case ftBoolean:
            return VarToBool(FValue);
        case ftDate:
            return VarToDateTime(FValue).date();
        case ftDateTime:
            return VarToDateTime(FValue);
        case ftString:
        case ftMemo:
            return VarToStr(FValue);
        default:
            return FValue;
        }
    } catch (const EConvertError& e) {
        throw EDatabaseError(QStringLiteral("Parameter '%1': %2").arg(FName, e.Message()));
    }
}

TParams::TParams(TPersistent* Owner) : TOwnedCollection(Owner, &TParam::staticMetaObject) {}

TParam* TParams::FindParam(const QString& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name().compare(Name, Qt::CaseInsensitive) == 0)
            return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const QString& Name) const {
    TParam* param = FindParam(Name);
    if (!param)
        throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(Name));
    return param;
}

TParam* TParams::CreateParam(const QString& Name, TFieldType DataType) {
    auto* param = static_cast<TParam*>(Add());
    param->SetName(Name);
    param->SetDataType(DataType);
    return param;
}

void TParams::SetNames(const QStringList& Names) {
    QStringList unique;
    for (const QString& name : Names)
        if (!unique.contains(name, Qt::CaseInsensitive))
            unique << name;
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i)
        if (!unique.contains(Items(i)->Name(), Qt::CaseInsensitive))
            Delete(i);
    for (qsizetype i = 0; i < unique.size(); ++i) {
        TParam* param = FindParam(unique[i]);
        if (!param)
            param = CreateParam(unique[i]);
        param->SetIndex(int(i));
    }
    EndUpdate();
}

TParsedSql ParseSqlParams(const QString& Sql) {
    TParsedSql result;
    const qsizetype n = Sql.size();
    auto identChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = Sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A quoted string or name, with its doubled quotes, passes unchanged.
            const qsizetype start = i++;
            while (i < n && !(Sql[i] == c && (i + 1 >= n || Sql[i + 1] != c)))
                i += Sql[i] == c ? 2 : 1;
            result.Sql += Sql.mid(start, i - start + 1);
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && Sql[i + 1] == QLatin1Char('-')) {
            const qsizetype end = Sql.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? n : end;
            result.Sql += Sql.mid(i, stop - i);
            i = stop - 1;
            continue;
        }
        const bool paramStart =
            c == QLatin1Char(':') && i + 1 < n &&
            (Sql[i + 1].isLetter() || Sql[i + 1] == QLatin1Char('_')) &&
            (i == 0 || (!identChar(Sql[i - 1]) && Sql[i - 1] != QLatin1Char(':')));
        if (!paramStart) {
            result.Sql += c;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && identChar(Sql[end]))
            ++end;
        result.Names << Sql.mid(i + 1, end - i - 1);
        result.Sql += QLatin1Char('?');
        i = end - 1;
    }
    return result;
}
