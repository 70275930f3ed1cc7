#include "Persistent.h"

#include "Exceptions.h"
#include "TypeInfo.h"

TPersistent::TPersistent(QObject* parent) : QObject(parent) {}

void TPersistent::Assign(TPersistent* Source) {
    if (!Source)
        throw EConvertError(QStringLiteral("Cannot assign a nil to a %1").arg(ClassName()));
    Source->AssignTo(this);
}

TPersistent* TPersistent::GetOwner() const {
    return qobject_cast<TPersistent*>(parent());
}

void TPersistent::DefineProperties(TFiler&) {}

bool TPersistent::IsStoredProp(const QString&) const {
    return true;
}

QString TPersistent::ClassName() const {
    return QString::fromLatin1(metaObject()->className());
}

void TPersistent::AssignTo(TPersistent* Dest) {
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                            .arg(QString::fromLatin1(metaObject()->className()),
                                 Dest ? Dest->ClassName() : QStringLiteral("nil")));
}

void AssignPublishedProperties(const TPersistent* Source, TPersistent* Dest) {
    for (const TPropInfo& info : GetPropInfos(Source)) {
        const QMetaProperty& from = info.Property();
        if (!from.isStored() || !from.isReadable())
            continue;
        const int target = Dest->metaObject()->indexOfProperty(from.name());
        if (target < 0)
            continue;
        const QMetaProperty to = Dest->metaObject()->property(target);
        const QVariant value = from.read(Source);
        auto* sub = value.value<QObject*>();
        auto* persistent = qobject_cast<TPersistent*>(sub);
        if (persistent && persistent->parent() == Source) {
            auto* own = qobject_cast<TPersistent*>(to.read(Dest).value<QObject*>());
            if (own)
                own->Assign(persistent);
        } else if (to.isWritable()) {
            to.write(Dest, value);
        }
    }
}
