#include "Reader.h"

#include "ClassRegistry.h"
#include "Collection.h"
#include "Color.h"
#include "Component.h"
#include "Enums.h"
#include "Exceptions.h"
#include "GlobalRoots.h"
#include "Persistent.h"
#include "Writer.h"

#include <QDateTime>
#include <optional>

namespace {

bool SameText(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

const QDate DateBase(1899, 12, 30);

// A date and time given as days since DateBase, within the years 1 to 9999.
std::optional<QDateTime> DateTimeOfDays(double Days) {
    constexpr double FirstDay = -693593; // 0001-01-01
    constexpr double LastDay = 2958466;  // the day after 9999-12-31
    if (!(Days >= FirstDay && Days < LastDay))
        return std::nullopt;
    return QDateTime(DateBase, QTime(0, 0)).addMSecs(qint64(Days * 86400000.0));
}

} // namespace

TReader::TReader(QString fileName) : FFileName(std::move(fileName)) {}

TReader::~TReader() = default;

void TReader::Error(const QString& what) const {
    throw EReadError(QStringLiteral("%1(%2): %3").arg(FFileName).arg(FLine).arg(what));
}

TComponent* TReader::ReadRoot(const TFormObject& tree, TComponent* instance, TComponent* owner,
                              TComponent* lookupRoot) {
    FLine = tree.Line;
    try {
        if (instance) {
            FRoot = instance;
            const TComponentClass named = GetClass(tree.ClassName);
            if (tree.ClassName.compare(QString::fromLatin1(instance->metaObject()->className()),
                                       Qt::CaseInsensitive) != 0 &&
                !(named && instance->metaObject()->inherits(named)))
                Error(QStringLiteral("The form file is for class %1, not %2")
                          .arg(tree.ClassName, instance->ClassName()));
        } else {
            FRoot = CreateRoot(tree, owner);
            FOwnsRoot = true;
        }
        FLookupRoot = lookupRoot ? lookupRoot : FRoot;
        FRoot->BeginLoading();
        FLoaded.append(FRoot);
        FLoadedLines.append(tree.Line);
        FPriorName = FRoot->Name();
        if (FRoot->Name().isEmpty() && !tree.Name.isEmpty())
            FRoot->SetName(tree.Name);
        ReadObject(FRoot, tree);
        ResolveFixups();
        for (qsizetype i = 0; i < FLoaded.size(); ++i)
            if (TComponent* component = FLoaded[i]) {
                FLine = FLoadedLines[i];
                try {
                    component->Loaded();
                } catch (const Exception& e) {
                    Error(QStringLiteral("%1 (%2): %3")
                              .arg(component->Name(), component->ClassName(), e.Message()));
                }
            }
        if (!lookupRoot)
            if (const QStringList refused = GlobalRoots::Register(FRoot); !refused.isEmpty())
                throw EReadError(refused.join(QLatin1Char('\n')));
    } catch (const EReadError&) {
        Cleanup();
        throw;
    } catch (const Exception& e) {
        Cleanup();
        Error(e.Message());
    }
    return FRoot;
}

TComponent* TReader::CreateRoot(const TFormObject& tree, TComponent* owner) {
    const TComponentClass cls = GetClass(tree.ClassName);
    if (!cls)
        Error(QStringLiteral("Class %1 not found").arg(tree.ClassName));
    return CreateComponent(cls, owner);
}

void TReader::Assign(QObject* object, const TPropInfo& info, const Variant& value) {
    if (KeepsPriorState() && info.Property().isReadable())
        FPriorValues.append({object, info, ReadProp(object, info)});
    WriteProp(object, info, value);
}

void TReader::KeepPriorCollection(TCollection* collection) {
    if (!KeepsPriorState())
        return;
    for (const TPriorCollection& prior : std::as_const(FPriorCollections))
        if (prior.Collection == collection)
            return;
    FPriorCollections.append({collection, TWriter(FRoot).CollectionValue(collection)});
}

void TReader::KeepPriorObject(QObject* object) {
    auto* persistent = qobject_cast<TPersistent*>(object);
    if (!persistent || !KeepsPriorState())
        return;
    for (const TPriorObject& prior : std::as_const(FPriorObjects))
        if (prior.Object == persistent)
            return;
    // Only classes that can be made without arguments are copied.
    std::shared_ptr<TPersistent> copy(
        static_cast<TPersistent*>(persistent->metaObject()->newInstance()));
    if (!copy)
        return;
    try {
        copy->Assign(persistent);
    } catch (const Exception&) {
        return;
    }
    FPriorObjects.append({persistent, std::move(copy)});
}

void TReader::Cleanup() {
    FFixups.clear();
    for (qsizetype i = FCreated.size() - 1; i >= 0; --i)
        delete FCreated[i].data();
    if (FOwnsRoot) {
        delete FRoot;
    } else if (FRoot) {
        RestorePriorState();
        FRoot->SetName(FPriorName);
        for (const QPointer<TComponent>& component : std::as_const(FLoaded))
            if (component && component->IsLoading())
                component->Loaded();
    }
    FCreated.clear();
    FLoaded.clear();
    FLoadedLines.clear();
    FPriorValues.clear();
    FPriorCollections.clear();
    FPriorObjects.clear();
    FRoot = nullptr;
}

// What the read changed on objects it did not make: sub-objects, then collections, then
// the plain values last change first (a sub-object's change may have touched its holder's
// values). The objects it made are gone with their values. A value an object refuses now
// stays as the read left it.
void TReader::RestorePriorState() {
    FRestoring = true;
    for (const TPriorObject& prior : std::as_const(FPriorObjects))
        if (prior.Object) {
            try {
                prior.Object->Assign(prior.Copy.get());
            } catch (const Exception&) {
            }
        }
    for (const TPriorCollection& prior : std::as_const(FPriorCollections))
        if (prior.Collection) {
            try {
                ReadCollectionValue(prior.Collection, prior.Items);
            } catch (const Exception&) {
            }
        }
    for (qsizetype i = FPriorValues.size() - 1; i >= 0; --i)
        if (const TPriorValue& prior = FPriorValues[i]; prior.Instance) {
            try {
                WriteProp(prior.Instance, prior.Property, prior.Value);
            } catch (const Exception&) {
            }
        }
    try {
        ResolveFixups(); // the references of the collections' items
    } catch (const Exception&) {
    }
}

void TReader::ReadObject(TComponent* component, const TFormObject& node) {
    ReadProperties(component, node.Properties);
    ReadChildren(component, node);
}

void TReader::ReadChildren(TComponent* parent, const TFormObject& node) {
    TComponent* owner = FRoot->GetChildOwner();
    if (!owner)
        owner = FRoot;
    for (const TFormObject& childNode : node.Children) {
        FLine = childNode.Line;
        TComponent* child = nullptr;
        try {
            if (childNode.Inherited) {
                child = owner->FindComponent(childNode.Name);
                if (!child)
                    Error(QStringLiteral("Inherited component %1 not found").arg(childNode.Name));
            } else {
                const TComponentClass cls = GetClass(childNode.ClassName);
                if (!cls)
                    Error(QStringLiteral("Class %1 not found").arg(childNode.ClassName));
                child = CreateComponent(cls, nullptr);
                FCreated.append(child);
                child->SetName(childNode.Name);
                owner->InsertComponent(child);
            }
            child->BeginLoading();
            FLoaded.append(child);
            FLoadedLines.append(childNode.Line);
            child->SetParentComponent(parent->GetChildParent());
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            Error(e.Message());
        }
        const bool readingCreated = FReadingCreated;
        FReadingCreated = !childNode.Inherited;
        ReadObject(child, childNode);
        FReadingCreated = readingCreated;
    }
}

void TReader::ReadProperties(QObject* object, const QList<TFormProperty>& properties) {
    for (const TFormProperty& property : properties)
        ReadProperty(object, property);
}

void TReader::ReadProperty(QObject* object, const TFormProperty& property) {
    FLine = property.Line;
    try {
        const QStringList path = property.Name.split(QLatin1Char('.'));
        QObject* target = object;
        for (qsizetype i = 0; i + 1 < path.size(); ++i) {
            const TPropInfo info = GetPropInfo(target, path[i]);
            QObject* sub =
                info && info.Kind() == tkClass ? ReadProp(target, info).value<QObject*>() : nullptr;
            if (!sub || qobject_cast<TComponent*>(sub))
                Error(QStringLiteral("Property %1 of %2 is not an object with properties")
                          .arg(path[i], QString::fromLatin1(target->metaObject()->className())));
            target = sub;
            KeepPriorObject(sub);
        }
        const QString& name = path.last();
        const TPropInfo info = GetPropInfo(target, name);
        if (info && info.IsWritable())
            SetValue(target, info, property.Value);
        else if (info && info.Kind() == tkClass && property.Value.Kind == TFormValue::vkCollection)
            SetClassValue(target, info, property.Value);
        else if (!ReadDefinedProperty(target, name, property.Value))
            Error(QStringLiteral("Property %1 does not exist in %2")
                      .arg(name, QString::fromLatin1(target->metaObject()->className())));
    } catch (const EReadError&) {
        throw;
    } catch (const Exception& e) {
        Error(QStringLiteral("Property %1: %2").arg(property.Name, e.Message()));
    }
}

bool TReader::ReadDefinedProperty(QObject* object, const QString& name, const TFormValue& value) {
    auto* persistent = qobject_cast<TPersistent*>(object);
    if (!persistent)
        return false;
    FDefinedName = name;
    FDefinedValue = &value;
    FDefinedFound = false;
    persistent->DefineProperties(*this);
    const bool found = FDefinedFound;
    FDefinedName.clear();
    FDefinedValue = nullptr;
    return found;
}

void TReader::DefineProperty(const QString& Name, const TReaderProc& ReadData, const TWriterProc&,
                             bool) {
    if (FDefinedFound || !FDefinedValue || Name.compare(FDefinedName, Qt::CaseInsensitive) != 0)
        return;
    FDefinedFound = true;
    if (!ReadData)
        return;
    const TFormValue* value = FDefinedValue;
    const QList<TCursor> saved = FCursors;
    FCursors = {{value, 0}};
    ReadData(*this);
    FCursors = saved;
}

void TReader::DefineBinaryProperty(const QString& Name, const TBinaryReadProc& ReadData,
                                   const TBinaryWriteProc&, bool) {
    if (FDefinedFound || !FDefinedValue || Name.compare(FDefinedName, Qt::CaseInsensitive) != 0)
        return;
    FDefinedFound = true;
    if (FDefinedValue->Kind != TFormValue::vkBinary)
        Error(QStringLiteral("Binary data expected for %1").arg(Name));
    if (ReadData)
        ReadData(FDefinedValue->Binary);
}

void TReader::SetValue(QObject* object, const TPropInfo& info, const TFormValue& value) {
    auto invalid = [&] { Error(QStringLiteral("Invalid property value for %1").arg(info.Name())); };
    switch (info.Kind()) {
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkEnumeration:
    case tkSet:
        SetOrdinal(object, info, value);
        return;
    case tkFloat:
        if (value.Kind == TFormValue::vkFloat)
            Assign(object, info, value.Float);
        else if (value.Kind == TFormValue::vkInteger)
            Assign(object, info, double(value.Integer));
        else
            invalid();
        return;
    case tkString:
        if (value.Kind != TFormValue::vkString)
            invalid();
        Assign(object, info, value.Text);
        return;
    case tkDateTime: {
        QDateTime dt;
        if (value.Kind == TFormValue::vkString)
            dt = VarToDateTime(value.Text);
        else if (value.Kind == TFormValue::vkFloat || value.Kind == TFormValue::vkInteger)
            dt = DateTimeOfDays(value.Kind == TFormValue::vkFloat ? value.Float
                                                                  : double(value.Integer))
                     .value_or(QDateTime());
        if (!dt.isValid() && value.Kind != TFormValue::vkString)
            invalid();
        QVariant v(dt);
        if (info.Type().id() == QMetaType::QDate)
            v = dt.date();
        else if (info.Type().id() == QMetaType::QTime)
            v = dt.time();
        Assign(object, info, v);
        return;
    }
    case tkBinary:
        if (value.Kind != TFormValue::vkBinary)
            invalid();
        Assign(object, info, value.Binary);
        return;
    case tkVariant:
        Assign(object, info, ValueAsVariant(value));
        return;
    case tkClass:
        SetClassValue(object, info, value);
        return;
    case tkMethod:
        SetMethod(object, info, value);
        return;
    case tkUnknown:
    case tkRecord:
        break;
    }
    Error(QStringLiteral("Property %1 cannot be read from a form file").arg(info.Name()));
}

void TReader::SetOrdinal(QObject* object, const TPropInfo& info, const TFormValue& value) {
    const QMetaType type = info.Type();
    std::optional<qint64> ordinal;
    if (value.Kind == TFormValue::vkInteger && info.Kind() != tkSet) {
        ordinal = value.Integer;
    } else if (value.Kind == TFormValue::vkIdent && type.id() == QMetaType::Bool) {
        if (SameText(value.Text, "True"))
            ordinal = 1;
        else if (SameText(value.Text, "False"))
            ordinal = 0;
    } else if (value.Kind == TFormValue::vkIdent && type == QMetaType::fromType<TColor>()) {
        TColor color;
        if (IdentToColor(value.Text, color))
            ordinal = color;
    } else if (value.Kind == TFormValue::vkIdent && info.Kind() == tkEnumeration) {
        if (const auto* names = EnumRegistry::EnumOf(type))
            if (auto found = EnumRegistry::OrdinalOf(*names, value.Text))
                ordinal = *found;
    } else if (value.Kind == TFormValue::vkSet && info.Kind() == tkSet) {
        const auto* names = EnumRegistry::SetOf(type);
        quint64 bits = 0;
        for (const QString& member : value.Members) {
            const auto found = EnumRegistry::OrdinalOf(*names, member);
            if (!found)
                Error(QStringLiteral("Invalid set member %1 for %2").arg(member, info.Name()));
            bits |= quint64(1) << *found;
        }
        ordinal = qint64(bits);
    } else if (value.Kind == TFormValue::vkString && info.Kind() == tkChar &&
               value.Text.size() == 1) {
        ordinal = value.Text[0].unicode();
    }
    if (!ordinal)
        Error(QStringLiteral("Invalid property value for %1").arg(info.Name()));
    CheckOrdinalRange(info, *ordinal);
    Assign(object, info, OrdVariant(type, *ordinal));
}

void TReader::SetClassValue(QObject* object, const TPropInfo& info, const TFormValue& value) {
    if (value.Kind == TFormValue::vkCollection) {
        auto* collection = qobject_cast<TCollection*>(ReadProp(object, info).value<QObject*>());
        if (!collection)
            Error(QStringLiteral("Property %1 is not a collection").arg(info.Name()));
        ReadCollectionValue(collection, value);
        return;
    }
    if (value.Kind != TFormValue::vkIdent)
        Error(QStringLiteral("Invalid property value for %1").arg(info.Name()));
    if (SameText(value.Text, "nil")) {
        Assign(object, info, QVariant(info.Type(), nullptr));
        return;
    }
    FFixups.append({object, info, value.Text, FLine});
}

void TReader::SetMethod(QObject* object, const TPropInfo& info, const TFormValue& value) {
    if (value.Kind != TFormValue::vkIdent)
        Error(QStringLiteral("Invalid property value for %1").arg(info.Name()));
    const auto* event = EventRegistry::Find(info.Type());
    if (SameText(value.Text, "nil")) {
        Assign(object, info, event->ToVariant(TMethod()));
        return;
    }
    const TMethod method = event->Bind(FLookupRoot, value.Text.toLatin1());
    if (!method.IsAssigned())
        Error(QStringLiteral("Method %1 not found in %2 or its parameters do not suit %3")
                  .arg(value.Text, FLookupRoot->ClassName(), info.Name()));
    Assign(object, info, event->ToVariant(method));
}

void TReader::ReadCollectionValue(TCollection* collection, const TFormValue& value) {
    KeepPriorCollection(collection);
    collection->BeginUpdate();
    try {
        collection->Clear();
        for (const TFormValue::TItem& item : value.CollectionItems) {
            FLine = item.Line;
            ReadProperties(collection->Add(), item.Properties);
        }
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
    collection->EndUpdate();
}

Variant TReader::ValueAsVariant(const TFormValue& value) {
    switch (value.Kind) {
    case TFormValue::vkInteger:
        if (value.Integer >= INT_MIN && value.Integer <= INT_MAX)
            return int(value.Integer);
        return value.Integer;
    case TFormValue::vkFloat:
        return value.Float;
    case TFormValue::vkString:
        return value.Text;
    case TFormValue::vkIdent:
        if (SameText(value.Text, "True"))
            return true;
        if (SameText(value.Text, "False"))
            return false;
        if (SameText(value.Text, "Null"))
            return Null();
        break;
    case TFormValue::vkList: {
        QVariantList items;
        for (const TFormValue& item : value.Items)
            items << ValueAsVariant(item);
        return items;
    }
    default:
        break;
    }
    Error(QStringLiteral("Invalid variant value"));
}

TComponent* TReader::FindLocal(const QString& name) const {
    for (TComponent* root : {FRoot, FLookupRoot}) {
        if (root->Name().compare(name, Qt::CaseInsensitive) == 0)
            return root;
        if (TComponent* found = root->FindComponent(name))
            return found;
    }
    return nullptr;
}

void TReader::ResolveFixups() {
    QList<GlobalRoots::TPendingReference> pending;
    for (const TFixup& fixup : std::as_const(FFixups)) {
        if (!fixup.Instance)
            continue;
        FLine = fixup.Line;
        const QStringList parts = fixup.Reference.split(QLatin1Char('.'));
        TComponent* target = nullptr;
        if (parts.size() == 1) {
            target = FindLocal(parts[0]);
            if (!target)
                target = GlobalRoots::Find(parts[0]);
        } else if (parts.size() == 2) {
            TComponent* root = nullptr;
            if (FindLocal(parts[0]) == FRoot || FindLocal(parts[0]) == FLookupRoot)
                root = FindLocal(parts[0]);
            else
                root = GlobalRoots::Find(parts[0]);
            if (!root) {
                pending.append({fixup.Instance, QByteArray(fixup.Property.Property().name()),
                                parts[0], parts[1],
                                QStringLiteral("%1(%2)").arg(FFileName).arg(fixup.Line)});
                continue;
            }
            target = root->FindComponent(parts[1]);
        }
        if (!target)
            Error(QStringLiteral("Unresolved reference to %1").arg(fixup.Reference));
        if (!target->metaObject()->inherits(fixup.Property.ClassType()))
            Error(QStringLiteral("%1 is a %2, which does not suit %3")
                      .arg(fixup.Reference, target->ClassName(), fixup.Property.Name()));
        QObject* asObject = target;
        Assign(fixup.Instance, fixup.Property, QVariant(fixup.Property.Type(), &asObject));
    }
    FFixups.clear();
    for (const auto& reference : pending)
        GlobalRoots::AddPending(reference);
}

const TFormValue& TReader::NextValue(TFormValue::TKind expected, const char* what) {
    if (FCursors.isEmpty())
        Error(QStringLiteral("No value to read"));
    TCursor& cursor = FCursors.last();
    const TFormValue* value = nullptr;
    if (cursor.Value->Kind == TFormValue::vkList && FCursors.size() > 1) {
        if (cursor.Index >= cursor.Value->Items.size())
            Error(QStringLiteral("%1 expected but the list ended").arg(QLatin1String(what)));
        value = &cursor.Value->Items[cursor.Index++];
    } else {
        if (cursor.Index > 0)
            Error(QStringLiteral("%1 expected but the value ended").arg(QLatin1String(what)));
        value = cursor.Value;
        cursor.Index = 1;
    }
    FLine = value->Line ? value->Line : FLine;
    if (value->Kind != expected &&
        !(expected == TFormValue::vkFloat && value->Kind == TFormValue::vkInteger))
        Error(QStringLiteral("%1 expected").arg(QLatin1String(what)));
    return *value;
}

QString TReader::ReadString() {
    return NextValue(TFormValue::vkString, "String").Text;
}

qint64 TReader::ReadInteger() {
    return NextValue(TFormValue::vkInteger, "Integer").Integer;
}

double TReader::ReadFloat() {
    const TFormValue& v = NextValue(TFormValue::vkFloat, "Number");
    return v.Kind == TFormValue::vkFloat ? v.Float : double(v.Integer);
}

bool TReader::ReadBoolean() {
    const QString ident = ReadIdent();
    if (SameText(ident, "True"))
        return true;
    if (!SameText(ident, "False"))
        Error(QStringLiteral("Boolean expected"));
    return false;
}

QString TReader::ReadIdent() {
    return NextValue(TFormValue::vkIdent, "Identifier").Text;
}

Variant TReader::ReadVariant() {
    if (FCursors.isEmpty())
        Error(QStringLiteral("No value to read"));
    TCursor& cursor = FCursors.last();
    const bool inList = cursor.Value->Kind == TFormValue::vkList && FCursors.size() > 1;
    if (inList ? cursor.Index >= cursor.Value->Items.size() : cursor.Index > 0)
        Error(QStringLiteral("Value expected"));
    const TFormValue& value = inList ? cursor.Value->Items[cursor.Index++] : *cursor.Value;
    if (!inList)
        cursor.Index = 1;
    return ValueAsVariant(value);
}

void TReader::ReadListBegin() {
    const TFormValue& list = NextValue(TFormValue::vkList, "List");
    FCursors.append({&list, 0});
}

bool TReader::EndOfList() const {
    const TCursor& cursor = FCursors.last();
    return cursor.Index >= cursor.Value->Items.size();
}

void TReader::ReadListEnd() {
    if (FCursors.size() < 2 || !EndOfList())
        Error(QStringLiteral("End of list expected"));
    FCursors.removeLast();
}

void TReader::ReadCollection(TCollection* Collection) {
    ReadCollectionValue(Collection, NextValue(TFormValue::vkCollection, "Collection"));
}
