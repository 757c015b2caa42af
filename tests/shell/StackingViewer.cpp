// A program with one ordinary window, titled by its argument, that stays
// until it is ended: the stand-in for what the launcher opens for the user.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("viewer"));
    window.setGeometry(20, 20, 400, 300);
    window.show();
    return app.exec();
}
