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
} // namespace

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
    QObject* object = componentClass->newInstance(Q_ARG(TComponent*, owner));
    auto* component = qobject_cast<TComponent*>(object);
    if (!component) {
        delete object;
        throw EClassNotFound(QStringLiteral("Class %1 has no invokable constructor taking an owner")
                                 .arg(QString::fromLatin1(componentClass->className())));
    }
    return component;
}

TCollectionItem* CreateCollectionItem(const QMetaObject* itemClass, TCollection* collection) {
    QObject* object = itemClass->newInstance(Q_ARG(TCollection*, collection));
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
