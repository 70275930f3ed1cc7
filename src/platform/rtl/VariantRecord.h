#pragma once

#include "Variant.h"

#include <QByteArray>

// Values as the classic platform stores them in files: a record of 16 bytes, little-endian,
// holding a 16-bit type code, three reserved 16-bit words (zero) and 8 bytes of data. Text
// is not held in the record (the code varString marks it; the text is stored apart).
//
//   code  value                     data
//   0     empty (read as Null)      -
//   1     Null                      -
//   2     16-bit integer            int16
//   3     32-bit integer            int32
//   4     single                    float
//   5     double                    double
//   6     currency                  int64 scaled by 10000 (read as double)
//   7     date and time             double: days since 1899-12-30, the fraction the time
//                                   of day (for earlier dates the fraction still counts
//                                   forward from midnight)
//   11    boolean                   int16, -1 true, 0 false
//   17    byte                      uint8
//   20    64-bit integer            int64
//   256   string                    - (the text is stored apart)
enum TVarType : quint16 {
    varEmpty = 0,
    varNull = 1,
    varSmallint = 2,
    varInteger = 3,
    varSingle = 4,
    varDouble = 5,
    varCurrency = 6,
    varDate = 7,
    varBoolean = 11,
    varByte = 17,
    varInt64 = 20,
    varString = 256,
};

inline constexpr int VariantRecordSize = 16;

// The record of a value: Null, bool, the integer kinds (short, int, qint64, uchar and the
// unsigned ones that fit), float, double, QDate, QTime (a day fraction) and QDateTime.
// Raises EConvertError for text and for values of other kinds.
QByteArray VariantToRecord(const Variant& Value);
// The value of a record: QDate for a date without time, QTime for a time of day
// 1899-12-30, QDateTime else; double for currency. Raises EConvertError for a record of
// another size, a string record and an unknown code.
Variant VariantFromRecord(const QByteArray& Record);
