#include "Strings.h"

#include "List.h"
#include "Reader.h"
#include "Writer.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <numeric>

namespace {

// The lines of Text, split at "\r\n", "\n" or "\r"; a final line break ends the last line.
QList<TStringItem> SplitLines(QStringView Text) {
    QList<TStringItem> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append({Text.sliced(start, i - start).toString()});
        if (c == u'\r' && i + 1 < Text.size() && Text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < Text.size())
        lines.append({Text.sliced(start).toString()});
    return lines;
}

bool IsBlank(QChar c) {
    return c <= u' ';
}

bool NeedsQuotes(const QString& S, QChar Delimiter, QChar Quote) {
    return std::any_of(S.cbegin(), S.cend(),
                       [&](QChar c) { return IsBlank(c) || c == Delimiter || c == Quote; });
}

QString Quoted(QString S, QChar Quote) {
    return Quote + S.replace(Quote, QString(2, Quote)) + Quote;
}

// Reads the quoted item starting at Text[i], doubled quotes standing for one; an unclosed
// quote runs to the end.
QString ReadQuoted(QStringView Text, qsizetype& i, QChar Quote) {
    QString item;
    for (++i; i < Text.size(); ++i) {
        if (Text[i] != Quote) {
            item += Text[i];
        } else if (i + 1 < Text.size() && Text[i + 1] == Quote) {
            item += Quote;
            ++i;
        } else {
            ++i;
            break;
        }
    }
    return item;
}

// The items of Text, separated by Delimiter or by blanks outside quotes. A delimiter that
// ends the text is followed by an empty item.
QList<TStringItem> SplitDelimited(QStringView Text, QChar Delimiter, QChar Quote) {
    QList<TStringItem> items;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < Text.size() && IsBlank(Text[i]))
            ++i;
    };
    skipBlanks();
    while (i < Text.size()) {
        if (Text[i] == Quote) {
            items.append({ReadQuoted(Text, i, Quote)});
        } else {
            const qsizetype start = i;
            while (i < Text.size() && !IsBlank(Text[i]) && Text[i] != Delimiter)
                ++i;
            items.append({Text.sliced(start, i - start).toString()});
        }
        skipBlanks();
        if (i < Text.size() && Text[i] == Delimiter) {
            if (++i == Text.size())
                items.append(TStringItem());
            skipBlanks();
        }
    }
    return items;
}

const QString SortedListError = QStringLiteral("Operation not allowed on sorted list");
const QString DuplicatesError = QStringLiteral("Duplicates not allowed");

} // namespace

// TStrings

TStrings::TStrings(QObject* parent) : TPersistent(parent) {}

template <class F> void TStrings::WithinUpdate(F&& Action) {
    BeginUpdate();
    try {
        Action();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::AddObject(const QString& S, TObject* AObject) {
    const int index = Count();
    InsertObject(index, S, AObject);
    return index;
}

void TStrings::AddStrings(TStrings* Source) {
    AddItems(Source->StringItems());
}

void TStrings::Exchange(int Index1, int Index2) {
    const QString s1 = Strings(Index1);
    const QString s2 = Strings(Index2);
    TObject* o1 = Objects(Index1);
    TObject* o2 = Objects(Index2);
    WithinUpdate([&] {
        SetStrings(Index1, s2);
        SetObjects(Index1, o2);
        SetStrings(Index2, s1);
        SetObjects(Index2, o1);
    });
}

void TStrings::Move(int CurIndex, int NewIndex) {
    const QString s = Strings(CurIndex);
    TObject* o = Objects(CurIndex);
    CheckIndex(NewIndex);
    if (CurIndex == NewIndex)
        return;
    WithinUpdate([&] {
        Delete(CurIndex);
        InsertObject(NewIndex, s, o);
    });
}

int TStrings::IndexOf(const QString& S) const {
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Strings(i), S) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const QString& Name) const {
    for (int i = 0; i < Count(); ++i) {
        const QString s = Strings(i);
        const qsizetype separator = s.indexOf(FNameValueSeparator);
        if (separator >= 0 && CompareStrings(s.left(separator), Name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
    for (int i = 0; i < Count(); ++i)
        if (Objects(i) == AObject)
            return i;
    return -1;
}

QString TStrings::Text() const {
    const QList<TStringItem> items = StringItems();
    qsizetype size = 0;
    for (const TStringItem& item : items)
        size += item.FString.size() + 1;
    QString text;
    text.reserve(size);
    for (const TStringItem& item : items) {
        text += item.FString;
        text += u'\n';
    }
    return text;
}

void TStrings::SetText(const QString& Value) {
    WithinUpdate([&] {
        Clear();
        AddItems(SplitLines(Value));
    });
}

QString TStrings::Joined(QChar Delimiter, QChar Quote) const {
    const QList<TStringItem> items = StringItems();
    if (items.size() == 1 && items[0].FString.isEmpty())
        return QString(2, Quote);
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += Delimiter;
        const QString& s = items[i].FString;
        text += NeedsQuotes(s, Delimiter, Quote) ? Quoted(s, Quote) : s;
    }
    return text;
}

void TStrings::SetSplit(const QString& Value, QChar Delimiter, QChar Quote) {
    WithinUpdate([&] {
        Clear();
        AddItems(SplitDelimited(Value, Delimiter, Quote));
    });
}

QString TStrings::DelimitedText() const {
    return Joined(FDelimiter, FQuoteChar);
}

void TStrings::SetDelimitedText(const QString& Value) {
    SetSplit(Value, FDelimiter, FQuoteChar);
}

QString TStrings::CommaText() const {
    return Joined(QLatin1Char(','), QLatin1Char('"'));
}

void TStrings::SetCommaText(const QString& Value) {
    SetSplit(Value, QLatin1Char(','), QLatin1Char('"'));
}

QString TStrings::Names(int Index) const {
    const QString s = Strings(Index);
    const qsizetype separator = s.indexOf(FNameValueSeparator);
    return separator < 0 ? QString() : s.left(separator);
}

QString TStrings::ValueFromIndex(int Index) const {
    const QString s = Strings(Index);
    const qsizetype separator = s.indexOf(FNameValueSeparator);
    return separator < 0 ? QString() : s.mid(separator + 1);
}

QString TStrings::Values(const QString& Name) const {
    const int index = IndexOfName(Name);
    return index < 0 ? QString() : ValueFromIndex(index);
}

void TStrings::SetValues(const QString& Name, const QString& Value) {
    const int index = IndexOfName(Name);
    if (Value.isEmpty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    const QString line = Name + FNameValueSeparator + Value;
    if (index < 0)
        Add(line);
    else
        SetStrings(index, line);
}

void TStrings::BeginUpdate() {
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::Assign(TPersistent* Source) {
    auto* source = qobject_cast<TStrings*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    WithinUpdate([&] {
        Clear();
        AddItems(source->StringItems());
    });
}

void TStrings::DefineProperties(TFiler& Filer) {
    TPersistent::DefineProperties(Filer);
    Filer.DefineProperty(
        QStringLiteral("Strings"),
        [this](TReader& Reader) {
            QStringList lines;
            Reader.ReadListBegin();
            while (!Reader.EndOfList())
                lines << Reader.ReadString();
            Reader.ReadListEnd();
            BeginUpdate();
            Clear();
            for (const QString& line : std::as_const(lines))
                Add(line);
            EndUpdate();
        },
        [this](TWriter& Writer) {
            Writer.WriteListBegin();
            for (int i = 0; i < Count(); ++i)
                Writer.WriteString(Strings(i));
            Writer.WriteListEnd();
        },
        Count() > 0);
}

bool TStrings::Equals(TStrings* Other) const {
    if (!Other || Other->Count() != Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Strings(i) != Other->Strings(i))
            return false;
    return true;
}

QStringList TStrings::ToStringList() const {
    const QList<TStringItem> items = StringItems();
    QStringList lines;
    lines.reserve(items.size());
    for (const TStringItem& item : items)
        lines.append(item.FString);
    return lines;
}

void TStrings::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot open file \"%1\": %2").arg(FileName, file.errorString()));
    LoadFromStream(&file);
}

void TStrings::SaveToFile(const QString& FileName) const {
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(
            QStringLiteral("Cannot create file \"%1\": %2").arg(FileName, file.errorString()));
    SaveToStream(&file);
    if (!file.commit())
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\": %2").arg(FileName, file.errorString()));
}

void TStrings::LoadFromStream(QIODevice* Stream) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    SetText(decoder.decode(Stream->readAll()));
}

void TStrings::SaveToStream(QIODevice* Stream) const {
    if (Stream->write(Text().toUtf8()) < 0)
        throw EInOutError(QStringLiteral("Cannot write to stream: %1").arg(Stream->errorString()));
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const QString& S1, const QString& S2) const {
    return S1.compare(S2, Qt::CaseInsensitive);
}

QList<TStringItem> TStrings::StringItems() const {
    QList<TStringItem> items;
    items.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        items.append({Strings(i), Objects(i)});
    return items;
}

void TStrings::AddItems(QList<TStringItem> Items) {
    if (Items.isEmpty())
        return;
    WithinUpdate([&] {
        for (const TStringItem& item : Items)
            AddObject(item.FString, item.FObject);
    });
}

void TStrings::CheckIndex(int Index) const {
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
}

// TStringList

TStringList::TStringList(QObject* parent) : TStrings(parent) {}

auto TStringList::ByStrings() const {
    return [this](const TStringItem& a, const TStringItem& b) {
        return CompareStrings(a.FString, b.FString) < 0;
    };
}

QString TStringList::Strings(int Index) const {
    CheckIndex(Index);
    return FList[Index].FString;
}

void TStringList::SetStrings(int Index, const QString& S) {
    CheckUnsorted();
    CheckIndex(Index);
    Changing();
    FList[Index].FString = S;
    Changed();
}

TObject* TStringList::Objects(int Index) const {
    CheckIndex(Index);
    return FList[Index].FObject;
}

void TStringList::SetObjects(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    FList[Index].FObject = AObject;
    Changed();
}

int TStringList::AddObject(const QString& S, TObject* AObject) {
    int index = Count();
    if (FSorted && Find(S, index)) {
        switch (FDuplicates) {
        case dupIgnore:
            return index;
        case dupError:
            throw EListError(DuplicatesError);
        case dupAccept:
            index = UpperBound(S, index);
            break;
        }
    }
    InsertItem(index, {S, AObject});
    return index;
}

void TStringList::InsertObject(int Index, const QString& S, TObject* AObject) {
    CheckUnsorted();
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    InsertItem(Index, {S, AObject});
}

void TStringList::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    FList.remove(Index);
    Changed();
}

void TStringList::Clear() {
    if (FList.isEmpty())
        return;
    Replace({});
}

void TStringList::Exchange(int Index1, int Index2) {
    CheckUnsorted();
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    FList.swapItemsAt(Index1, Index2);
    Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
    CheckUnsorted();
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    if (CurIndex == NewIndex)
        return;
    Changing();
    FList.move(CurIndex, NewIndex);
    Changed();
}

int TStringList::IndexOf(const QString& S) const {
    if (!FSorted)
        return TStrings::IndexOf(S);
    int index;
    return Find(S, index) ? index : -1;
}

bool TStringList::Find(const QString& S, int& Index) const {
    const auto found = std::lower_bound(FList.cbegin(), FList.cend(), S,
                                        [this](const TStringItem& item, const QString& s) {
                                            return CompareStrings(item.FString, s) < 0;
                                        });
    Index = int(found - FList.cbegin());
    return found != FList.cend() && CompareStrings(found->FString, S) == 0;
}

void TStringList::Sort() {
    if (!FSorted)
        SortByStrings();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
    CheckUnsorted();
    if (Count() < 2)
        return;
    QList<int> order(Count());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return Compare(this, a, b) < 0; });
    QList<TStringItem> sorted;
    sorted.reserve(order.size());
    for (int index : order)
        sorted.append(FList[index]);
    Replace(std::move(sorted));
}

void TStringList::SetSorted(bool Value) {
    if (Value == FSorted)
        return;
    if (Value)
        SortByStrings();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (Value == FCaseSensitive)
        return;
    FCaseSensitive = Value;
    if (FSorted)
        SortByStrings();
}

void TStringList::Changing() {
    if (UpdateCount() == 0)
        FOnChanging(this);
}

void TStringList::Changed() {
    if (UpdateCount() == 0)
        FOnChange(this);
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const QString& S1, const QString& S2) const {
    return S1.compare(S2, FCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TStringList::AddItems(QList<TStringItem> Items) {
    if (Items.isEmpty())
        return;
    if (!FSorted) {
        Changing();
        FList.append(std::move(Items));
        Changed();
        return;
    }
    const QList<TStringItem> added = Admitted(std::move(Items));
    QList<TStringItem> merged;
    merged.reserve(FList.size() + added.size());
    std::merge(FList.cbegin(), FList.cend(), added.cbegin(), added.cend(),
               std::back_inserter(merged), ByStrings());
    Replace(std::move(merged));
}

void TStringList::CheckUnsorted() const {
    if (FSorted)
        throw EListError(SortedListError);
}

void TStringList::InsertItem(int Index, TStringItem Item) {
    Changing();
    FList.insert(Index, std::move(Item));
    Changed();
}

void TStringList::Replace(QList<TStringItem> List) {
    Changing();
    FList = std::move(List);
    Changed();
}

void TStringList::SortByStrings() {
    if (Count() < 2)
        return;
    QList<TStringItem> sorted = FList;
    std::stable_sort(sorted.begin(), sorted.end(), ByStrings());
    Replace(std::move(sorted));
}

int TStringList::UpperBound(const QString& S, int From) const {
    const auto after = std::upper_bound(FList.cbegin() + From, FList.cend(), S,
                                        [this](const QString& s, const TStringItem& item) {
                                            return CompareStrings(s, item.FString) < 0;
                                        });
    return int(after - FList.cbegin());
}

QList<TStringItem> TStringList::Admitted(QList<TStringItem> Items) const {
    std::stable_sort(Items.begin(), Items.end(), ByStrings());
    if (FDuplicates == dupAccept)
        return Items;
    QList<TStringItem> admitted;
    admitted.reserve(Items.size());
    for (TStringItem& item : Items) {
        int index;
        const bool duplicate =
            (!admitted.isEmpty() && CompareStrings(admitted.last().FString, item.FString) == 0) ||
            Find(item.FString, index);
        if (!duplicate)
            admitted.append(std::move(item));
        else if (FDuplicates == dupError)
            throw EListError(DuplicatesError);
    }
    return admitted;
}
