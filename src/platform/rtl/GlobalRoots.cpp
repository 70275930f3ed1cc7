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

// Resolves what can be resolved now; drops references whose object is gone.
void Resolve() {
    auto& pending = PendingReferences();
    for (qsizetype i = pending.size() - 1; i >= 0; --i) {
        const TPendingReference& ref = pending[i];
        if (!ref.Instance) {
            pending.removeAt(i);
            continue;
        }
        TComponent* root = Find(ref.RootName);
        TComponent* target = root ? root->FindComponent(ref.ComponentName) : nullptr;
        if (!target)
            continue;
        SetObjectProp(ref.Instance, QString::fromLatin1(ref.Property), target);
        pending.removeAt(i);
    }
}
} // namespace

void Register(TComponent* root) {
    auto& roots = Roots();
    roots.removeAll(nullptr);
    if (!roots.contains(root))
        roots.append(root);
    Resolve();
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
    Resolve();
}

QStringList Pending() {
    QStringList result;
    for (const TPendingReference& ref : PendingReferences())
        if (ref.Instance)
            result << QStringLiteral("%1: %2.%3").arg(ref.Where, ref.RootName, ref.ComponentName);
    return result;
}

} // namespace GlobalRoots
