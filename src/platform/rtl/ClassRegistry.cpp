#include "ClassRegistry.h"

#include "Collection.h"
#include "Component.h"
#include "Exceptions.h"

#include <QHash>

namespace {
QHash<QString, TComponentClass>& Classes() {
    static QHash<QString, TComponentClass> classes;
    return classes;
}

int PrototypeDepth = 0;

struct TPrototypeScope {
    TPrototypeScope() { ++PrototypeDepth; }
    ~TPrototypeScope() { --PrototypeDepth; }
};

// The index of Class's constructor taking one Argument ("TComponent*"), -1 for none.
int ConstructorIndex(const QMetaObject* Class, const char* Argument) {
    thread_local QHash<std::pair<const QMetaObject*, const char*>, int> known;
    const auto key = std::make_pair(Class, Argument);
    const auto found = known.constFind(key);
    if (found != known.cend())
        return *found;
    const QByteArray signature =
        QMetaObject::normalizedSignature(QByteArray(Class->className()) + '(' + Argument + ')');
    return *known.insert(key, Class->indexOfConstructor(signature.constData()));
}

template <class T> QObject* Construct(const QMetaObject* Class, const char* Argument, T* Value) {
    const int index = ConstructorIndex(Class, Argument);
    if (index < 0)
        return nullptr;
    QObject* made = nullptr;
    void* arguments[] = {&made, &Value};
    // A class without a static meta-call gives 0: nothing was made.
    if (Class->static_metacall(QMetaObject::CreateInstance, index, arguments) >= 0)
        return nullptr;
    return made;
}
} // namespace

QObject* NewInstance(const QMetaObject* Class, TComponent* Owner) {
    return Construct(Class, "TComponent*", Owner);
}

QObject* NewInstance(const QMetaObject* Class, TCollection* Collection) {
    return Construct(Class, "TCollection*", Collection);
}

void RegisterClass(TComponentClass componentClass) {
    Classes().insert(QString::fromLatin1(componentClass->className()).toLower(), componentClass);
}

TComponentClass GetClass(const QString& className) {
    return Classes().value(className.toLower());
}

TComponentClass FindClass(const QString& className) {
    TComponentClass result = GetClass(className);
    if (!result)
        throw EClassNotFound(QStringLiteral("Class %1 not found").arg(className));
    return result;
}

TComponent* CreateComponent(TComponentClass componentClass, TComponent* owner) {
    QObject* object = NewInstance(componentClass, owner);
    auto* component = qobject_cast<TComponent*>(object);
    if (!component) {
        delete object;
        throw EClassNotFound(QStringLiteral("Class %1 has no invokable constructor taking an owner")
                                 .arg(QString::fromLatin1(componentClass->className())));
    }
    return component;
}

TCollectionItem* CreateCollectionItem(const QMetaObject* itemClass, TCollection* collection) {
    QObject* object = NewInstance(itemClass, collection);
    auto* item = qobject_cast<TCollectionItem*>(object);
    if (!item) {
        delete object;
        throw EClassNotFound(
            QStringLiteral("Class %1 has no invokable constructor taking a collection")
                .arg(QString::fromLatin1(itemClass->className())));
    }
    return item;
}

bool IsCreatingPrototype() {
    return PrototypeDepth > 0;
}

TComponent* CreatePrototype(TComponentClass componentClass) {
    TPrototypeScope scope;
    return CreateComponent(componentClass, nullptr);
}

TCollectionItem* CreateItemPrototype(const QMetaObject* itemClass) {
    TPrototypeScope scope;
    return CreateCollectionItem(itemClass, nullptr);
}
