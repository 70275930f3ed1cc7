#include "Connection.h"

QString TDbConnection::QuoteName(const QString& Name) const {
    QString quoted = Name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
