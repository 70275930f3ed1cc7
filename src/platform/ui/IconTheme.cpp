#include "IconTheme.h"

#include "Graphics.h"

#include <QDir>
#include <QIcon>

namespace {

// Adds the data folders' icon folders to Qt's theme search path and names a theme when
// the platform named none; once.
void PrepareThemes() {
    static const bool prepared = [] {
        QStringList paths = QIcon::themeSearchPaths();
        const QString dataDirs =
            qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
        for (const QString& dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
            const QString icons = QDir(dir).filePath(QStringLiteral("icons"));
            if (!paths.contains(icons) && QDir(icons).exists())
                paths.append(icons);
        }
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::themeName().isEmpty())
            for (const QString& theme : {QStringLiteral("Adwaita"), QStringLiteral("hicolor")})
                for (const QString& path : std::as_const(paths))
                    if (QDir(path).exists(theme + QStringLiteral("/index.theme"))) {
                        QIcon::setThemeName(theme);
                        return true;
                    }
        return true;
    }();
    Q_UNUSED(prepared);
}

} // namespace

bool LoadThemeIcon(TBitmap* Bitmap, const QString& Name, int Size) {
    PrepareThemes();
    const QIcon icon = QIcon::fromTheme(Name);
    if (icon.isNull())
        return false;
    const QImage image = icon.pixmap(Size, Size).toImage();
    if (image.isNull())
        return false;
    Bitmap->SetImage(image.convertToFormat(QImage::Format_ARGB32));
    return true;
}
