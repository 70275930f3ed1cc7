#pragma once

// Components with a property of every kind, for the tests of property access and
// form files.

#include <QDateTime>
#include <rtl/Collection.h>
#include <rtl/Color.h>
#include <rtl/Component.h>
#include <rtl/Font.h>
#include <rtl/Strings.h>
#include <rtl/Variant.h>

PUBLISHED_ENUM(TSampleKind, skNone, skFirst, skSecond, skThird)
using TSampleKinds = TSet<TSampleKind>;
using TQueryEvent = TEvent<TObject*, bool&>;

class TSampleItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(TComponent* Link READ Link WRITE SetLink)
public:
    Q_INVOKABLE explicit TSampleItem(TCollection* Collection = nullptr);
    QString Title() const { return FTitle; }
    void SetTitle(const QString& v) { FTitle = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    TComponent* Link() const { return FLink; }
    void SetLink(TComponent* v) { FLink = v; }

private:
    QString FTitle;
    int FWidth = 64;
    TComponent* FLink = nullptr;
};

class TSample : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count WRITE SetCount)
    Q_PROPERTY(qint64 Big READ Big WRITE SetBig)
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(double Ratio READ Ratio WRITE SetRatio)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QChar Letter READ Letter WRITE SetLetter)
    Q_PROPERTY(TSampleKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(TSampleKinds Kinds READ Kinds WRITE SetKinds)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QDateTime Stamp READ Stamp WRITE SetStamp)
    Q_PROPERTY(QDate Day READ Day WRITE SetDay)
    Q_PROPERTY(QByteArray Data READ Data WRITE SetData)
    Q_PROPERTY(QVariant Value READ Value WRITE SetValue)
    Q_PROPERTY(TSample* Buddy READ Buddy WRITE SetBuddy)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(TStrings* Lines READ Lines)
    Q_PROPERTY(TCollection* Items READ Items)
    Q_PROPERTY(QString ReadOnlyText READ ReadOnlyText)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(TQueryEvent OnQuery READ OnQuery WRITE SetOnQuery)
public:
    Q_INVOKABLE explicit TSample(TComponent* AOwner = nullptr);

    int Count() const { return FCount; }
    void SetCount(int v) { FCount = v; }
    qint64 Big() const { return FBig; }
    void SetBig(qint64 v) { FBig = v; }
    bool Active() const { return FActive; }
    void SetActive(bool v) { FActive = v; }
    double Ratio() const { return FRatio; }
    void SetRatio(double v) { FRatio = v; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v) { FCaption = v; }
    QChar Letter() const { return FLetter; }
    void SetLetter(QChar v) { FLetter = v; }
    TSampleKind Kind() const { return FKind; }
    void SetKind(TSampleKind v) { FKind = v; }
    TSampleKinds Kinds() const { return FKinds; }
    void SetKinds(TSampleKinds v) { FKinds = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    QDateTime Stamp() const { return FStamp; }
    void SetStamp(const QDateTime& v) { FStamp = v; }
    QDate Day() const { return FDay; }
    void SetDay(QDate v) { FDay = v; }
    QByteArray Data() const { return FData; }
    void SetData(const QByteArray& v) { FData = v; }
    QVariant Value() const { return FValue; }
    void SetValue(const QVariant& v) { FValue = v; }
    TSample* Buddy() const { return FBuddy; }
    void SetBuddy(TSample* v);
    TFont* Font() const { return FFont; }
    TStrings* Lines() const { return FLines; }
    TCollection* Items() const { return FItems; }
    QString ReadOnlyText() const { return QStringLiteral("fixed"); }
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& v) { FOnChange = v; }
    TQueryEvent OnQuery() const { return FOnQuery; }
    void SetOnQuery(const TQueryEvent& v) { FOnQuery = v; }

    // Stored beside the properties as "Extra": a list of texts and a number.
    QStringList Extra;
    int ExtraNumber = 0;
    QByteArray Thumbnail; // stored as binary data

    int LoadedCalls = 0;
    bool BuddyWasSetWhileLoading = false;

    void DefineProperties(TFiler& Filer) override;
    // Raises for a sample captioned "refuse", as a component whose set-up fails.
    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    int FCount = 0;
    qint64 FBig = 0;
    bool FActive = false;
    double FRatio = 1.0;
    QString FCaption;
    QChar FLetter = QLatin1Char('a');
    TSampleKind FKind = skNone;
    TSampleKinds FKinds;
    TColor FColor = clWindow;
    QDateTime FStamp;
    QDate FDay;
    QByteArray FData;
    QVariant FValue;
    TSample* FBuddy = nullptr;
    TFont* FFont;
    TStringList* FLines;
    TCollection* FItems;
    TNotifyEvent FOnChange;
    TQueryEvent FOnQuery;
};

// A sample that publishes inherited properties again: Count read-only (the number of
// lines), Caption through a getter of its own (trimmed) and Items as the number of items,
// which the sample makes itself, one per line, as a control fills its entries.
class TSampleRepublished : public TSample {
    Q_OBJECT
    Q_PROPERTY(int Count READ LineCount)
    Q_PROPERTY(QString Caption READ TrimmedCaption WRITE SetCaption)
    Q_PROPERTY(int Items READ ItemCount)
public:
    Q_INVOKABLE explicit TSampleRepublished(TComponent* AOwner = nullptr);

    int LineCount() const { return Lines()->Count(); }
    QString TrimmedCaption() const { return Caption().trimmed(); }
    int ItemCount() const { return Items()->Count(); }
    // One item per line, titled with the line.
    void Refill();
    void Loaded() override;
};

// A root (a form or data module) with handlers bound by name from form files.
// A value handlers change through a reference; never registered with the meta-type system.
enum TSampleShade : qint32 { shPale, shDark };

class TSampleRoot : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSampleRoot(TComponent* AOwner = nullptr);

    Q_INVOKABLE void SampleChange(TObject* Sender);
    Q_INVOKABLE void SampleQuery(TObject* Sender, bool& Allow);
    Q_INVOKABLE void WrongSignature(int Value);
    Q_INVOKABLE void SampleShade(TObject* Sender, TSampleShade& Shade);

    QList<TObject*> Changes;
    int Queries = 0;
};

void RegisterSampleClasses();
