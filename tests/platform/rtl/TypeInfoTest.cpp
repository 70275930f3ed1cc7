#include "SampleComponents.h"

#include <cmath>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <rtl/TypeInfo.h>

namespace {

TEST(PropertyAccess, AbsentPropertyIsANormalAnswer) {
    TSample sample;
    EXPECT_FALSE(GetPropInfo(&sample, QStringLiteral("SortingList")));
    EXPECT_FALSE(IsPublishedProp(&sample, QStringLiteral("objectName")));
    EXPECT_TRUE(IsPublishedProp(&sample, QStringLiteral("caption"))); // names ignore case
    EXPECT_FALSE(GetPropInfo(static_cast<QObject*>(nullptr), QStringLiteral("Caption")));
    EXPECT_THROW(GetStrProp(&sample, QStringLiteral("SortingList")), EPropertyError);
}

TEST(PropertyAccess, RepublishedPropertyIsTheDescendantsOnly) {
    TSampleRepublished sample;
    sample.SetCount(9);
    sample.Lines()->Add(QStringLiteral("one"));
    sample.Refill();
    int counts = 0, items = 0;
    for (const TPropInfo& info : GetPropInfos(&sample)) {
        counts += info.Name() == QLatin1String("Count");
        items += info.Name() == QLatin1String("Items");
    }
    EXPECT_EQ(counts, 1);
    EXPECT_EQ(items, 1);
    for (const char* name : {"Count", "count"}) {
        const TPropInfo count = GetPropInfo(&sample, QString::fromLatin1(name));
        EXPECT_FALSE(count.IsWritable()) << name;
        EXPECT_EQ(ReadProp(&sample, count).toInt(), 1) << name;
    }
    EXPECT_EQ(GetPropInfo(&sample, QStringLiteral("ITEMS")).Kind(), tkInteger);
    EXPECT_EQ(GetOrdProp(&sample, QStringLiteral("items")), 1);
    EXPECT_THROW(SetOrdProp(&sample, QStringLiteral("Count"), 3), EPropertyError);
    EXPECT_EQ(sample.Count(), 9);
}

TEST(PropertyAccess, KindsOfPublishedProperties) {
    TSample sample;
    const QList<QPair<const char*, TTypeKind>> expected = {
        {"Count", tkInteger},    {"Big", tkInt64},      {"Active", tkEnumeration},
        {"Ratio", tkFloat},      {"Caption", tkString}, {"Letter", tkChar},
        {"Kind", tkEnumeration}, {"Kinds", tkSet},      {"Color", tkInteger},
        {"Stamp", tkDateTime},   {"Data", tkBinary},    {"Value", tkVariant},
        {"Buddy", tkClass},      {"Font", tkClass},     {"OnChange", tkMethod},
        {"OnQuery", tkMethod},   {"Name", tkString},    {"Tag", tkInteger}};
    for (const auto& [name, kind] : expected)
        EXPECT_EQ(GetPropInfo(&sample, QString::fromLatin1(name)).Kind(), kind) << name;
}

TEST(PropertyAccess, OrdinalPropertiesReadAndWriteByName) {
    TSample sample;
    SetOrdProp(&sample, QStringLiteral("Count"), 42);
    SetOrdProp(&sample, QStringLiteral("Active"), 1);
    SetOrdProp(&sample, QStringLiteral("Kind"), skSecond);
    SetOrdProp(&sample, QStringLiteral("Kinds"), qint64(TSampleKinds{skFirst, skThird}.Bits()));
    SetOrdProp(&sample, QStringLiteral("Color"), 10930928);
    SetOrdProp(&sample, QStringLiteral("Big"), qint64(1) << 40);
    EXPECT_EQ(sample.Count(), 42);
    EXPECT_TRUE(sample.Active());
    EXPECT_EQ(sample.Kind(), skSecond);
    EXPECT_EQ(sample.Kinds(), (TSampleKinds{skFirst, skThird}));
    EXPECT_EQ(sample.Color(), TColor(10930928));
    EXPECT_EQ(sample.Big(), qint64(1) << 40);
    EXPECT_EQ(GetOrdProp(&sample, QStringLiteral("Kind")), skSecond);
    EXPECT_EQ(GetOrdProp(&sample, QStringLiteral("Kinds")), 0b1010);
    EXPECT_EQ(GetOrdProp(&sample, QStringLiteral("Color")), 10930928);
    EXPECT_THROW(SetOrdProp(&sample, QStringLiteral("Caption"), 1), EPropertyError);
}

TEST(PropertyAccess, ValuesThatDoNotFitAreRefused) {
    TSample sample;
    sample.SetCount(7);
    sample.SetKind(skFirst);
    EXPECT_THROW(SetOrdProp(&sample, QStringLiteral("Count"), qint64(1) << 40), EPropertyError);
    EXPECT_THROW(SetOrdProp(&sample, QStringLiteral("Kind"), 4), EPropertyError);
    EXPECT_THROW(SetOrdProp(&sample, QStringLiteral("Kinds"), 1 << 4), EPropertyError);
    EXPECT_THROW(SetPropValue(&sample, QStringLiteral("Count"), 1e65), EConvertError);
    EXPECT_THROW(SetPropValue(&sample, QStringLiteral("Count"), -1e300), EConvertError);
    EXPECT_EQ(sample.Count(), 7);
    EXPECT_EQ(sample.Kind(), skFirst);
    SetPropValue(&sample, QStringLiteral("Count"), 2.6);
    EXPECT_EQ(sample.Count(), 3);
    SetOrdProp(&sample, QStringLiteral("Kinds"), 0b1111);
    EXPECT_EQ(sample.Kinds(), (TSampleKinds{skNone, skFirst, skSecond, skThird}));
}

TEST(PropertyAccess, EnumerationsByName) {
    TSample sample;
    SetEnumProp(&sample, QStringLiteral("Kind"), QStringLiteral("skthird"));
    EXPECT_EQ(sample.Kind(), skThird);
    EXPECT_EQ(GetEnumProp(&sample, QStringLiteral("Kind")), QStringLiteral("skThird"));
    EXPECT_EQ(GetEnumProp(&sample, QStringLiteral("Active")), QStringLiteral("False"));
    EXPECT_THROW(SetEnumProp(&sample, QStringLiteral("Kind"), QStringLiteral("skFourth")),
                 EPropertyError);
    EXPECT_EQ(sample.Kind(), skThird);
    EXPECT_EQ(EnumName(skFirst), QStringLiteral("skFirst"));
}

TEST(PropertyAccess, StringsFloatsAndVariants) {
    TSample sample;
    SetStrProp(&sample, QStringLiteral("Caption"), QStringLiteral("People"));
    EXPECT_EQ(GetStrProp(&sample, QStringLiteral("Caption")), QStringLiteral("People"));
    SetFloatProp(&sample, QStringLiteral("Ratio"), 2.5);
    EXPECT_DOUBLE_EQ(GetFloatProp(&sample, QStringLiteral("Ratio")), 2.5);
    // Values a form file cannot hold are refused, the property keeping its value.
    EXPECT_THROW(SetFloatProp(&sample, QStringLiteral("Ratio"), std::nan("")), EPropertyError);
    EXPECT_THROW(SetPropValue(&sample, QStringLiteral("Ratio"), QStringLiteral("-inf")),
                 EPropertyError);
    EXPECT_DOUBLE_EQ(GetFloatProp(&sample, QStringLiteral("Ratio")), 2.5);
    EXPECT_THROW(SetStrProp(&sample, QStringLiteral("ReadOnlyText"), QStringLiteral("x")),
                 EPropertyError);

    SetPropValue(&sample, QStringLiteral("Value"), Null());
    EXPECT_TRUE(VarIsNull(sample.Value()));
    SetPropValue(&sample, QStringLiteral("Value"), QString());
    EXPECT_FALSE(VarIsNull(sample.Value()));
    SetPropValue(&sample, QStringLiteral("Value"), VarArrayOf({1, QStringLiteral("a")}));
    EXPECT_TRUE(VarIsArray(GetPropValue(&sample, QStringLiteral("Value"))));
}

TEST(PropertyAccess, ComponentReferencesAreTypeChecked) {
    TComponent owner;
    auto* a = new TSample(&owner);
    auto* b = new TSample(&owner);
    SetObjectProp(a, QStringLiteral("Buddy"), b);
    EXPECT_EQ(a->Buddy(), b);
    EXPECT_EQ(GetObjectProp(a, QStringLiteral("Buddy")), b);
    auto* plain = new TComponent(&owner);
    EXPECT_THROW(SetObjectProp(a, QStringLiteral("Buddy"), plain), EPropertyError);
    EXPECT_EQ(a->Buddy(), b);
    SetObjectProp(a, QStringLiteral("Buddy"), nullptr);
    EXPECT_EQ(a->Buddy(), nullptr);
    EXPECT_EQ(GetObjectProp(a, QStringLiteral("Font")), a->Font());
}

TEST(EventProperties, HandlersReadAndWrittenByName) {
    TSampleRoot root;
    auto* sample = new TSample(&root);
    sample->SetOnChange(TNotifyEvent::Bind(&root, "SampleChange"));
    const TMethod method = GetMethodProp(sample, QStringLiteral("OnChange"));
    EXPECT_TRUE(method.IsAssigned());
    EXPECT_EQ(method.Data(), &root);
    EXPECT_EQ(method.MethodName(), QByteArray("SampleChange"));

    auto* other = new TSample(&root);
    SetMethodProp(other, QStringLiteral("OnChange"), method);
    other->OnChange()(other);
    EXPECT_EQ(root.Changes, QList<TObject*>{other});

    SetMethodProp(other, QStringLiteral("OnChange"), TMethod());
    EXPECT_FALSE(other->OnChange().IsAssigned());
    other->OnChange()(other); // an unassigned event does nothing
    EXPECT_EQ(root.Changes.size(), 1);
}

TEST(EventProperties, VarArgumentsReachTheCaller) {
    TSampleRoot root;
    TSample sample(&root);
    sample.SetOnQuery(TQueryEvent::Bind(&root, "SampleQuery"));
    bool allow = true;
    sample.OnQuery()(&sample, allow);
    EXPECT_FALSE(allow);
    EXPECT_EQ(root.Queries, 1);
}

TEST(EventProperties, AVarArgumentOfAnEnumerationBindsBeforeItsTypeIsRegistered) {
    TSampleRoot root;
    const auto event = TEvent<TObject*, TSampleShade&>::Bind(&root, "SampleShade");
    ASSERT_TRUE(event.IsAssigned());
    TSampleShade shade = shPale;
    event(&root, shade);
    EXPECT_EQ(shade, shDark);
}

TEST(EventProperties, MismatchedSignaturesAreRefused) {
    TSampleRoot root;
    TSample sample(&root);
    EXPECT_FALSE(TNotifyEvent::Bind(&root, "WrongSignature").IsAssigned());
    EXPECT_FALSE(TNotifyEvent::Bind(&root, "NoSuchMethod").IsAssigned());
    // A handler of one event type does not fit an event of another.
    const TMethod change = TNotifyEvent::Bind(&root, "SampleChange");
    EXPECT_THROW(SetMethodProp(&sample, QStringLiteral("OnQuery"), change), EPropertyError);
    EXPECT_FALSE(sample.OnQuery().IsAssigned());
    // A lambda has no name but works as a handler.
    int calls = 0;
    sample.SetOnChange([&calls](TObject*) { ++calls; });
    SetMethodProp(&sample, QStringLiteral("OnChange"),
                  GetMethodProp(&sample, QStringLiteral("OnChange")));
    sample.OnChange()(&sample);
    EXPECT_EQ(calls, 1);
}

TEST(EventProperties, HandlerOfADestroyedObjectIsNotCalled) {
    TSample sample;
    auto* root = new TSampleRoot;
    sample.SetOnChange(TNotifyEvent(root, &TSampleRoot::SampleChange));
    sample.OnChange()(&sample);
    EXPECT_EQ(root->Changes.size(), 1);
    delete root;
    sample.OnChange()(&sample); // must not reach the destroyed root
    EXPECT_EQ(sample.OnChange().Data(), nullptr);
}

} // namespace
