#pragma once

#include "RawSqlite.h"

#include <db/Connection.h>
#include <db/Database.h>
#include <rtl/Variant.h>
#include <string>

// Gives Raw the page cache and memory mapping of the datasets' connection, so that both
// read the file alike.
inline void UseSamePragmas(TRawDatabase& Raw, TDatabase& Database) {
    for (const char* pragma : {"mmap_size", "cache_size"})
        Raw.Execute(std::string("PRAGMA ") + pragma + "=" +
                    VarToStr(Database.Connection()->Scalar(QStringLiteral("PRAGMA ") +
                                                           QLatin1String(pragma)))
                        .toStdString());
}
