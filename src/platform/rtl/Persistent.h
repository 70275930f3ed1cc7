#pragma once

#include "Events.h"

#include <QObject>

class TFiler;

// An object with published properties that can be assigned from another and stored in
// form files. Sub-objects (fonts, string lists, collections) are TPersistents whose
// QObject parent is the object that holds them.
class TPersistent : public QObject {
    Q_OBJECT
public:
    explicit TPersistent(QObject* parent = nullptr);

    // Copies Source into this object. The default asks Source to AssignTo this object and
    // raises EConvertError when neither knows how.
    virtual void Assign(TPersistent* Source);
    // The object that holds this one (a collection's owner, a sub-object's holder).
    virtual TPersistent* GetOwner() const;
    // Stored values of the class's own beyond its published properties.
    virtual void DefineProperties(TFiler& Filer);

    // Whether a published property is stored in form files for the current state; the
    // meta-object's STORED flag is checked first. Classes override it for conditions
    // such as a font that follows its parent's.
    virtual bool IsStoredProp(const QString& Name) const;

    QString ClassName() const;

protected:
    virtual void AssignTo(TPersistent* Dest);
};

// Copies every stored published property of Source to Dest's property of the same name.
// Sub-objects are assigned; component references are copied as references.
void AssignPublishedProperties(const TPersistent* Source, TPersistent* Dest);
