// The yardstick of the start-up: a Qt window of the main menu's size showing
// one label in the menu's font; the program ends once that is on screen
// (painted), as the start-up benchmark ends once the menu is.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QTimer>

namespace {

class Label : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Label window(QStringLiteral("Новая игра"));
    QFont font(QStringLiteral("Comfortaa"));
    font.setPixelSize(21);
    window.setFont(font);
    window.setFixedSize(569, 441);
    window.show();
    return app.exec();
}
