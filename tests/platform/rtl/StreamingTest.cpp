#include "SampleComponents.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>
#include <rtl/GlobalRoots.h>
#include <rtl/Streaming.h>
#include <rtl/TypeInfo.h>

namespace {

class Streaming : public ::testing::Test {
protected:
    void SetUp() override { RegisterSampleClasses(); }
};

// A root holding two samples with every kind of stored value set.
std::unique_ptr<TSampleRoot> MakeRichRoot() {
    auto root = std::make_unique<TSampleRoot>();
    root->SetName(QStringLiteral("FormSample"));
    auto* first = new TSample(root.get());
    first->SetName(QStringLiteral("First"));
    auto* second = new TSample(root.get());
    second->SetName(QStringLiteral("Second"));

    first->SetCount(-7);
    first->SetTag(19);
    first->SetBig(qint64(1) << 40);
    first->SetActive(true);
    first->SetRatio(0.1);
    first->SetCaption(QStringLiteral("It's a \"caption\"\r\nwith € and two lines"));
    first->SetLetter(QLatin1Char('Q'));
    first->SetKind(skSecond);
    first->SetKinds({skNone, skThird});
    first->SetColor(TColor(10930928));
    first->SetStamp(QDateTime(QDate(2024, 2, 29), QTime(13, 45, 30, 250)));
    first->SetDay(QDate(1999, 12, 31));
    first->SetData(QByteArray("\x00\x01\xFEpicture", 10));
    first->SetValue(VarArrayOf({1, QStringLiteral("x"), Null(), 2.5, true}));
    first->SetBuddy(second);
    first->Font()->SetName(QStringLiteral("Arial"));
    first->Font()->SetStyle({fsBold, fsUnderline});
    first->Font()->SetColor(clInfoBk);
    first->Lines()->SetText(QStringLiteral("select * from Lang.db\norder by id\n"));
    auto* item = static_cast<TSampleItem*>(first->Items()->Add());
    item->SetTitle(QStringLiteral("Name"));
    item->SetLink(second);
    static_cast<TSampleItem*>(first->Items()->Add())->SetWidth(10);
    first->SetOnChange(TNotifyEvent::Bind(root.get(), "SampleChange"));
    first->SetOnQuery(TQueryEvent::Bind(root.get(), "SampleQuery"));
    first->Extra = QStringList{QStringLiteral("one"), QStringLiteral("two")};
    first->ExtraNumber = 5;
    first->Thumbnail = QByteArray(100, '\x7F') + QByteArray("\0end", 4);
    second->SetBuddy(first);
    second->SetValue(QString()); // empty text, not Null
    return root;
}

TSampleRoot* ReadRoot(const QString& text, const char* file = "test.form") {
    return static_cast<TSampleRoot*>(ReadComponentFromText(text, QString::fromLatin1(file)));
}

TEST_F(Streaming, RoundTripKeepsEveryKindOfValue) {
    const auto original = MakeRichRoot();
    const QString text = WriteComponentToText(original.get());
    std::unique_ptr<TSampleRoot> copy(ReadRoot(text));

    ASSERT_EQ(copy->ComponentCount(), 2);
    auto* first = static_cast<TSample*>(copy->FindComponent(QStringLiteral("First")));
    auto* second = static_cast<TSample*>(copy->FindComponent(QStringLiteral("Second")));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(copy->Name(), QStringLiteral("FormSample"));
    EXPECT_EQ(first->Count(), -7);
    EXPECT_EQ(first->Tag(), 19);
    EXPECT_EQ(first->Big(), qint64(1) << 40);
    EXPECT_TRUE(first->Active());
    EXPECT_EQ(first->Ratio(), 0.1);
    EXPECT_EQ(first->Caption(), QStringLiteral("It's a \"caption\"\r\nwith € and two lines"));
    EXPECT_EQ(first->Letter(), QLatin1Char('Q'));
    EXPECT_EQ(first->Kind(), skSecond);
    EXPECT_EQ(first->Kinds(), (TSampleKinds{skNone, skThird}));
    EXPECT_EQ(first->Color(), TColor(10930928));
    EXPECT_EQ(first->Stamp(), QDateTime(QDate(2024, 2, 29), QTime(13, 45, 30, 250)));
    EXPECT_EQ(first->Day(), QDate(1999, 12, 31));
    EXPECT_EQ(first->Data(), QByteArray("\x00\x01\xFEpicture", 10));
    EXPECT_TRUE(
        VarSameValue(first->Value(), VarArrayOf({1, QStringLiteral("x"), Null(), 2.5, true})));
    EXPECT_FALSE(VarIsNull(second->Value()));
    EXPECT_EQ(second->Value().toString(), QString());
    EXPECT_EQ(first->Buddy(), second);
    EXPECT_EQ(second->Buddy(), first);
    EXPECT_EQ(first->Font()->Name(), QStringLiteral("Arial"));
    EXPECT_EQ(first->Font()->Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(first->Font()->Color(), clInfoBk);
    EXPECT_EQ(first->Lines()->Count(), 2);
    EXPECT_EQ(first->Lines()->Strings(1), QStringLiteral("order by id"));
    ASSERT_EQ(first->Items()->Count(), 2);
    auto* item = static_cast<TSampleItem*>(first->Items()->Items(0));
    EXPECT_EQ(item->Title(), QStringLiteral("Name"));
    EXPECT_EQ(item->Link(), second);
    EXPECT_EQ(static_cast<TSampleItem*>(first->Items()->Items(1))->Width(), 10);
    EXPECT_EQ(first->Extra, (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_EQ(first->ExtraNumber, 5);
    EXPECT_EQ(first->Thumbnail, QByteArray(100, '\x7F') + QByteArray("\0end", 4));
    EXPECT_TRUE(second->Thumbnail.isEmpty());

    // Handlers are bound to the new root's methods.
    first->OnChange()(first);
    EXPECT_EQ(copy->Changes, QList<TObject*>{first});
    bool allow = true;
    first->OnQuery()(first, allow);
    EXPECT_FALSE(allow);
    EXPECT_TRUE(original->Changes.isEmpty());

    // Writing the copy gives the same text.
    EXPECT_EQ(WriteComponentToText(copy.get()), text);
}

TEST_F(Streaming, DefaultsAreNotWrittenAndNamesUseColourIdents) {
    TSampleRoot root;
    root.SetName(QStringLiteral("Root"));
    auto* sample = new TSample(&root);
    sample->SetName(QStringLiteral("Plain"));
    EXPECT_EQ(WriteComponentToText(&root),
              QStringLiteral("object Root: TSampleRoot\n  object Plain: TSample\n  end\nend\n"));
    sample->SetColor(clInfoBk);
    sample->SetOnChange([](TObject*) {}); // an unnamed handler cannot be stored
    EXPECT_TRUE(WriteComponentToText(&root).contains(QStringLiteral("    Color = clInfoBk\n")));
    EXPECT_FALSE(WriteComponentToText(&root).contains(QStringLiteral("OnChange")));
}

TEST_F(Streaming, LoadedRunsOnceAfterReferencesAreResolved) {
    const QString text = QStringLiteral("object Root: TSampleRoot\n"
                                        "  object A: TSample\n    Buddy = B\n  end\n"
                                        "  object B: TSample\n    Buddy = A\n  end\n"
                                        "end\n");
    std::unique_ptr<TSampleRoot> root(ReadRoot(text));
    auto* a = static_cast<TSample*>(root->FindComponent(QStringLiteral("A")));
    auto* b = static_cast<TSample*>(root->FindComponent(QStringLiteral("B")));
    EXPECT_EQ(a->Buddy(), b); // a forward reference
    EXPECT_TRUE(a->BuddyWasSetWhileLoading);
    EXPECT_EQ(a->LoadedCalls, 1);
    EXPECT_EQ(b->LoadedCalls, 1);
    EXPECT_FALSE(a->IsLoading());
    EXPECT_FALSE(root->IsLoading());
}

TEST_F(Streaming, ReferencesAcrossRootsWaitForTheOtherRoot) {
    const QString module = QStringLiteral("object DModCross: TSampleRoot\n  object TbJob: TSample\n"
                                          "    Buddy = FormCross.DataSource1\n  end\nend\n");
    const QString form =
        QStringLiteral("object FormCross: TSampleRoot\n  object DataSource1: TSample\n"
                       "    Buddy = DModCross.TbJob\n  end\nend\n");

    std::unique_ptr<TSampleRoot> dmod(ReadRoot(module, "dmod.form"));
    auto* job = static_cast<TSample*>(dmod->FindComponent(QStringLiteral("TbJob")));
    EXPECT_EQ(job->Buddy(), nullptr);
    EXPECT_TRUE(GlobalRoots::Pending()
                    .join(QLatin1Char('\n'))
                    .contains(QStringLiteral("dmod.form(3): FormCross.DataSource1")));

    std::unique_ptr<TSampleRoot> people(ReadRoot(form, "form.form"));
    auto* source = static_cast<TSample*>(people->FindComponent(QStringLiteral("DataSource1")));
    EXPECT_EQ(job->Buddy(), source);
    EXPECT_EQ(source->Buddy(), job);
    EXPECT_TRUE(GlobalRoots::Pending().isEmpty());

    // The written reference names the other root.
    EXPECT_TRUE(
        WriteComponentToText(dmod.get()).contains(QStringLiteral("Buddy = FormCross.DataSource1")));

    // Destroying the other root clears the reference.
    people.reset();
    EXPECT_EQ(job->Buddy(), nullptr);
}

// A waiting reference that meets a component of the wrong class is a read error of the file
// that holds it; the root just read goes, and later reads are not troubled by it.
TEST_F(Streaming, AWaitingReferenceToTheWrongClassIsAReadErrorOfItsFile) {
    const QString module = QStringLiteral("object DModWrong: TSampleRoot\n  object TbJob: TSample\n"
                                          "    Buddy = FormWrong.Inner\n  end\nend\n");
    const QString form =
        QStringLiteral("object FormWrong: TSampleRoot\n  object Inner: TSampleRoot\n"
                       "  end\nend\n");
    std::unique_ptr<TSampleRoot> dmod(ReadRoot(module, "dmod.form"));
    try {
        delete ReadRoot(form, "form.form");
        ADD_FAILURE() << "the wrong class was accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("dmod.form(3): FormWrong.Inner is a TSampleRoot, "
                                              "which does not suit Buddy"));
    }
    EXPECT_EQ(GlobalRoots::Find(QStringLiteral("FormWrong")), nullptr) << "not left registered";
    EXPECT_TRUE(GlobalRoots::Pending().isEmpty());
    auto* job = static_cast<TSample*>(dmod->FindComponent(QStringLiteral("TbJob")));
    EXPECT_EQ(job->Buddy(), nullptr);

    // The same form reads now, and so do others.
    std::unique_ptr<TSampleRoot> again(ReadRoot(form, "form.form"));
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(job->Buddy(), nullptr);
}

TEST_F(Streaming, RepublishedPropertiesAreStoredOnceAsTheDescendantDeclaresThem) {
    TSampleRoot root;
    root.SetName(QStringLiteral("Root"));
    auto* sample = new TSampleRepublished(&root);
    sample->SetName(QStringLiteral("Combo"));
    sample->SetCount(9); // hidden by the read-only Count
    sample->SetCaption(QStringLiteral("  Country  "));
    sample->Lines()->SetText(QStringLiteral("Spain\nFrance\n"));
    sample->Refill();
    sample->SetTag(4);

    const QString text = WriteComponentToText(&root);
    EXPECT_EQ(text.count(QStringLiteral("Caption = 'Country'\n")), 1);
    EXPECT_FALSE(text.contains(QStringLiteral("Count =")));
    EXPECT_FALSE(text.contains(QStringLiteral("Items")));

    std::unique_ptr<TSampleRoot> copy(ReadRoot(text));
    auto* read = static_cast<TSampleRepublished*>(copy->FindComponent(QStringLiteral("Combo")));
    ASSERT_NE(read, nullptr);
    for (const char* name : {"Count", "Caption", "Items", "Tag"})
        EXPECT_EQ(GetPropValue(read, QString::fromLatin1(name)),
                  GetPropValue(sample, QString::fromLatin1(name)))
            << name;
    EXPECT_EQ(GetOrdProp(read, QStringLiteral("Items")), 2);
    EXPECT_EQ(WriteComponentToText(copy.get()), text);
}

TEST_F(Streaming, ReadingIntoAnExistingInstanceKeepsItOnFailure) {
    TSampleRoot root;
    const QString good = QStringLiteral(
        "object Existing: TSampleRoot\n  Tag = 9\n  object A: TSample\n  end\nend\n");
    ReadComponentFromText(good, QStringLiteral("good.form"), &root);
    EXPECT_EQ(root.Tag(), 9);
    EXPECT_EQ(root.Name(), QStringLiteral("Existing"));
    EXPECT_EQ(root.ComponentCount(), 1);

    TSampleRoot other;
    const QString bad = QStringLiteral("object Other: TSampleRoot\n  object A: TSample\n  end\n"
                                       "  object B: TSample\n    Count = 'x'\n  end\nend\n");
    EXPECT_THROW(ReadComponentFromText(bad, QStringLiteral("bad.form"), &other), EReadError);
    EXPECT_EQ(other.ComponentCount(), 0);

    TSample wrongClass;
    EXPECT_THROW(ReadComponentFromText(good, QStringLiteral("good.form"), &wrongClass), EReadError);
}

TEST_F(Streaming, AFailedReadIntoAnInstanceGivesBackWhatItChanged) {
    TSampleRoot root;
    root.SetTag(5);
    auto* inner = new TSample(&root);
    inner->SetName(QStringLiteral("Inner"));
    inner->SetCount(1);
    inner->Font()->SetName(QStringLiteral("Serif"));
    const QString bad = QStringLiteral("object Other: TSampleRoot\n  Tag = 7\n"
                                       "  inherited Inner: TSample\n    Count = 3\n"
                                       "    Font.Name = 'Arial'\n  end\n"
                                       "  object B: TSample\n    Count = 'x'\n  end\nend\n");
    EXPECT_THROW(ReadComponentFromText(bad, QStringLiteral("bad.form"), &root), EReadError);
    EXPECT_EQ(root.Tag(), 5);
    EXPECT_TRUE(root.Name().isEmpty());
    EXPECT_EQ(root.ComponentCount(), 1);
    EXPECT_EQ(inner->Count(), 1);
    EXPECT_EQ(inner->Font()->Name(), QStringLiteral("Serif"));
    EXPECT_FALSE(inner->IsLoading());
    EXPECT_FALSE(root.IsLoading());
}

TEST_F(Streaming, AFailedReadIntoAnInstanceGivesBackItsListsAndCollections) {
    TSampleRoot root;
    auto* other = new TSample(&root);
    other->SetName(QStringLiteral("Other"));
    auto* inner = new TSample(&root);
    inner->SetName(QStringLiteral("Inner"));
    inner->Lines()->Add(QStringLiteral("first"));
    inner->Lines()->Add(QStringLiteral("second"));
    auto* item = static_cast<TSampleItem*>(inner->Items()->Add());
    item->SetTitle(QStringLiteral("kept"));
    item->SetWidth(12);
    item->SetLink(other);
    const QString bad =
        QStringLiteral("object Root: TSampleRoot\n"
                       "  inherited Inner: TSample\n"
                       "    Lines.Strings = (\n      'replaced')\n"
                       "    Items = <\n      item\n        Title = 'new'\n      end\n"
                       "      item\n        Title = 'newer'\n      end>\n"
                       "  end\n"
                       "  object B: TSample\n    Count = 'x'\n  end\nend\n");
    EXPECT_THROW(ReadComponentFromText(bad, QStringLiteral("bad.form"), &root), EReadError);
    EXPECT_EQ(inner->Lines()->Text(), QStringLiteral("first\nsecond\n"));
    ASSERT_EQ(inner->Items()->Count(), 1);
    const auto* restored = static_cast<TSampleItem*>(inner->Items()->Items(0));
    EXPECT_EQ(restored->Title(), QStringLiteral("kept"));
    EXPECT_EQ(restored->Width(), 12);
    EXPECT_EQ(restored->Link(), other);

    // A read that succeeds keeps what it read.
    const QString good = QStringLiteral("object Root: TSampleRoot\n"
                                        "  inherited Inner: TSample\n"
                                        "    Lines.Strings = (\n      'replaced')\n"
                                        "    Items = <>\n  end\nend\n");
    ReadComponentFromText(good, QStringLiteral("good.form"), &root);
    EXPECT_EQ(inner->Lines()->Text(), QStringLiteral("replaced\n"));
    EXPECT_EQ(inner->Items()->Count(), 0);
}

TEST_F(Streaming, ErrorsNameTheComponentOrTheProperty) {
    // A component that fails in Loaded is named with its own line, not the last reference's.
    const QString refusing = QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                            "    Caption = 'refuse'\n  end\n"
                                            "  object B: TSample\n    Buddy = A\n  end\nend\n");
    try {
        delete ReadComponentFromText(refusing, QStringLiteral("refusing.form"));
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("refusing.form(2): A (TSample): The sample refuses to load"));
    }
    // A value the property's type refuses names the property.
    try {
        delete ReadComponentFromText(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                                    "    Stamp = 'someday'\n  end\nend\n"),
                                     QStringLiteral("stamp.form"));
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("stamp.form(3): Property Stamp: ")))
            << e.Message().toStdString();
    }
}

TEST_F(Streaming, InheritedObjectsReuseComponentsTheInstanceMade) {
    TSampleRoot root;
    auto* inner = new TSample(&root);
    inner->SetName(QStringLiteral("Inner"));
    ReadComponentFromText(QStringLiteral("object R: TSampleRoot\n  inherited Inner: TSample\n"
                                         "    Count = 3\n  end\nend\n"),
                          QStringLiteral("inh.form"), &root);
    EXPECT_EQ(root.ComponentCount(), 1);
    EXPECT_EQ(inner->Count(), 3);
    EXPECT_EQ(inner->LoadedCalls, 1);
}

// Each damaged form raises EReadError naming file and line, and leaves nothing behind.
void ExpectReadError(const QString& text, int line, const QString& what) {
    try {
        delete ReadComponentFromText(text, QStringLiteral("damaged.form"));
        ADD_FAILURE() << "no error for: " << text.toStdString();
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("damaged.form(%1): ").arg(line)))
            << e.what();
        EXPECT_TRUE(e.Message().contains(what)) << e.what();
    }
}

TEST_F(Streaming, DamagedFormsAreReportedWithFileAndLine) {
    ExpectReadError(QStringLiteral("object R: TNoSuchRoot\nend\n"), 1,
                    QStringLiteral("Class TNoSuchRoot not found"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TNoSuch\n  end\nend\n"), 2,
                    QStringLiteral("Class TNoSuch not found"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Colour = clRed\n  end\nend\n"),
                    3, QStringLiteral("Property Colour does not exist in TSample"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Count = 'seven'\n  end\nend\n"),
                    3, QStringLiteral("Invalid property value for Count"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Kind = skFifth\n  end\nend\n"),
                    3, QStringLiteral("Invalid property value for Kind"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Kinds = [skFirst, skNone, skMore]\n  end\nend\n"),
                    3, QStringLiteral("Invalid set member skMore"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Buddy = Nobody\n  end\nend\n"),
                    3, QStringLiteral("Unresolved reference to Nobody"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Buddy = R\n  end\nend\n"),
                    3, QStringLiteral("does not suit Buddy"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    OnChange = Missing\n  end\nend\n"),
                    3, QStringLiteral("Method Missing not found"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    OnChange = SampleQuery\n  end\nend\n"),
                    3, QStringLiteral("Method SampleQuery not found"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n  end\n"
                                   "  object a: TSample\n  end\nend\n"),
                    4, QStringLiteral("already exists"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Font.Nme = 'x'\n  end\nend\n"),
                    3, QStringLiteral("Property Nme does not exist in TFont"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Extra = 12\n  end\nend\n"),
                    3, QStringLiteral("List expected"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    Items = <\n      item\n        Wide = 1\n      end>\n"
                                   "  end\nend\n"),
                    5, QStringLiteral("Property Wide does not exist in TSampleItem"));
    ExpectReadError(QStringLiteral("object R: TSampleRoot\n  object A: TSample\n"
                                   "    ReadOnlyText = 'x'\n  end\nend\n"),
                    3, QStringLiteral("Property ReadOnlyText does not exist"));
}

// Values that do not fit their property are errors, never stored cut or wrapped.
TEST_F(Streaming, OutOfRangeValuesAreReadErrors) {
    const auto sample = [](const char* line) {
        return QStringLiteral("object R: TSampleRoot\n  object A: TSample\n    %1\n  end\nend\n")
            .arg(QLatin1String(line));
    };
    ExpectReadError(sample("Count = 99999999999"), 3,
                    QStringLiteral("Value 99999999999 is out of range for property Count"));
    ExpectReadError(sample("Count = -2147483649"), 3,
                    QStringLiteral("out of range for property Count"));
    ExpectReadError(sample("Kind = 99"), 3, QStringLiteral("out of range for property Kind"));
    ExpectReadError(sample("Kind = -1"), 3, QStringLiteral("out of range for property Kind"));
    ExpectReadError(sample("Day = 1e9"), 3, QStringLiteral("Invalid property value for Day"));
    ExpectReadError(sample("Stamp = 1e300"), 3, QStringLiteral("Invalid property value for Stamp"));
    ExpectReadError(sample("Stamp = -1e300"), 3,
                    QStringLiteral("Invalid property value for Stamp"));

    // The extremes that fit are kept.
    std::unique_ptr<TSampleRoot> root(
        ReadRoot(sample("Count = -2147483648")
                     .replace(QStringLiteral("end\nend"),
                              QStringLiteral("end\n  object B: TSample\n    Big = "
                                             "-$8000000000000000\n    Day = 2958465\n"
                                             "    Kind = 3\n  end\nend"))));
    const auto* a = static_cast<TSample*>(root->FindComponent(QStringLiteral("A")));
    const auto* b = static_cast<TSample*>(root->FindComponent(QStringLiteral("B")));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Count(), std::numeric_limits<int>::min());
    EXPECT_EQ(b->Big(), std::numeric_limits<qint64>::min());
    EXPECT_EQ(b->Day(), QDate(9999, 12, 31));
    EXPECT_EQ(b->Kind(), TSampleKind(3));
}

// Damages a real form in many ways; every read either succeeds or raises a read error.
TEST_F(Streaming, DamagedVariantsNeverCrash) {
    const auto original = MakeRichRoot();
    const QString text = WriteComponentToText(original.get());
    QRandomGenerator random(20261208);
    int failures = 0, successes = 0;
    auto attempt = [&](const QString& damaged) {
        try {
            delete ReadComponentFromText(damaged, QStringLiteral("fuzz.form"));
            ++successes;
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("fuzz.form("))) << e.what();
            ++failures;
        }
    };
    for (qsizetype cut = 0; cut < text.size(); cut += 7)
        attempt(text.left(cut));
    const QString noise = QStringLiteral("'#()<>[]{}=+.,:$-0123456789eEaz \n\t\x7F€");
    for (int i = 0; i < 1500; ++i) {
        QString damaged = text;
        const int edits = 1 + int(random.bounded(3));
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = random.bounded(int(damaged.size()));
            switch (random.bounded(4)) {
            case 0:
                damaged.remove(at, 1 + random.bounded(5));
                break;
            case 1:
                damaged[at] = noise[random.bounded(int(noise.size()))];
                break;
            case 2:
                damaged.insert(at, noise[random.bounded(int(noise.size()))]);
                break;
            default:
                damaged.insert(at, damaged.mid(random.bounded(int(damaged.size())), 20));
                break;
            }
        }
        attempt(damaged);
    }
    EXPECT_GT(failures, 1000);
    EXPECT_GT(successes, 0);
}

} // namespace
