#pragma once

#include <QPointer>
#include <QStringList>

class TComponent;

// Roots (forms, data modules) that other form files may refer to by name, and the
// references to roots not yet loaded, resolved when such a root arrives.
namespace GlobalRoots {

// Adds a root that nothing can wait for yet (a new one, without a name or components).
void Add(TComponent* root);
// Registers a loaded root and resolves the references that waited for it. A reference
// whose target does not suit its property is dropped; the result says so for each, as
// "file(line): what" of the file that holds the reference.
[[nodiscard]] QStringList Register(TComponent* root);
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
