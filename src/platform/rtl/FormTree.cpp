#include "FormTree.h"

TFormValue TFormValue::OfInteger(qint64 v) {
    TFormValue r;
    r.Kind = vkInteger;
    r.Integer = v;
    return r;
}

TFormValue TFormValue::OfFloat(double v) {
    TFormValue r;
    r.Kind = vkFloat;
    r.Float = v;
    return r;
}

TFormValue TFormValue::OfString(const QString& v) {
    TFormValue r;
    r.Kind = vkString;
    r.Text = v;
    return r;
}

TFormValue TFormValue::OfIdent(const QString& v) {
    TFormValue r;
    r.Kind = vkIdent;
    r.Text = v;
    return r;
}

TFormValue TFormValue::OfSet(const QStringList& members) {
    TFormValue r;
    r.Kind = vkSet;
    r.Members = members;
    return r;
}

TFormValue TFormValue::OfList(const QList<TFormValue>& items) {
    TFormValue r;
    r.Kind = vkList;
    r.Items = items;
    return r;
}

TFormValue TFormValue::OfBinary(const QByteArray& data) {
    TFormValue r;
    r.Kind = vkBinary;
    r.Binary = data;
    return r;
}

bool TFormValue::operator==(const TFormValue& o) const {
    if (Kind != o.Kind)
        return false;
    switch (Kind) {
    case vkInteger:
        return Integer == o.Integer;
    case vkFloat:
        return Float == o.Float;
    case vkString:
    case vkIdent:
        return Text == o.Text;
    case vkSet:
        return Members == o.Members;
    case vkList:
        return Items == o.Items;
    case vkCollection:
        if (CollectionItems.size() != o.CollectionItems.size())
            return false;
        for (qsizetype i = 0; i < CollectionItems.size(); ++i)
            if (!(CollectionItems[i].Properties == o.CollectionItems[i].Properties))
                return false;
        return true;
    case vkBinary:
        return Binary == o.Binary;
    }
    return false;
}

bool TFormObject::operator==(const TFormObject& o) const {
    return Name == o.Name && ClassName == o.ClassName && Inherited == o.Inherited &&
           Properties == o.Properties && Children == o.Children;
}
