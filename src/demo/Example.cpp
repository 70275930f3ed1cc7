#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <library/KroLibrary.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RegisterKroLibrary();
    QMainWindow window;
    window.setWindowTitle("Example");
    auto* label = new QLabel("The demonstration program is under construction.");
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(640, 400);
    window.show();
    return app.exec();
}
