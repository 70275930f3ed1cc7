#pragma once

#include "Filer.h"
#include "FormTree.h"
#include "TypeInfo.h"

#include <QHash>

class TComponent;
class TCollection;
class TCollectionItem;
class TPersistent;

// Writes components as a form-file tree: the published properties whose values differ
// from those of a freshly created instance of the same class (its prototype), the
// values the class defines itself, and the children GetChildren gives. References to
// components are written by name, qualified by their root's name when they belong to
// another root; handlers by the name of the root's method they are bound to.
class TWriter : public TFiler {
public:
    // Names are written relative to root (by default the component's owner, or the
    // component itself when it has none).
    explicit TWriter(TComponent* root = nullptr);
    ~TWriter() override;

    TFormObject WriteComponent(TComponent* component);

    TComponent* Root() const { return FRoot; }

    // Writing the value of a defined property.
    void WriteString(const QString& Value);
    void WriteInteger(qint64 Value);
    void WriteFloat(double Value);
    void WriteBoolean(bool Value);
    void WriteIdent(const QString& Value);
    void WriteVariant(const Variant& Value);
    void WriteListBegin();
    void WriteListEnd();
    void WriteCollection(TCollection* Collection);
    // The form-file value of a collection's items, as WriteCollection stores it.
    TFormValue CollectionValue(TCollection* collection);

    void DefineProperty(const QString& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const QString& Name, const TBinaryReadProc& ReadData,
                              const TBinaryWriteProc& WriteData, bool HasData) override;

private:
    TFormObject WriteObject(TComponent* component);
    void WriteProperties(const QObject* object, const QObject* prototype, const QString& prefix,
                         QList<TFormProperty>& out);
    void WriteDefinedProperties(QObject* object, const QString& prefix, QList<TFormProperty>& out);
    std::optional<TFormValue> PropertyValue(const QObject* object, const QObject* prototype,
                                            const TPropInfo& info);
    std::optional<TFormValue> ClassValue(const QObject* object, const QObject* prototype,
                                         const TPropInfo& info, QList<TFormProperty>& out,
                                         const QString& prefix);
    std::optional<TFormValue> ReferenceValue(const TComponent* target) const;
    TFormValue VariantValue(const Variant& value);
    void Emit(const TFormValue& value);
    const QObject* Prototype(const QMetaObject* meta);

    TComponent* FRoot;
    QHash<const QMetaObject*, QObject*> FPrototypes;
    // Defined properties being written: the properties collected and the value stack.
    QString FDefinedPrefix;
    QList<TFormProperty>* FDefinedOut = nullptr;
    QList<TFormValue> FValueStack;
    int FOpenLists = 0;
};
