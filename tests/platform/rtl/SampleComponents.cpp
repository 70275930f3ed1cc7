#include "SampleComponents.h"

#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>
#include <rtl/Reader.h>
#include <rtl/Writer.h>

TSampleItem::TSampleItem(TCollection* Collection) : TCollectionItem(Collection) {}

TSample::TSample(TComponent* AOwner)
    : TComponent(AOwner), FFont(new TFont(this)), FLines(new TStringList(this)),
      FItems(new TCollection(&TSampleItem::staticMetaObject, this)) {}

void TSample::SetBuddy(TSample* v) {
    if (FBuddy)
        FBuddy->RemoveFreeNotification(this);
    FBuddy = v;
    if (v)
        v->FreeNotification(this);
    BuddyWasSetWhileLoading = IsLoading();
}

void TSample::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBuddy)
        FBuddy = nullptr;
}

void TSample::DefineProperties(TFiler& Filer) {
    TComponent::DefineProperties(Filer);
    Filer.DefineProperty(
        QStringLiteral("Extra"),
        [this](TReader& reader) {
            reader.ReadListBegin();
            Extra.clear();
            while (!reader.EndOfList())
                Extra << reader.ReadString();
            reader.ReadListEnd();
        },
        [this](TWriter& writer) {
            writer.WriteListBegin();
            for (const QString& s : Extra)
                writer.WriteString(s);
            writer.WriteListEnd();
        },
        !Extra.isEmpty());
    Filer.DefineProperty(
        QStringLiteral("ExtraNumber"),
        [this](TReader& reader) { ExtraNumber = int(reader.ReadInteger()); },
        [this](TWriter& writer) { writer.WriteInteger(ExtraNumber); }, ExtraNumber != 0);
    Filer.DefineBinaryProperty(
        QStringLiteral("Thumbnail"), [this](const QByteArray& data) { Thumbnail = data; },
        [this] { return Thumbnail; }, !Thumbnail.isEmpty());
}

void TSample::Loaded() {
    TComponent::Loaded();
    ++LoadedCalls;
    if (FCaption == QLatin1String("refuse"))
        throw EComponentError(QStringLiteral("The sample refuses to load"));
}

TSampleRepublished::TSampleRepublished(TComponent* AOwner) : TSample(AOwner) {}

void TSampleRepublished::Refill() {
    Items()->Clear();
    for (int i = 0; i < Lines()->Count(); ++i)
        static_cast<TSampleItem*>(Items()->Add())->SetTitle(Lines()->Strings(i));
}

void TSampleRepublished::Loaded() {
    TSample::Loaded();
    Refill();
}

TSampleRoot::TSampleRoot(TComponent* AOwner) : TComponent(AOwner) {}

void TSampleRoot::SampleChange(TObject* Sender) {
    Changes << Sender;
}

void TSampleRoot::SampleQuery(TObject*, bool& Allow) {
    ++Queries;
    Allow = false;
}

void TSampleRoot::SampleShade(TObject*, TSampleShade& Shade) {
    Shade = shDark;
}

void TSampleRoot::WrongSignature(int) {}

void RegisterSampleClasses() {
    RegisterClass<TSample>();
    RegisterClass<TSampleRoot>();
    RegisterClass<TSampleRepublished>();
}
