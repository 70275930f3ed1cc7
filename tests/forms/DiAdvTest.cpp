#include <forms/DiAdv.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Component.h>
#include <rtl/Font.h>
#include <rtl/Strings.h>
#include <rtl/TypeInfo.h>

namespace {

class TDataThing : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString SortingList READ SortingList)
    Q_PROPERTY(int Count READ Count WRITE SetCount)
    Q_PROPERTY(TDataThing* Master READ Master WRITE SetMaster)
    Q_PROPERTY(TNotifyEvent AfterPost READ AfterPost WRITE SetAfterPost)
    Q_PROPERTY(TNotifyEvent OnEditData READ OnEditData WRITE SetOnEditData)
public:
    Q_INVOKABLE explicit TDataThing(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v) { FCaption = v; }
    QString SortingList() const { return QStringLiteral("Name;Id"); }
    int Count() const { return FCount; }
    void SetCount(int v) { FCount = v; }
    TDataThing* Master() const { return FMaster; }
    void SetMaster(TDataThing* v) { FMaster = v; }
    TNotifyEvent AfterPost() const { return FAfterPost; }
    void SetAfterPost(const TNotifyEvent& v) { FAfterPost = v; }
    TNotifyEvent OnEditData() const { return FOnEditData; }
    void SetOnEditData(const TNotifyEvent& v) { FOnEditData = v; }

private:
    QString FCaption;
    int FCount = 0;
    TDataThing* FMaster = nullptr;
    TNotifyEvent FAfterPost, FOnEditData;
};

// Publishes Count again read-only (the caption's length) and Caption as its first line.
class TCountedThing : public TDataThing {
    Q_OBJECT
    Q_PROPERTY(int Count READ CaptionLength)
    Q_PROPERTY(QString Caption READ FirstLine WRITE SetCaption)
public:
    Q_INVOKABLE explicit TCountedThing(TComponent* AOwner = nullptr) : TDataThing(AOwner) {}
    int CaptionLength() const { return int(FirstLine().size()); }
    QString FirstLine() const { return Caption().section(QLatin1Char('\n'), 0, 0); }
};

using TQueryEvent = TEvent<TObject*, bool&>;

// Has AfterPost of another type, and no OnEditData.
class TOtherThing : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TQueryEvent AfterPost READ AfterPost WRITE SetAfterPost)
public:
    explicit TOtherThing(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    TQueryEvent AfterPost() const { return FAfterPost; }
    void SetAfterPost(const TQueryEvent& v) { FAfterPost = v; }

private:
    TQueryEvent FAfterPost;
};

class TDataForm : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TDataForm(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    Q_INVOKABLE void TbPeopleAfterPost(TObject* Sender) { Posted << Sender; }
    QList<TObject*> Posted;
};

TEST(PadString, PlacesTextInExactlyWidthCharacters) {
    const QString abc = QStringLiteral("abc");
    EXPECT_EQ(PadString(abc, 7, taLeftJustify), QStringLiteral("abc    "));
    EXPECT_EQ(PadString(abc, 7, taRightJustify), QStringLiteral("    abc"));
    EXPECT_EQ(PadString(abc, 7, taCenter), QStringLiteral("  abc  "));
    EXPECT_EQ(PadString(abc, 6, taCenter), QStringLiteral(" abc  "));
    EXPECT_EQ(PadString(abc, 2, taRightJustify), QStringLiteral("ab"));
    EXPECT_EQ(PadString(abc, 3, taCenter), abc);
    EXPECT_EQ(PadString(abc, 0, taLeftJustify), QString());
    EXPECT_EQ(PadString(QString(), 3, taCenter), QStringLiteral("   "));
}

TEST(StringPropertiesByName, MissingOrOtherPropertiesGiveEmptyAndFalse) {
    TDataThing thing;
    EXPECT_TRUE(SetStrPropByName(&thing, QStringLiteral("Caption"), QStringLiteral("People")));
    EXPECT_EQ(GetStrPropByName(&thing, QStringLiteral("Caption")), QStringLiteral("People"));
    EXPECT_EQ(GetStrPropByName(&thing, QStringLiteral("SortingList")), QStringLiteral("Name;Id"));
    EXPECT_EQ(GetStrPropByName(&thing, QStringLiteral("UniqueFields")), QString());
    EXPECT_EQ(GetStrPropByName(&thing, QStringLiteral("Count")), QString());
    EXPECT_FALSE(SetStrPropByName(&thing, QStringLiteral("UniqueFields"), QStringLiteral("Id")));
    EXPECT_FALSE(SetStrPropByName(&thing, QStringLiteral("Count"), QStringLiteral("3")));
    EXPECT_FALSE(SetStrPropByName(&thing, QStringLiteral("SortingList"), QStringLiteral("x")));
    EXPECT_EQ(thing.Count(), 0);
}

TEST(CopyEventHandlers, CopiesHandlersOfSameNamedCompatibleEvents) {
    TDataForm form;
    TDataThing source, dest;
    source.SetAfterPost(TNotifyEvent::Bind(&form, "TbPeopleAfterPost"));
    int edits = 0;
    source.SetOnEditData([&edits](TObject*) { ++edits; });
    CopyEventHandlers(&source, &dest);
    dest.AfterPost()(&dest);
    dest.OnEditData()(&dest);
    EXPECT_EQ(form.Posted, QList<TObject*>{&dest});
    EXPECT_EQ(edits, 1);

    TOtherThing other;
    CopyEventHandlers(&source, &other); // AfterPost differs in type: left alone
    EXPECT_FALSE(other.AfterPost().IsAssigned());
}

TEST(GetFontMetrics, MeasuresTextInTheFont) {
    TFont font;
    font.SetName(QStringLiteral("Courier New"));
    font.SetHeight(-16);
    const QSize zero = GetFontMetrics(&font, QString());
    const QSize five = GetFontMetrics(&font, QStringLiteral("00000"));
    EXPECT_GT(zero.width(), 0);
    EXPECT_EQ(five.width(), 5 * zero.width()); // a fixed-pitch font
    EXPECT_GE(zero.height(), 16);
    EXPECT_EQ(five.height(), zero.height());
    font.SetHeight(-32);
    EXPECT_GT(GetFontMetrics(&font, QString()).width(), zero.width());
}

TEST(CloneComponent, CopiesPropertiesReferencesAndHandlers) {
    TDataForm form;
    auto* master = new TDataThing(&form);
    master->SetName(QStringLiteral("TbMaster"));
    auto* original = new TDataThing(&form);
    original->SetName(QStringLiteral("TbPeople"));
    original->SetCaption(QStringLiteral("People"));
    original->SetCount(3);
    original->SetMaster(master);
    original->SetAfterPost(TNotifyEvent::Bind(&form, "TbPeopleAfterPost"));

    std::unique_ptr<TComponent> clone(CloneComponent(original));
    auto* copy = qobject_cast<TDataThing*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, original);
    EXPECT_EQ(copy->Owner(), nullptr);
    EXPECT_EQ(copy->Name(), QStringLiteral("TbPeople"));
    EXPECT_EQ(copy->Caption(), QStringLiteral("People"));
    EXPECT_EQ(copy->Count(), 3);
    EXPECT_EQ(copy->Master(), master);
    copy->AfterPost()(copy);
    EXPECT_EQ(form.Posted, QList<TObject*>{copy});
    EXPECT_EQ(form.ComponentCount(), 2);
}

TEST(CloneComponent, RepublishedPropertiesAreCopiedOnce) {
    TDataForm form;
    auto* original = new TCountedThing(&form);
    original->SetName(QStringLiteral("TbCounted"));
    original->SetCount(12); // hidden by the read-only Count
    original->SetCaption(QStringLiteral("People\nand more"));

    std::unique_ptr<TComponent> clone(CloneComponent(original));
    auto* copy = qobject_cast<TCountedThing*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Caption(), QStringLiteral("People"));
    EXPECT_EQ(GetOrdProp(copy, QStringLiteral("Count")), 6);
    EXPECT_EQ(copy->Count(), 0); // the hidden value is not stored
}

} // namespace

#include "DiAdvTest.moc"
