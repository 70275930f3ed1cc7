#include "UrlCatcher.h"

#include <QDesktopServices>

TUrlCatcher::TUrlCatcher(const QString& Scheme) : FScheme(Scheme) {
    QDesktopServices::setUrlHandler(Scheme, this, "Open");
}

TUrlCatcher::~TUrlCatcher() {
    QDesktopServices::unsetUrlHandler(FScheme);
}
