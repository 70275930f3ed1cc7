#pragma once

#include "Filer.h"
#include "FormTree.h"
#include "TypeInfo.h"

#include <QPointer>
#include <memory>

class TComponent;
class TCollection;
class TPersistent;

// Builds components from a parsed form file: creates the objects by class name, sets
// their properties, binds event handlers to invokable methods of the root, resolves
// references by name once everything is read, and then calls Loaded on every component
// read. Any error raises EReadError naming the file, line and component or property and
// leaves nothing behind: components created by the read are destroyed again, and an
// existing instance read into gets back the property values it had.
class TReader : public TFiler {
public:
    explicit TReader(QString fileName);
    ~TReader() override;

    // Reads the tree into instance, or into a new component owned by owner when instance
    // is nullptr, and returns it. Names and handlers that the tree does not define itself
    // resolve in lookupRoot when one is given.
    TComponent* ReadRoot(const TFormObject& tree, TComponent* instance, TComponent* owner,
                         TComponent* lookupRoot = nullptr);

    TComponent* Root() const { return FRoot; }
    const QString& FileName() const { return FFileName; }

    // Reading the value of a defined property, in the order it was written.
    QString ReadString();
    qint64 ReadInteger();
    double ReadFloat();
    bool ReadBoolean();
    QString ReadIdent();
    Variant ReadVariant();
    void ReadListBegin();
    bool EndOfList() const;
    void ReadListEnd();
    void ReadCollection(TCollection* Collection);

    [[noreturn]] void Error(const QString& what) const;

    void DefineProperty(const QString& Name, const TReaderProc& ReadData,
                        const TWriterProc& WriteData, bool HasData) override;
    void DefineBinaryProperty(const QString& Name, const TBinaryReadProc& ReadData,
                              const TBinaryWriteProc& WriteData, bool HasData) override;

private:
    struct TFixup {
        QPointer<QObject> Instance;
        TPropInfo Property;
        QString Reference;
        int Line;
    };
    // A property value of an object the read did not create, as it was before the read.
    struct TPriorValue {
        QPointer<QObject> Instance;
        TPropInfo Property;
        Variant Value;
    };
    // A collection of an object the read did not create, as it was before the read.
    struct TPriorCollection {
        QPointer<TCollection> Collection;
        TFormValue Items;
    };
    // A sub-object (font, string list, picture) of an object the read did not create, and a
    // copy of it made before the read changed it.
    struct TPriorObject {
        QPointer<TPersistent> Object;
        std::shared_ptr<TPersistent> Copy;
    };
    struct TCursor {
        const TFormValue* Value;
        qsizetype Index; // next item of a list value; 1 when a single value was read
    };

    TComponent* CreateRoot(const TFormObject& tree, TComponent* owner);
    void ReadObject(TComponent* component, const TFormObject& node);
    void ReadChildren(TComponent* parent, const TFormObject& node);
    void ReadProperties(QObject* object, const QList<TFormProperty>& properties);
    void ReadProperty(QObject* object, const TFormProperty& property);
    bool ReadDefinedProperty(QObject* object, const QString& name, const TFormValue& value);
    void SetValue(QObject* object, const TPropInfo& info, const TFormValue& value);
    void SetOrdinal(QObject* object, const TPropInfo& info, const TFormValue& value);
    void SetClassValue(QObject* object, const TPropInfo& info, const TFormValue& value);
    void SetMethod(QObject* object, const TPropInfo& info, const TFormValue& value);
    void ReadCollectionValue(TCollection* collection, const TFormValue& value);
    Variant ValueAsVariant(const TFormValue& value);
    TComponent* FindLocal(const QString& name) const;
    void ResolveFixups();
    // Whether what the read changes now must be given back should it fail: on an instance
    // read into, except on components the read creates (they go) and while restoring.
    bool KeepsPriorState() const { return !FOwnsRoot && !FReadingCreated && !FRestoring; }
    // Writes a property value, remembering the one it replaces on an instance read into.
    void Assign(QObject* object, const TPropInfo& info, const Variant& value);
    void KeepPriorCollection(TCollection* collection);
    void KeepPriorObject(QObject* object);
    // Undoes what a failed read did: destroys what it created, restores what it changed.
    void Cleanup();
    void RestorePriorState();
    const TFormValue& NextValue(TFormValue::TKind expected, const char* what);

    QString FFileName;
    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    bool FOwnsRoot = false;
    QList<QPointer<TComponent>> FLoaded; // in the order read
    QList<int> FLoadedLines;             // the line of each, for errors in Loaded
    QList<TPriorValue> FPriorValues;     // of an instance read into, in the order changed
    QList<TPriorCollection> FPriorCollections;
    QList<TPriorObject> FPriorObjects;
    QString FPriorName;           // of an instance read into
    bool FReadingCreated = false; // the component being read is one the read made
    bool FRestoring = false;
    QList<QPointer<TComponent>> FCreated; // destroyed again when the read fails
    QList<TFixup> FFixups;
    int FLine = 0;
    // The defined property being read and the cursor over its value.
    QString FDefinedName;
    const TFormValue* FDefinedValue = nullptr;
    bool FDefinedFound = false;
    QList<TCursor> FCursors;
};
