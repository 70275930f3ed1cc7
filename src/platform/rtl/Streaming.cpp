#include "Streaming.h"

#include "Exceptions.h"
#include "FormParser.h"
#include "FormPrinter.h"
#include "Reader.h"
#include "Writer.h"

#include <QFile>
#include <QSaveFile>

TComponent* ReadComponentFromText(const QString& text, const QString& fileName,
                                  TComponent* instance, TComponent* owner, TComponent* lookupRoot) {
    const TFormObject tree = ParseForm(text, fileName);
    return TReader(fileName).ReadRoot(tree, instance, owner, lookupRoot);
}

TComponent* ReadComponentFromFile(const QString& path, TComponent* instance, TComponent* owner) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot open file \"%1\": %2").arg(path, file.errorString()));
    return ReadComponentFromText(QString::fromUtf8(file.readAll()), path, instance, owner);
}

QString WriteComponentToText(TComponent* component, TComponent* root) {
    return PrintForm(TWriter(root).WriteComponent(component));
}

void WriteComponentToFile(TComponent* component, const QString& path) {
    const QByteArray text = WriteComponentToText(component).toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw EInOutError(
            QStringLiteral("Cannot write file \"%1\": %2").arg(path, file.errorString()));
}
