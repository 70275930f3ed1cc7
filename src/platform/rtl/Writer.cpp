#include "Writer.h"

#include "ClassRegistry.h"
#include "Collection.h"
#include "Color.h"
#include "Component.h"
#include "Enums.h"
#include "Exceptions.h"

#include <QDateTime>

TWriter::TWriter(TComponent* root) : FRoot(root) {}

TWriter::~TWriter() {
    qDeleteAll(FPrototypes);
}

TFormObject TWriter::WriteComponent(TComponent* component) {
    if (!FRoot)
        FRoot = component->Owner() ? component->Owner() : component;
    return WriteObject(component);
}

TFormObject TWriter::WriteObject(TComponent* component) {
    TFormObject node;
    node.Name = component->Name();
    node.ClassName = component->ClassName();
    WriteProperties(component, Prototype(component->metaObject()), QString(), node.Properties);
    component->GetChildren([&](TComponent* child) { node.Children.append(WriteObject(child)); },
                           FRoot);
    return node;
}

const QObject* TWriter::Prototype(const QMetaObject* meta) {
    auto it = FPrototypes.constFind(meta);
    if (it != FPrototypes.cend())
        return it.value();
    QObject* prototype = nullptr;
    if (meta->inherits(&TComponent::staticMetaObject))
        prototype = CreatePrototype(meta);
    else if (meta->inherits(&TCollectionItem::staticMetaObject))
        prototype = CreateItemPrototype(meta);
    FPrototypes.insert(meta, prototype);
    return prototype;
}

void TWriter::WriteProperties(const QObject* object, const QObject* prototype,
                              const QString& prefix, QList<TFormProperty>& out) {
    for (const TPropInfo& info : GetPropInfos(object)) {
        if (!info.IsStored(object) || !info.Property().isReadable())
            continue;
        std::optional<TFormValue> value;
        if (info.Kind() == tkClass)
            value = ClassValue(object, prototype, info, out, prefix);
        else if (info.IsWritable())
            value = PropertyValue(object, prototype, info);
        if (value)
            out.append({prefix + info.Name(), *value, 0});
    }
    WriteDefinedProperties(const_cast<QObject*>(object), prefix, out);
}

void TWriter::WriteDefinedProperties(QObject* object, const QString& prefix,
                                     QList<TFormProperty>& out) {
    auto* persistent = qobject_cast<TPersistent*>(object);
    if (!persistent)
        return;
    const QString savedPrefix = FDefinedPrefix;
    QList<TFormProperty>* savedOut = FDefinedOut;
    FDefinedPrefix = prefix;
    FDefinedOut = &out;
    persistent->DefineProperties(*this);
    FDefinedPrefix = savedPrefix;
    FDefinedOut = savedOut;
}

void TWriter::DefineProperty(const QString& Name, const TReaderProc&, const TWriterProc& WriteData,
                             bool HasData) {
    if (!HasData || !WriteData || !FDefinedOut)
        return;
    QList<TFormProperty>* out = FDefinedOut;
    const QString prefix = FDefinedPrefix;
    const QList<TFormValue> savedStack = FValueStack;
    const int savedOpenLists = FOpenLists;
    FValueStack.clear();
    FOpenLists = 0;
    WriteData(*this);
    if (FValueStack.size() != 1 || FOpenLists != 0)
        throw EFilerError(QStringLiteral("Property %1 wrote no single value").arg(Name));
    out->append({prefix + Name, FValueStack.first(), 0});
    FValueStack = savedStack;
    FOpenLists = savedOpenLists;
}

void TWriter::DefineBinaryProperty(const QString& Name, const TBinaryReadProc&,
                                   const TBinaryWriteProc& WriteData, bool HasData) {
    if (HasData && WriteData && FDefinedOut)
        FDefinedOut->append({FDefinedPrefix + Name, TFormValue::OfBinary(WriteData()), 0});
}

std::optional<TFormValue> TWriter::PropertyValue(const QObject* object, const QObject* prototype,
                                                 const TPropInfo& info) {
    const Variant value = ReadProp(object, info);
    if (info.Kind() == tkMethod) {
        const TMethod method = MethodValue(value);
        if (!method.IsAssigned() || method.MethodName().isEmpty() || method.Data() != FRoot)
            return std::nullopt;
        return TFormValue::OfIdent(QString::fromLatin1(method.MethodName()));
    }
    if (prototype && ReadProp(prototype, info) == value)
        return std::nullopt;
    const QMetaType type = info.Type();
    switch (info.Kind()) {
    case tkInteger:
    case tkInt64:
        if (type == QMetaType::fromType<TColor>()) {
            QString name;
            if (ColorToIdent(TColor(OrdValue(value)), name))
                return TFormValue::OfIdent(name);
        }
        return TFormValue::OfInteger(OrdValue(value));
    case tkChar:
        return TFormValue::OfString(QString(QChar(char16_t(OrdValue(value)))));
    case tkEnumeration:
        if (type.id() == QMetaType::Bool)
            return TFormValue::OfIdent(value.toBool() ? QStringLiteral("True")
                                                      : QStringLiteral("False"));
        return TFormValue::OfIdent(
            EnumRegistry::NameOf(*EnumRegistry::EnumOf(type), int(OrdValue(value))));
    case tkSet: {
        const auto* names = EnumRegistry::SetOf(type);
        const quint64 bits = quint64(OrdValue(value));
        QStringList members;
        for (int i = 0; i < 64; ++i)
            if (bits & (quint64(1) << i))
                members << EnumRegistry::NameOf(*names, i);
        return TFormValue::OfSet(members);
    }
    case tkFloat:
        return TFormValue::OfFloat(value.toDouble());
    case tkString:
        return TFormValue::OfString(value.toString());
    case tkDateTime:
        if (type.id() == QMetaType::QDate)
            return TFormValue::OfString(value.toDate().toString(Qt::ISODate));
        if (type.id() == QMetaType::QTime)
            return TFormValue::OfString(value.toTime().toString(Qt::ISODateWithMs));
        return TFormValue::OfString(value.toDateTime().toString(Qt::ISODateWithMs));
    case tkBinary:
        return TFormValue::OfBinary(value.toByteArray());
    case tkVariant:
        return VariantValue(value);
    default:
        return std::nullopt;
    }
}

std::optional<TFormValue> TWriter::ClassValue(const QObject* object, const QObject* prototype,
                                              const TPropInfo& info, QList<TFormProperty>& out,
                                              const QString& prefix) {
    QObject* value = ReadProp(object, info).value<QObject*>();
    QObject* defaultValue = prototype ? ReadProp(prototype, info).value<QObject*>() : nullptr;
    if (auto* component = qobject_cast<TComponent*>(value)) {
        if (!info.IsWritable() || component == defaultValue)
            return std::nullopt;
        return ReferenceValue(component);
    }
    if (!value) {
        if (!defaultValue || qobject_cast<TComponent*>(defaultValue) == nullptr)
            return std::nullopt;
        return TFormValue::OfIdent(QStringLiteral("nil"));
    }
    if (auto* collection = qobject_cast<TCollection*>(value)) {
        TFormValue items = CollectionValue(collection);
        auto* defaultCollection = qobject_cast<TCollection*>(defaultValue);
        if (defaultCollection && CollectionValue(defaultCollection) == items)
            return std::nullopt;
        return items;
    }
    // A sub-object such as a font or a string list: its own properties, dotted.
    WriteProperties(value, defaultValue, prefix + info.Name() + QLatin1Char('.'), out);
    return std::nullopt;
}

TFormValue TWriter::CollectionValue(TCollection* collection) {
    TFormValue result;
    result.Kind = TFormValue::vkCollection;
    for (int i = 0; i < collection->Count(); ++i) {
        TCollectionItem* item = collection->Items(i);
        TFormValue::TItem written;
        WriteProperties(item, Prototype(item->metaObject()), QString(), written.Properties);
        result.CollectionItems.append(written);
    }
    return result;
}

std::optional<TFormValue> TWriter::ReferenceValue(const TComponent* target) const {
    if (target->Name().isEmpty())
        return std::nullopt;
    if (target == FRoot || target->Owner() == FRoot)
        return TFormValue::OfIdent(target->Name());
    const TComponent* owner = target->Owner();
    if (owner && !owner->Name().isEmpty())
        return TFormValue::OfIdent(owner->Name() + QLatin1Char('.') + target->Name());
    return TFormValue::OfIdent(target->Name());
}

TFormValue TWriter::VariantValue(const Variant& value) {
    if (VarIsNull(value))
        return TFormValue::OfIdent(QStringLiteral("Null"));
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return TFormValue::OfIdent(value.toBool() ? QStringLiteral("True")
                                                  : QStringLiteral("False"));
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        return TFormValue::OfInteger(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return TFormValue::OfFloat(value.toDouble());
    case QMetaType::QVariantList: {
        QList<TFormValue> items;
        for (const QVariant& item : value.toList())
            items << VariantValue(item);
        return TFormValue::OfList(items);
    }
    default:
        return TFormValue::OfString(VarToStr(value));
    }
}

void TWriter::Emit(const TFormValue& value) {
    if (FOpenLists > 0)
        FValueStack.last().Items.append(value);
    else
        FValueStack.append(value);
}

void TWriter::WriteString(const QString& Value) {
    Emit(TFormValue::OfString(Value));
}

void TWriter::WriteInteger(qint64 Value) {
    Emit(TFormValue::OfInteger(Value));
}

void TWriter::WriteFloat(double Value) {
    Emit(TFormValue::OfFloat(Value));
}

void TWriter::WriteBoolean(bool Value) {
    Emit(TFormValue::OfIdent(Value ? QStringLiteral("True") : QStringLiteral("False")));
}

void TWriter::WriteIdent(const QString& Value) {
    Emit(TFormValue::OfIdent(Value));
}

void TWriter::WriteVariant(const Variant& Value) {
    Emit(VariantValue(Value));
}

void TWriter::WriteListBegin() {
    FValueStack.append(TFormValue::OfList({}));
    ++FOpenLists;
}

void TWriter::WriteListEnd() {
    if (FOpenLists == 0)
        throw EFilerError(QStringLiteral("WriteListEnd without WriteListBegin"));
    --FOpenLists;
    const TFormValue list = FValueStack.takeLast();
    Emit(list);
}

void TWriter::WriteCollection(TCollection* Collection) {
    Emit(CollectionValue(Collection));
}
