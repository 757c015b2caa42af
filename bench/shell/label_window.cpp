// The yardstick of the start-up: a Qt window of the main menu's size showing
// one label in the menu's font, shown, then the program ends.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Новая игра"));
    QFont font(QStringLiteral("Comfortaa"));
    font.setPixelSize(21);
    window.setFont(font);
    window.setFixedSize(569, 441);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
