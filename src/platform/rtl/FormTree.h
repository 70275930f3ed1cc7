#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The parsed form of a form file: objects with their properties and nested objects.
// Reading a file parses it into this tree before any component is created; writing a
// component builds the tree and prints it.

struct TFormProperty;

struct TFormValue {
    enum TKind { vkInteger, vkFloat, vkString, vkIdent, vkSet, vkList, vkCollection, vkBinary };
    // One item of a collection value: its properties.
    struct TItem {
        QList<TFormProperty> Properties;
        int Line = 0;
    };

    TKind Kind = vkInteger;
    qint64 Integer = 0;
    double Float = 0;
    QString Text;            // vkString, vkIdent (a dotted name for references)
    QStringList Members;     // vkSet
    QList<TFormValue> Items; // vkList
    QList<TItem> CollectionItems;
    QByteArray Binary;
    int Line = 0;

    static TFormValue OfInteger(qint64 v);
    static TFormValue OfFloat(double v);
    static TFormValue OfString(const QString& v);
    static TFormValue OfIdent(const QString& v);
    static TFormValue OfSet(const QStringList& members);
    static TFormValue OfList(const QList<TFormValue>& items);
    static TFormValue OfBinary(const QByteArray& data);

    bool operator==(const TFormValue& o) const;
};

struct TFormProperty {
    QString Name; // dotted for properties of sub-objects: Font.Name
    TFormValue Value;
    int Line = 0;
    bool operator==(const TFormProperty& o) const { return Name == o.Name && Value == o.Value; }
};

struct TFormObject {
    QString Name;
    QString ClassName;
    bool Inherited = false;
    QList<TFormProperty> Properties;
    QList<TFormObject> Children;
    int Line = 0;
    bool operator==(const TFormObject& o) const;
};
