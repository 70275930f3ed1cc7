#pragma once

#include <QString>
#include <functional>

// The text typed to find an item of a list by its beginning: each character extends it,
// unless more than ResetMs passed since the previous one, which starts it afresh; it never
// grows beyond MaxLength characters. The time comes from a clock that tests may replace.
class TIncrementalSearch {
public:
    static constexpr qint64 ResetMs = 2000;
    static constexpr int MaxLength = 32;
    // Milliseconds from any fixed start, never going back.
    using TClock = std::function<qint64()>;

    TIncrementalSearch();

    const QString& Text() const { return FText; }
    // Extends the text by Ch, or starts it with Ch after a pause; returns the text.
    const QString& Type(QChar Ch);
    void Clear() { FText.clear(); }
    void SetClock(TClock Value) { FClock = std::move(Value); }

    // The first of Items that begins with the text, ignoring case; -1 when none does.
    int Find(const QStringList& Items) const;

private:
    QString FText;
    qint64 FLastTyped = 0;
    TClock FClock;
};
