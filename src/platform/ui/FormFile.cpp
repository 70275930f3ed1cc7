#include "FormFile.h"

#include "UiClasses.h"

#include <QFile>
#include <rtl/Component.h>
#include <rtl/Exceptions.h>
#include <rtl/FormParser.h>
#include <rtl/GlobalRoots.h>
#include <rtl/Reader.h>

namespace {

QStringList FormFilesOf(const QMetaObject* Class, const QMetaObject* RootAncestor) {
    QStringList files;
    for (const QMetaObject* meta = Class; meta && meta != RootAncestor; meta = meta->superClass())
        for (int i = meta->classInfoOffset(); i < meta->classInfoCount(); ++i)
            if (qstrcmp(meta->classInfo(i).name(), "FormFile") == 0)
                files.prepend(QString::fromUtf8(meta->classInfo(i).value()));
    return files;
}

bool NameTaken(const TComponent* Owner, const QString& Name) {
    return (Owner && Owner->FindComponent(Name)) || GlobalRoots::Find(Name);
}

// Name, or Name_1, Name_2, ... when another component has it.
QString UniqueName(const TComponent* Owner, const QString& Name) {
    if (Name.isEmpty() || !NameTaken(Owner, Name))
        return Name;
    for (int i = 1;; ++i) {
        const QString candidate = QStringLiteral("%1_%2").arg(Name).arg(i);
        if (!NameTaken(Owner, candidate))
            return candidate;
    }
}

} // namespace

bool InitInheritedComponent(TComponent* Instance, const QMetaObject* RootAncestor) {
    RegisterUiClasses();
    QList<TFormObject> trees;
    const QStringList files = FormFilesOf(Instance->metaObject(), RootAncestor);
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw EInOutError(
                QStringLiteral("Cannot open file \"%1\": %2").arg(path, file.errorString()));
        trees.append(ParseForm(QString::fromUtf8(file.readAll()), path));
    }
    if (trees.isEmpty())
        return false;
    // The most derived class's file names the instance.
    if (Instance->Name().isEmpty())
        Instance->SetName(UniqueName(Instance->Owner(), trees.last().Name));
    for (qsizetype i = 0; i < trees.size(); ++i)
        TReader(files[i]).ReadRoot(trees[i], Instance, nullptr);
    return true;
}
