#include "GlobalRoots.h"

#include "Component.h"
#include "TypeInfo.h"

#include <QList>

namespace GlobalRoots {
namespace {
QList<QPointer<TComponent>>& Roots() {
    static QList<QPointer<TComponent>> roots;
    return roots;
}

QList<TPendingReference>& PendingReferences() {
    static QList<TPendingReference> pending;
    return pending;
}

// Resolves what can be resolved now; drops references whose object is gone and those
// whose target does not suit, telling of the latter.
QStringList Resolve() {
    QStringList refused;
    auto& pending = PendingReferences();
    for (qsizetype i = pending.size() - 1; i >= 0; --i) {
        const TPendingReference ref = pending[i];
        if (!ref.Instance) {
            pending.removeAt(i);
            continue;
        }
        TComponent* root = Find(ref.RootName);
        TComponent* target = root ? root->FindComponent(ref.ComponentName) : nullptr;
        if (!target)
            continue;
        pending.removeAt(i);
        const QString property = QString::fromLatin1(ref.Property);
        const TPropInfo info = GetPropInfo(ref.Instance, property);
        if (info && info.Kind() == tkClass && target->metaObject()->inherits(info.ClassType()))
            SetObjectProp(ref.Instance, property, target);
        else
            refused.prepend(QStringLiteral("%1: %2.%3 is a %4, which does not suit %5")
                                .arg(ref.Where, ref.RootName, ref.ComponentName,
                                     target->ClassName(), property));
    }
    return refused;
}
} // namespace

void Add(TComponent* root) {
    auto& roots = Roots();
    roots.removeAll(nullptr);
    if (!roots.contains(root))
        roots.append(root);
}

QStringList Register(TComponent* root) {
    Add(root);
    return Resolve();
}

TComponent* Find(const QString& name) {
    if (name.isEmpty())
        return nullptr;
    for (const QPointer<TComponent>& root : Roots())
        if (root && !root->IsDestroying() && root->Name().compare(name, Qt::CaseInsensitive) == 0)
            return root;
    return nullptr;
}

void AddPending(const TPendingReference& reference) {
    PendingReferences().append(reference);
}

QStringList Pending() {
    QStringList result;
    for (const TPendingReference& ref : PendingReferences())
        if (ref.Instance)
            result << QStringLiteral("%1: %2.%3").arg(ref.Where, ref.RootName, ref.ComponentName);
    return result;
}

} // namespace GlobalRoots
