#include "Clipbrd.h"

#include "Graphics.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

namespace {

QClipboard* SystemClipboard() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw EClipboardError(QStringLiteral("There is no clipboard without a display"));
    return QGuiApplication::clipboard();
}

} // namespace

QString TClipboard::AsText() const {
    return SystemClipboard()->text();
}

void TClipboard::SetAsText(const QString& Value) {
    SystemClipboard()->setText(Value);
}

bool TClipboard::HasFormat(TClipboardFormat Format) const {
    const QMimeData* data = SystemClipboard()->mimeData();
    if (!data)
        return false;
    switch (Format) {
    case CF_TEXT:
        return data->hasText();
    case CF_BITMAP:
    case CF_PICTURE:
        return data->hasImage();
    default:
        return false;
    }
}

void TClipboard::Clear() {
    SystemClipboard()->clear();
}

void TClipboard::Assign(TPersistent* Source) {
    auto* picture = qobject_cast<TPicture*>(Source);
    auto* bitmap = qobject_cast<TBitmap*>(picture ? picture->Graphic() : Source);
    if (!bitmap) {
        TPersistent::Assign(Source);
        return;
    }
    SystemClipboard()->setImage(bitmap->Image());
}

void TClipboard::AssignTo(TPersistent* Dest) {
    auto* picture = qobject_cast<TPicture*>(Dest);
    if (!picture && !qobject_cast<TBitmap*>(Dest)) {
        TPersistent::AssignTo(Dest);
        return;
    }
    const QImage image = SystemClipboard()->image();
    if (image.isNull())
        throw EInvalidGraphic(QStringLiteral("The clipboard holds no picture"));
    (picture ? picture->Bitmap() : static_cast<TBitmap*>(Dest))->SetImage(image);
}

TClipboard* Clipboard() {
    static TClipboard* instance = [] {
        auto* clipboard = new TClipboard;
        qAddPostRoutine([] { delete Clipboard(); });
        return clipboard;
    }();
    return instance;
}
