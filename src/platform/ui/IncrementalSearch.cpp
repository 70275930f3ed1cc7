#include "IncrementalSearch.h"

#include <QElapsedTimer>
#include <QStringList>

namespace {

qint64 SteadyMilliseconds() {
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

} // namespace

TIncrementalSearch::TIncrementalSearch() : FClock(SteadyMilliseconds) {}

const QString& TIncrementalSearch::Type(QChar Ch) {
    const qint64 now = FClock();
    if (now - FLastTyped > ResetMs)
        FText.clear();
    FLastTyped = now;
    if (FText.size() < MaxLength)
        FText += Ch;
    return FText;
}

int TIncrementalSearch::Find(const QStringList& Items) const {
    if (FText.isEmpty())
        return -1;
    for (qsizetype i = 0; i < Items.size(); ++i)
        if (Items[i].startsWith(FText, Qt::CaseInsensitive))
            return int(i);
    return -1;
}
