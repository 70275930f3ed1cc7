#pragma once

#include <QDateTime>
#include <QVariant>
#include <initializer_list>

// Values of fields, parameters and lookups are QVariants under one convention:
//   Null            an invalid QVariant (Variant()); distinct from "" and 0
//   text, numbers   QString, int/qint64, double, bool
//   dates, times    QDate, QTime, QDateTime
//   several values  a variant array: a QVariantList
using Variant = QVariant;
using TDateTime = QDateTime;

inline Variant Null() {
    return {};
}
bool VarIsNull(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsNumeric(const Variant& v);
bool VarIsStr(const Variant& v);
Variant VarArrayOf(std::initializer_list<Variant> values);
int VarArrayHighBound(const Variant& v);

// Conversions raise EConvertError when the value does not convert; Null gives "" or 0.
QString VarToStr(const Variant& v);
qint64 VarToInt(const Variant& v);
double VarToFloat(const Variant& v);
bool VarToBool(const Variant& v);
QDateTime VarToDateTime(const Variant& v);

// Equality as the dataset layer compares values: Null equals only Null; numbers compare
// by value whatever their type; arrays element by element.
bool VarSameValue(const Variant& a, const Variant& b);
