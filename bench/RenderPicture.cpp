#include "RenderPicture.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <exception>
#include <stdexcept>

QPixmap GrabWithPopup(QWidget* Window, QWidget* Popup) {
    QPixmap picture = Window->grab();
    QPainter painter(&picture);
    painter.drawPixmap(Window->mapFromGlobal(Popup->mapToGlobal(QPoint(0, 0))), Popup->grab());
    painter.end();
    return picture;
}

void SavePicture(const QPixmap& Picture, const QString& Out) {
    if (!Picture.save(Out))
        throw std::runtime_error("cannot write " + Out.toStdString());
    std::printf("%s\n", qPrintable(Out));
}

int RenderMain(int argc, char** argv, const char* Name, int Count, const char* Usage,
               const std::function<int(const QStringList& Arguments)>& Render) {
    if (argc < Count + 1) {
        std::fprintf(stderr, "usage: %s %s\n", Name, Usage);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList arguments;
    for (int i = 1; i <= Count; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    try {
        return Render(arguments);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", Name, e.what());
        return 1;
    }
}
