#pragma once

#include <QPointer>
#include <QStringList>

class TComponent;

// Roots (forms, data modules) that other form files may refer to by name, and the
// references to roots not yet loaded, resolved when such a root arrives.
namespace GlobalRoots {

// Registers a loaded root and resolves the references that waited for it.
void Register(TComponent* root);
TComponent* Find(const QString& name); // ignores case; nullptr when absent

struct TPendingReference {
    QPointer<QObject> Instance; // the object whose property waits
    QByteArray Property;
    QString RootName;
    QString ComponentName;
    QString Where; // file(line) of the reference
};

void AddPending(const TPendingReference& reference);
// References still waiting, as "file(line): Root.Component" texts.
QStringList Pending();

} // namespace GlobalRoots
