// Filter expressions over a record of every kind of field: parsed, written as SQL for both
// dialects and evaluated, or refused with the parser's or a conversion's exception.

#include "FuzzInput.h"

#include <QDateTime>
#include <db/FilterExpression.h>
#include <rtl/Exceptions.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static const QList<TFilterField> fields{
        {QStringLiteral("Name"), ftString},    {QStringLiteral("Age"), ftInteger},
        {QStringLiteral("Price"), ftFloat},    {QStringLiteral("Born"), ftDate},
        {QStringLiteral("Seen"), ftDateTime},  {QStringLiteral("At"), ftTime},
        {QStringLiteral("Active"), ftBoolean}, {QStringLiteral("Big"), ftLargeint}};
    static const QVariantMap record{
        {QStringLiteral("Name"), QStringLiteral("Äpfel")},
        {QStringLiteral("Age"), 42},
        {QStringLiteral("Price"), 2.5},
        {QStringLiteral("Born"), QDate(2000, 2, 29)},
        {QStringLiteral("Seen"), QDateTime(QDate(2024, 1, 1), QTime(10, 30))},
        {QStringLiteral("At"), QTime(23, 59)},
        {QStringLiteral("Active"), true},
        {QStringLiteral("Big"), Q_INT64_C(5000000000)}};
    const QString text = FuzzText(Data, Size);
    for (const TFilterOptions options : {TFilterOptions{}, TFilterOptions{foCaseInsensitive}}) {
        try {
            const TFilterExpression expression(text, FilterFieldsResolver(fields), options);
            expression.ToSql(SqliteFilterDialect());
            expression.ToSql(LowerCaseFilterDialect());
            expression.Evaluate([](const QString& Name) { return record.value(Name); });
        } catch (const Exception&) {
        }
    }
    return 0;
}
