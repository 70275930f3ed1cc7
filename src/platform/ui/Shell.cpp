#include "Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <rtl/Exceptions.h>

void ShellOpen(const QString& Url) {
    const QString address = Url.trimmed();
    const QUrl url = QFileInfo(address).isAbsolute() ? QUrl::fromLocalFile(address)
                                                     : QUrl(address, QUrl::StrictMode);
    if (address.isEmpty() || !url.isValid() || url.scheme().isEmpty())
        throw EConvertError(QStringLiteral("\"%1\" is not a valid address").arg(Url));
    if (!QDesktopServices::openUrl(url))
        throw EInOutError(QStringLiteral("No program could open \"%1\"").arg(Url));
}
