#pragma once

#include <QMetaObject>
#include <QString>

class TComponent;
class TCollection;
class TCollectionItem;

// Classes that form files name. A registered component class is created by name with its
// invokable constructor taking the owner; RegisterClass<T>() registers T.
using TComponentClass = const QMetaObject*;

void RegisterClass(TComponentClass componentClass);
template <class T> void RegisterClass() {
    RegisterClass(&T::staticMetaObject);
}
// The registered class of that name (ignoring case), or nullptr.
TComponentClass GetClass(const QString& className);
// The registered class of that name; raises EClassNotFound.
TComponentClass FindClass(const QString& className);

// Creates a component of a registered class through its Q_INVOKABLE constructor.
TComponent* CreateComponent(TComponentClass componentClass, TComponent* owner);
TCollectionItem* CreateCollectionItem(const QMetaObject* itemClass, TCollection* collection);

// What QMetaObject::newInstance does for the invokable constructor taking an owner or a
// collection, with the constructor looked up once per class rather than by its signature
// every time (datasets make their fields and definitions on every open). nullptr when the
// class has no such constructor.
QObject* NewInstance(const QMetaObject* Class, TComponent* Owner);
QObject* NewInstance(const QMetaObject* Class, TCollection* Collection);

// A prototype is an instance created only to learn a class's default property values.
// Constructors that would do more than set defaults (load a form file, open a
// connection) check this and skip that work.
bool IsCreatingPrototype();
TComponent* CreatePrototype(TComponentClass componentClass);
TCollectionItem* CreateItemPrototype(const QMetaObject* itemClass);
