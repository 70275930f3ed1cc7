#pragma once

#include "Enums.h"
#include "Persistent.h"

#include <QList>
#include <QStringList>
#include <functional>

class QIODevice;

// What a sorted TStringList does when a line equal to one it holds is added.
PUBLISHED_ENUM(TDuplicates, dupIgnore, dupAccept, dupError)

// A line of a string list and the object associated with it.
struct TStringItem {
    QString FString;
    TObject* FObject = nullptr;
};
Q_DECLARE_TYPEINFO(TStringItem, Q_RELOCATABLE_TYPE);

// A list of lines, each with an associated object (not owned). Descendants store the lines;
// this class derives the text forms, name=value access, searching and file I/O from them.
// Changes made between BeginUpdate and EndUpdate are reported once, when the outermost
// EndUpdate ends the block.
class TStrings : public TPersistent {
    Q_OBJECT
public:
    explicit TStrings(QObject* parent = nullptr);

    virtual int Count() const = 0;
    virtual QString Strings(int Index) const = 0;
    // Replaces the line at Index, keeping its object.
    virtual void SetStrings(int Index, const QString& S) = 0;
    QString operator[](int Index) const { return Strings(Index); }
    virtual TObject* Objects(int Index) const = 0;
    virtual void SetObjects(int Index, TObject* AObject) = 0;

    // Both return the index the line was given.
    int Add(const QString& S) { return AddObject(S, nullptr); }
    virtual int AddObject(const QString& S, TObject* AObject);
    // Adds the lines and objects of Source, which may be this list.
    void AddStrings(TStrings* Source);
    void Insert(int Index, const QString& S) { InsertObject(Index, S, nullptr); }
    virtual void InsertObject(int Index, const QString& S, TObject* AObject) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int Index1, int Index2);
    // Moves the line at CurIndex, with its object, so that it ends up at NewIndex.
    virtual void Move(int CurIndex, int NewIndex);

    // Searches compare lines as CompareStrings does: ignoring case unless told otherwise.
    virtual int IndexOf(const QString& S) const;
    int IndexOfName(const QString& Name) const;
    int IndexOfObject(TObject* AObject) const;

    // Every line followed by "\n". Setting splits at "\r\n", "\n" or "\r"; a final line
    // break does not start another line, and an empty text gives no lines.
    virtual QString Text() const;
    virtual void SetText(const QString& Value);
    // The lines separated by Delimiter; a line holding a space or control character, the
    // delimiter or the quote character is quoted with QuoteChar, quotes inside doubled.
    // Unquoted spaces separate lines too when the text is set.
    QString DelimitedText() const;
    void SetDelimitedText(const QString& Value);
    // DelimitedText with ',' and '"' whatever Delimiter and QuoteChar are.
    QString CommaText() const;
    void SetCommaText(const QString& Value);
    QChar Delimiter() const { return FDelimiter; }
    void SetDelimiter(QChar Value) { FDelimiter = Value; }
    QChar QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(QChar Value) { FQuoteChar = Value; }

    // Lines of the form name=value, the separator being NameValueSeparator. Names and
    // ValueFromIndex are empty for a line without separator; Values is empty for a name
    // no line has; setting an empty value deletes the line.
    QString Names(int Index) const;
    QString ValueFromIndex(int Index) const;
    QString Values(const QString& Name) const;
    void SetValues(const QString& Name, const QString& Value);
    QChar NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(QChar Value) { FNameValueSeparator = Value; }

    void BeginUpdate();
    void EndUpdate();

    // Copies the lines and objects of another TStrings.
    void Assign(TPersistent* Source) override;
    // The lines are stored in form files as "Strings", a list of texts.
    void DefineProperties(TFiler& Filer) override;
    // Same lines, compared with case, in the same order.
    bool Equals(TStrings* Other) const;
    QStringList ToStringList() const;

    // UTF-8 text; loading skips a byte order mark. Files that cannot be opened raise
    // EInOutError. Streams are read from their current position to the end.
    void LoadFromFile(const QString& FileName);
    void SaveToFile(const QString& FileName) const;
    void LoadFromStream(QIODevice* Stream);
    void SaveToStream(QIODevice* Stream) const;

protected:
    // Called with true when the outermost BeginUpdate starts a block, false when it ends.
    virtual void SetUpdateState(bool Updating);
    int UpdateCount() const { return FUpdateCount; }
    virtual int CompareStrings(const QString& S1, const QString& S2) const;
    // The lines and objects, in order.
    virtual QList<TStringItem> StringItems() const;
    // Appends Items as AddObject would, one by one: what AddStrings, Assign and the text
    // setters end with. Descendants may add them at once.
    virtual void AddItems(QList<TStringItem> Items);
    void CheckIndex(int Index) const;

private:
    template <class F> void WithinUpdate(F&& Action);
    QString Joined(QChar Delimiter, QChar Quote) const;
    void SetSplit(const QString& Value, QChar Delimiter, QChar Quote);

    int FUpdateCount = 0;
    QChar FDelimiter = QLatin1Char(',');
    QChar FQuoteChar = QLatin1Char('"');
    QChar FNameValueSeparator = QLatin1Char('=');
};

// The list of lines kept in memory. When Sorted, lines are kept in CompareStrings order
// and Duplicates decides what adding a line already present does; lines that compare
// equal keep the order they were added in. OnChanging and OnChange surround every change.
class TStringList : public TStrings {
    Q_OBJECT
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(TNotifyEvent OnChanging READ OnChanging WRITE SetOnChanging)
public:
    // Negative, zero or positive as the line at Index1 sorts before, with or after Index2.
    using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

    Q_INVOKABLE explicit TStringList(QObject* parent = nullptr);

    int Count() const override { return int(FList.size()); }
    QString Strings(int Index) const override;
    void SetStrings(int Index, const QString& S) override;
    TObject* Objects(int Index) const override;
    void SetObjects(int Index, TObject* AObject) override;

    int AddObject(const QString& S, TObject* AObject) override;
    void InsertObject(int Index, const QString& S, TObject* AObject) override;
    void Delete(int Index) override;
    void Clear() override;
    void Exchange(int Index1, int Index2) override;
    void Move(int CurIndex, int NewIndex) override;
    int IndexOf(const QString& S) const override;

    // Binary search of a sorted list: whether S is there. Index receives the position of
    // the first equal line, or where S would be inserted.
    bool Find(const QString& S, int& Index) const;
    // Sorting is stable. A sorted list is already in order and cannot be custom-sorted.
    void Sort();
    void CustomSort(const TStringListSortCompare& Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    // Applies to sorted lists only.
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
    const TNotifyEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(const TNotifyEvent& Value) { FOnChanging = Value; }

protected:
    // Fire OnChanging and OnChange, except inside a BeginUpdate/EndUpdate block.
    virtual void Changing();
    virtual void Changed();
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const QString& S1, const QString& S2) const override;
    QList<TStringItem> StringItems() const override { return FList; }
    void AddItems(QList<TStringItem> Items) override;

private:
    void CheckUnsorted() const;
    void InsertItem(int Index, TStringItem Item);
    void Replace(QList<TStringItem> List);
    void SortByStrings();
    // The order of a sorted list, as a comparator of items.
    auto ByStrings() const;
    int UpperBound(const QString& S, int From) const;
    // Items, sorted, without the lines Duplicates keeps out of the list.
    QList<TStringItem> Admitted(QList<TStringItem> Items) const;

    QList<TStringItem> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnChanging;
};
