#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <rtl/Strings.h>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The message of the Exception action raises, or "" when it raises none.
template <class F> std::string MessageOf(F&& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message().toStdString();
    }
    return {};
}

QStringList Lines(const TStrings& list) {
    return list.ToStringList();
}

// The smallest TStrings over a QStringList, to exercise what TStrings derives by itself.
class TPlainStrings : public TStrings {
public:
    int Count() const override { return int(FLines.size()); }
    QString Strings(int Index) const override {
        CheckIndex(Index);
        return FLines[Index];
    }
    void SetStrings(int Index, const QString& S) override {
        CheckIndex(Index);
        FLines[Index] = S;
    }
    TObject* Objects(int Index) const override {
        CheckIndex(Index);
        return FObjects[Index];
    }
    void SetObjects(int Index, TObject* AObject) override {
        CheckIndex(Index);
        FObjects[Index] = AObject;
    }
    void InsertObject(int Index, const QString& S, TObject* AObject) override {
        FLines.insert(Index, S);
        FObjects.insert(Index, AObject);
    }
    void Delete(int Index) override {
        CheckIndex(Index);
        FLines.remove(Index);
        FObjects.remove(Index);
    }
    void Clear() override {
        FLines.clear();
        FObjects.clear();
    }

    QList<bool> UpdateStates;

protected:
    void SetUpdateState(bool Updating) override { UpdateStates.append(Updating); }

private:
    QStringList FLines;
    QList<TObject*> FObjects;
};

// Records OnChanging and OnChange with the line count each saw.
struct TChangeLog {
    explicit TChangeLog(TStringList& list) {
        list.SetOnChanging([this, &list](TObject* sender) {
            EXPECT_EQ(sender, &list);
            Events.append(QStringLiteral("changing %1").arg(list.Count()));
        });
        list.SetOnChange([this, &list](TObject* sender) {
            EXPECT_EQ(sender, &list);
            Events.append(QStringLiteral("change %1").arg(list.Count()));
        });
    }
    QStringList Events;
};

TEST(StringsEditing, AddInsertDeleteKeepLinesAndObjects) {
    TStringList list;
    QObject first, second;
    EXPECT_EQ(list.Add(QStringLiteral("b")), 0);
    EXPECT_EQ(list.AddObject(QStringLiteral("c"), &second), 1);
    list.InsertObject(0, QStringLiteral("a"), &first);
    list.Insert(3, QStringLiteral("d"));
    EXPECT_EQ(Lines(list), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(list[2], QStringLiteral("c"));
    EXPECT_EQ(list.Objects(0), &first);
    EXPECT_EQ(list.Objects(1), nullptr);
    EXPECT_EQ(list.Objects(2), &second);

    list.Delete(1);
    list.SetStrings(0, QStringLiteral("A"));
    EXPECT_EQ(Lines(list), QStringList({"A", "c", "d"}));
    EXPECT_EQ(list.Objects(0), &first);
    EXPECT_EQ(list.IndexOfObject(&second), 1);
    EXPECT_EQ(list.IndexOfObject(nullptr), 2);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringsEditing, ExchangeAndMoveCarryObjects) {
    TStringList list;
    QObject a, c;
    list.SetCommaText(QStringLiteral("a,b,c,d"));
    list.SetObjects(0, &a);
    list.SetObjects(2, &c);
    list.Exchange(0, 2);
    EXPECT_EQ(Lines(list), QStringList({"c", "b", "a", "d"}));
    EXPECT_EQ(list.Objects(0), &c);
    EXPECT_EQ(list.Objects(2), &a);
    list.Move(0, 3);
    EXPECT_EQ(Lines(list), QStringList({"b", "a", "d", "c"}));
    EXPECT_EQ(list.Objects(3), &c);
    list.Move(3, 1);
    EXPECT_EQ(Lines(list), QStringList({"b", "c", "a", "d"}));
    EXPECT_EQ(list.Objects(1), &c);
}

TEST(StringsEditing, OutOfRangeIndexesRaiseListError) {
    TStringList list;
    list.SetCommaText(QStringLiteral("a,b,c"));
    EXPECT_EQ(MessageOf([&] { list.Strings(3); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf([&] { list.Objects(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(MessageOf([&] { list.SetStrings(5, {}); }), "List index out of bounds (5)");
    EXPECT_EQ(MessageOf([&] { list.Delete(3); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf([&] { list.Insert(4, {}); }), "List index out of bounds (4)");
    EXPECT_EQ(MessageOf([&] { list.Exchange(0, 7); }), "List index out of bounds (7)");
    EXPECT_EQ(MessageOf([&] { list.Move(0, 3); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf([&] { list.Names(3); }), "List index out of bounds (3)");
    EXPECT_THROW(list[3], EListError);
    EXPECT_EQ(Lines(list), QStringList({"a", "b", "c"}));
}

TEST(StringsSearching, IndexOfIgnoresCaseUnlessCaseSensitive) {
    TStringList list;
    list.SetCommaText(QStringLiteral("Alpha,beta"));
    EXPECT_EQ(list.IndexOf(QStringLiteral("ALPHA")), 0);
    EXPECT_EQ(list.IndexOf(QStringLiteral("Beta")), 1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("gamma")), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf(QStringLiteral("ALPHA")), -1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("Alpha")), 0);
}

TEST(StringsSearching, SortedListFindsByBinarySearchIgnoringCase) {
    TStringList list;
    list.SetSorted(true);
    list.SetCommaText(QStringLiteral("delta,Bravo,alpha,charlie"));
    int index = -1;
    EXPECT_TRUE(list.Find(QStringLiteral("CHARLIE"), index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find(QStringLiteral("bz"), index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(list.Find(QStringLiteral("zulu"), index));
    EXPECT_EQ(index, 4);
    EXPECT_EQ(list.IndexOf(QStringLiteral("bravo")), 1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("echo")), -1);
}

TEST(StringsChangeEvents, EveryChangeIsSurroundedByChangingAndChange) {
    TStringList list;
    TChangeLog log(list);
    QObject object;
    list.Add(QStringLiteral("a"));
    list.SetObjects(0, &object);
    list.SetStrings(0, QStringLiteral("b"));
    list.Delete(0);
    EXPECT_EQ(log.Events, QStringList({"changing 0", "change 1", "changing 1", "change 1",
                                       "changing 1", "change 1", "changing 1", "change 0"}));
}

TEST(StringsChangeEvents, NothingIsReportedWhenNothingChanges) {
    TStringList list;
    TChangeLog log(list);
    list.Clear();
    list.AddStrings(&list);
    EXPECT_THROW(list.Delete(0), EListError);
    list.SetSorted(true);
    EXPECT_EQ(log.Events, QStringList());
    list.Add(QStringLiteral("a"));
    log.Events.clear();
    EXPECT_THROW(list.Insert(0, QStringLiteral("b")), EListError);
    list.Sort();
    EXPECT_EQ(log.Events, QStringList());
}

TEST(StringsChangeEvents, NestedUpdateBlockReportsOnceAtTheOutermostEnd) {
    TStringList list;
    TChangeLog log(list);
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(QStringLiteral("a"));
    list.Add(QStringLiteral("b"));
    list.EndUpdate();
    list.Delete(0);
    EXPECT_EQ(log.Events, QStringList({"changing 0"}));
    list.EndUpdate();
    EXPECT_EQ(log.Events, QStringList({"changing 0", "change 1"}));
    list.Add(QStringLiteral("c"));
    EXPECT_EQ(log.Events.size(), 4);
}

TEST(StringsChangeEvents, BulkOperationsReportOnce) {
    TStringList list;
    TStringList other;
    other.SetCommaText(QStringLiteral("x,y"));
    TChangeLog log(list);
    list.SetText(QStringLiteral("a\nb\nc\n"));
    list.SetCommaText(QStringLiteral("a,b"));
    list.AddStrings(&other);
    list.Assign(&other);
    EXPECT_EQ(log.Events, QStringList({"changing 0", "change 3", "changing 3", "change 2",
                                       "changing 2", "change 4", "changing 4", "change 2"}));
}

TEST(StringsChangeEvents, EventsArePublishedProperties) {
    TStringList list;
    int changes = 0;
    ASSERT_TRUE(list.setProperty("OnChange",
                                 QVariant::fromValue(TNotifyEvent([&](TObject*) { ++changes; }))));
    EXPECT_TRUE(list.property("OnChange").value<TNotifyEvent>().IsAssigned());
    EXPECT_FALSE(list.property("OnChanging").value<TNotifyEvent>().IsAssigned());
    list.Add(QStringLiteral("a"));
    EXPECT_EQ(changes, 1);
}

TEST(StringsSorted, AddingKeepsTheOrderAndReturnsThePosition) {
    TStringList list;
    list.SetSorted(true);
    EXPECT_EQ(list.Add(QStringLiteral("m")), 0);
    EXPECT_EQ(list.Add(QStringLiteral("c")), 0);
    EXPECT_EQ(list.Add(QStringLiteral("X")), 2);
    EXPECT_EQ(list.Add(QStringLiteral("d")), 1);
    EXPECT_EQ(Lines(list), QStringList({"c", "d", "m", "X"}));
}

TEST(StringsSorted, DupIgnoreKeepsTheFirstLine) {
    TStringList list;
    QObject first, second;
    list.SetSorted(true);
    list.AddObject(QStringLiteral("b"), &first);
    list.Add(QStringLiteral("a"));
    EXPECT_EQ(list.AddObject(QStringLiteral("B"), &second), 1);
    EXPECT_EQ(Lines(list), QStringList({"a", "b"}));
    EXPECT_EQ(list.Objects(1), &first);
}

TEST(StringsSorted, DupAcceptKeepsEqualLinesInTheOrderAdded) {
    TStringList list;
    QObject first, second, third;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    list.Add(QStringLiteral("z"));
    list.AddObject(QStringLiteral("k"), &first);
    list.Add(QStringLiteral("a"));
    list.AddObject(QStringLiteral("K"), &second);
    EXPECT_EQ(list.AddObject(QStringLiteral("k"), &third), 3);
    EXPECT_EQ(Lines(list), QStringList({"a", "k", "K", "k", "z"}));
    EXPECT_EQ(list.Objects(1), &first);
    EXPECT_EQ(list.Objects(2), &second);
    EXPECT_EQ(list.Objects(3), &third);
}

TEST(StringsSorted, DupErrorRaisesAndLeavesTheListAlone) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    list.SetCommaText(QStringLiteral("b,a"));
    EXPECT_EQ(MessageOf([&] { list.Add(QStringLiteral("A")); }), "Duplicates not allowed");
    TStringList more;
    more.SetCommaText(QStringLiteral("c,B"));
    EXPECT_EQ(MessageOf([&] { list.AddStrings(&more); }), "Duplicates not allowed");
    more.SetCommaText(QStringLiteral("c,d,C"));
    EXPECT_EQ(MessageOf([&] { list.AddStrings(&more); }), "Duplicates not allowed");
    EXPECT_EQ(Lines(list), QStringList({"a", "b"}));
}

TEST(StringsSorted, PositionalEditsAreRejected) {
    TStringList list;
    list.SetCommaText(QStringLiteral("b,a"));
    list.SetSorted(true);
    const std::string error = "Operation not allowed on sorted list";
    EXPECT_EQ(MessageOf([&] { list.Insert(0, QStringLiteral("c")); }), error);
    EXPECT_EQ(MessageOf([&] { list.SetStrings(0, QStringLiteral("c")); }), error);
    EXPECT_EQ(MessageOf([&] { list.Exchange(0, 1); }), error);
    EXPECT_EQ(MessageOf([&] { list.Move(0, 1); }), error);
    EXPECT_EQ(MessageOf([&] { list.CustomSort([](TStringList*, int, int) { return 0; }); }), error);
    EXPECT_EQ(Lines(list), QStringList({"a", "b"}));
}

TEST(StringsSorted, SortingFollowsCaseSensitivityAndIsStable) {
    TStringList list;
    list.SetCommaText(QStringLiteral("b,A,a,B"));
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), QStringList({"A", "a", "b", "B"}));
    list.SetCaseSensitive(true);
    EXPECT_EQ(Lines(list), QStringList({"A", "B", "a", "b"}));
    list.SetSorted(false);
    list.Add(QStringLiteral("0"));
    EXPECT_EQ(list.Strings(4), QStringLiteral("0"));
}

TEST(StringsSorted, SortKeepsEqualLinesInTheirOrder) {
    TStringList list;
    QObject objects[60];
    for (int i = 0; i < 60; ++i) {
        const QString letter(QChar(u'a' + i * 7 % 3));
        list.AddObject(i % 2 ? letter.toUpper() : letter, &objects[i]);
    }
    list.Sort();
    for (int i = 1; i < list.Count(); ++i) {
        const int order = list[i - 1].compare(list[i], Qt::CaseInsensitive);
        ASSERT_LE(order, 0) << i;
        if (order == 0) {
            ASSERT_LT(list.Objects(i - 1), list.Objects(i)) << i;
        }
    }
}

TEST(StringsSorted, SortAndCustomSortReorderAnUnsortedList) {
    TStringList list;
    QObject object;
    list.SetCommaText(QStringLiteral("ccc,a,bb,dd"));
    list.SetObjects(0, &object);
    list.CustomSort([](TStringList* l, int i, int j) {
        return int(l->Strings(i).size() - l->Strings(j).size());
    });
    EXPECT_EQ(Lines(list), QStringList({"a", "bb", "dd", "ccc"}));
    EXPECT_EQ(list.Objects(3), &object);
    list.Sort();
    EXPECT_EQ(Lines(list), QStringList({"a", "bb", "ccc", "dd"}));
    EXPECT_FALSE(list.Sorted());
}

TEST(StringsSorted, AddingManyLinesAtOnceMatchesAddingThemOneByOne) {
    TStringList source;
    QList<QObject*> objects;
    for (int i = 0; i < 200; ++i)
        objects.append(new QObject(&source));
    QRandomGenerator random(42);
    for (int i = 0; i < 2000; ++i) {
        QString s = QString::number(random.bounded(300), 36);
        if (random.bounded(2))
            s = s.toUpper();
        source.AddObject(s, objects[random.bounded(int(objects.size()))]);
    }
    for (TDuplicates duplicates : {dupIgnore, dupAccept}) {
        TStringList bulk, single;
        for (TStringList* list : {&bulk, &single}) {
            list->SetSorted(true);
            list->SetDuplicates(duplicates);
            list->SetCommaText(QStringLiteral("5,a,B"));
        }
        bulk.AddStrings(&source);
        for (int i = 0; i < source.Count(); ++i)
            single.AddObject(source[i], source.Objects(i));
        EXPECT_EQ(Lines(bulk), Lines(single)) << EnumName(duplicates).toStdString();
        for (int i = 0; i < bulk.Count(); ++i)
            ASSERT_EQ(bulk.Objects(i), single.Objects(i)) << i;
    }
}

TEST(StringsText, EveryLineIsFollowedByALineBreak) {
    TStringList list;
    EXPECT_EQ(list.Text(), QString());
    list.Add(QStringLiteral("a"));
    list.Add(QString());
    list.Add(QStringLiteral("b"));
    EXPECT_EQ(list.Text(), QStringLiteral("a\n\nb\n"));
}

TEST(StringsText, SettingSplitsAtEveryKindOfLineBreak) {
    TStringList list;
    list.SetText(QStringLiteral("a\r\nb\nc\rd"));
    EXPECT_EQ(Lines(list), QStringList({"a", "b", "c", "d"}));
    list.SetText(QStringLiteral("x\r\ny\r\n"));
    EXPECT_EQ(Lines(list), QStringList({"x", "y"}));
    EXPECT_EQ(list.Text(), QStringLiteral("x\ny\n"));
    list.SetText(QStringLiteral("\r\n\r\n"));
    EXPECT_EQ(Lines(list), QStringList({"", ""}));
    list.SetText(QStringLiteral("a\r\r\nb\n\n"));
    EXPECT_EQ(Lines(list), QStringList({"a", "", "b", ""}));
    list.SetText(QString());
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringsText, TextRoundTrips) {
    TStringList list;
    QObject object;
    const QStringList lines({"first", "", "  indented", "last"});
    for (const QString& line : lines)
        list.Add(line);
    TStringList copy;
    copy.AddObject(QStringLiteral("old"), &object);
    copy.SetText(list.Text());
    EXPECT_EQ(Lines(copy), lines);
    EXPECT_EQ(copy.IndexOfObject(&object), -1);
}

TEST(StringsCommaText, QuotesValuesWithBlanksDelimitersOrQuotes) {
    TStringList list;
    for (const char* s : {"plain", "with space", "a,b", "say \"hi\"", "", "tab\there", "end"})
        list.Add(QString::fromUtf8(s));
    const QString text = list.CommaText();
    EXPECT_EQ(text,
              QStringLiteral("plain,\"with space\",\"a,b\",\"say \"\"hi\"\"\",,\"tab\there\",end"));
    TStringList copy;
    copy.SetCommaText(text);
    EXPECT_TRUE(copy.Equals(&list));
}

TEST(StringsCommaText, EmptyLinesSurviveARoundTrip) {
    TStringList list;
    list.Add(QString());
    EXPECT_EQ(list.CommaText(), QStringLiteral("\"\""));
    list.SetCommaText(list.CommaText());
    EXPECT_EQ(Lines(list), QStringList({""}));
    list.Add(QString());
    list.Add(QStringLiteral("a"));
    list.Add(QString());
    EXPECT_EQ(list.CommaText(), QStringLiteral(",,a,"));
    list.SetCommaText(list.CommaText());
    EXPECT_EQ(Lines(list), QStringList({"", "", "a", ""}));
    list.SetCommaText(QString());
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringsCommaText, UnquotedBlanksSeparateValues) {
    TStringList list;
    list.SetCommaText(QStringLiteral("  a b,  c , \"d e\"x,\"unclosed ,"));
    EXPECT_EQ(Lines(list), QStringList({"a", "b", "c", "d e", "x", "unclosed ,"}));
}

TEST(StringsCommaText, DelimitedTextUsesDelimiterAndQuoteChar) {
    TStringList list;
    list.SetDelimiter(u';');
    list.SetQuoteChar(u'\'');
    list.SetDelimitedText(QStringLiteral("'a;b';c,d;'it''s'"));
    EXPECT_EQ(Lines(list), QStringList({"a;b", "c,d", "it's"}));
    EXPECT_EQ(list.DelimitedText(), QStringLiteral("'a;b';c,d;'it''s'"));
    EXPECT_EQ(list.CommaText(), QStringLiteral("a;b,\"c,d\",it's"));
}

TEST(StringsValues, NamesAndValuesSplitAtTheFirstSeparator) {
    TStringList list;
    list.SetText(QStringLiteral("Name=Kro\nEmpty=\nNo separator\nExpr=a=b\n"));
    EXPECT_EQ(list.Names(0), QStringLiteral("Name"));
    EXPECT_EQ(list.ValueFromIndex(0), QStringLiteral("Kro"));
    EXPECT_EQ(list.Names(2), QString());
    EXPECT_EQ(list.ValueFromIndex(2), QString());
    EXPECT_EQ(list.Values(QStringLiteral("name")), QStringLiteral("Kro"));
    EXPECT_EQ(list.Values(QStringLiteral("expr")), QStringLiteral("a=b"));
    EXPECT_EQ(list.Values(QStringLiteral("No separator")), QString());
    EXPECT_EQ(list.IndexOfName(QStringLiteral("EMPTY")), 1);
    EXPECT_EQ(list.IndexOfName(QStringLiteral("No separator")), -1);
}

TEST(StringsValues, SettingReplacesAddsOrDeletes) {
    TStringList list;
    QObject object;
    list.SetText(QStringLiteral("a=1\nb=2\n"));
    list.SetObjects(0, &object);
    list.SetValues(QStringLiteral("A"), QStringLiteral("10"));
    list.SetValues(QStringLiteral("c"), QStringLiteral("3"));
    EXPECT_EQ(Lines(list), QStringList({"A=10", "b=2", "c=3"}));
    EXPECT_EQ(list.Objects(0), &object);
    list.SetValues(QStringLiteral("b"), QString());
    list.SetValues(QStringLiteral("missing"), QString());
    EXPECT_EQ(Lines(list), QStringList({"A=10", "c=3"}));
}

TEST(StringsValues, SeparatorCanBeChanged) {
    TStringList list;
    list.SetNameValueSeparator(u':');
    list.SetValues(QStringLiteral("host"), QStringLiteral("db=main"));
    EXPECT_EQ(list.Strings(0), QStringLiteral("host:db=main"));
    EXPECT_EQ(list.Values(QStringLiteral("HOST")), QStringLiteral("db=main"));
    EXPECT_EQ(list.Names(0), QStringLiteral("host"));
}

TEST(StringsAssign, CopiesLinesAndObjectsReplacingTheOldOnes) {
    TStringList source, target;
    QObject first, second;
    source.AddObject(QStringLiteral("one"), &first);
    source.AddObject(QStringLiteral("two"), &second);
    target.SetCommaText(QStringLiteral("x,y,z"));
    target.Assign(&source);
    EXPECT_EQ(Lines(target), QStringList({"one", "two"}));
    EXPECT_EQ(target.Objects(0), &first);
    EXPECT_EQ(target.Objects(1), &second);
    source.SetStrings(0, QStringLiteral("changed"));
    EXPECT_EQ(target.Strings(0), QStringLiteral("one"));
    target.Assign(&target);
    EXPECT_EQ(Lines(target), QStringList({"one", "two"}));
}

TEST(StringsAssign, OtherSourcesRaiseConvertError) {
    TStringList list;
    TPersistent other;
    EXPECT_THROW(list.Assign(&other), EConvertError);
    EXPECT_THROW(list.Assign(nullptr), EConvertError);
}

TEST(StringsAssign, AddStringsOfItselfDoublesTheList) {
    TStringList list;
    QObject object;
    list.AddObject(QStringLiteral("a"), &object);
    list.Add(QStringLiteral("b"));
    list.AddStrings(&list);
    EXPECT_EQ(Lines(list), QStringList({"a", "b", "a", "b"}));
    EXPECT_EQ(list.Objects(2), &object);
}

TEST(StringsAssign, EqualsComparesLinesWithCase) {
    TStringList a, b;
    a.SetCommaText(QStringLiteral("x,y"));
    b.SetCommaText(QStringLiteral("x,y"));
    EXPECT_TRUE(a.Equals(&b));
    b.SetStrings(1, QStringLiteral("Y"));
    EXPECT_FALSE(a.Equals(&b));
    b.SetStrings(1, QStringLiteral("y"));
    b.Add(QStringLiteral("z"));
    EXPECT_FALSE(a.Equals(&b));
    EXPECT_FALSE(a.Equals(nullptr));
}

TEST(StringsBase, MoveExchangeAndAddWorkThroughThePrimitives) {
    TPlainStrings list;
    QObject object;
    list.Add(QStringLiteral("a"));
    EXPECT_EQ(list.AddObject(QStringLiteral("b"), &object), 1);
    list.Add(QStringLiteral("c"));
    list.Move(1, 2);
    EXPECT_EQ(Lines(list), QStringList({"a", "c", "b"}));
    EXPECT_EQ(list.Objects(2), &object);
    list.Exchange(2, 0);
    EXPECT_EQ(Lines(list), QStringList({"b", "c", "a"}));
    EXPECT_EQ(list.Objects(0), &object);
    EXPECT_EQ(list.Objects(2), nullptr);
    EXPECT_EQ(list.UpdateStates, QList<bool>({true, false, true, false}));
    EXPECT_THROW(list.Move(0, 3), EListError);
    EXPECT_EQ(Lines(list), QStringList({"b", "c", "a"}));
}

TEST(StringsBase, TextAndAssignWorkBetweenDescendants) {
    TPlainStrings plain;
    QObject object;
    plain.SetText(QStringLiteral("x=1\r\ny z\n"));
    EXPECT_EQ(plain.UpdateStates, QList<bool>({true, false}));
    EXPECT_EQ(plain.CommaText(), QStringLiteral("x=1,\"y z\""));
    EXPECT_EQ(plain.Values(QStringLiteral("X")), QStringLiteral("1"));
    EXPECT_EQ(plain.IndexOf(QStringLiteral("Y Z")), 1);
    plain.SetObjects(1, &object);

    TStringList list;
    list.Assign(&plain);
    EXPECT_EQ(list.Text(), QStringLiteral("x=1\ny z\n"));
    EXPECT_EQ(list.Objects(1), &object);

    list.Add(QStringLiteral("w"));
    plain.Assign(&list);
    EXPECT_EQ(Lines(plain), QStringList({"x=1", "y z", "w"}));
    EXPECT_EQ(plain.Objects(1), &object);
}

TEST(StringsFiles, SaveAndLoadUtf8Files) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("lines.txt"));
    TStringList list;
    list.SetText(QStringLiteral("Größe\n\nÉté\n"));
    list.SaveToFile(name);
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QStringLiteral("Größe\n\nÉté\n").toUtf8());
    TStringList loaded;
    loaded.LoadFromFile(name);
    EXPECT_TRUE(loaded.Equals(&list));
}

TEST(StringsFiles, LoadingSkipsAByteOrderMarkAndReadsCrLf) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("bom.txt"));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBFone\r\ntwo\r\n");
    file.close();
    TStringList list;
    list.LoadFromFile(name);
    EXPECT_EQ(Lines(list), QStringList({"one", "two"}));
}

TEST(StringsFiles, FilesThatCannotBeOpenedRaiseInOutError) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    TStringList list;
    list.Add(QStringLiteral("kept"));
    const std::string loadError = MessageOf([&] { list.LoadFromFile(missing); });
    EXPECT_NE(loadError.find(missing.toStdString()), std::string::npos) << loadError;
    EXPECT_THROW(list.LoadFromFile(missing), EInOutError);
    const QString badPath = dir.filePath(QStringLiteral("no/such/dir/out.txt"));
    EXPECT_THROW(list.SaveToFile(badPath), EInOutError);
    EXPECT_EQ(Lines(list), QStringList({"kept"}));
}

TEST(StringsFiles, StreamsAreReadFromTheCurrentPosition) {
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    buffer.write("header|");
    TStringList list;
    list.SetCommaText(QStringLiteral("a,b"));
    list.SaveToStream(&buffer);
    EXPECT_EQ(buffer.data(), QByteArray("header|a\nb\n"));
    buffer.seek(7);
    TStringList loaded;
    loaded.LoadFromStream(&buffer);
    EXPECT_EQ(Lines(loaded), QStringList({"a", "b"}));
}

} // namespace
