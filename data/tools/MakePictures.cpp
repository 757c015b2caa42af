// Draws the shipped background pictures: a wooden board for the main menu
// (JPEG) and green felt for the dialogs (BMP). Usage: MakePictures <menu.jpg> <dialog.bmp>
#include <QCoreApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cmath>

namespace {

// A cheap repeatable value noise, enough for grain and fibres.
double Noise(QRandomGenerator& random) {
    return random.bounded(1.0);
}

QImage Wood(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(1234);
    std::vector<double> wobble(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        wobble[static_cast<size_t>(y)] = 0.6 * Noise(random);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double ring =
                std::sin((y + 14.0 * std::sin(x / 97.0) + 6.0 * std::sin(x / 23.0)) / 5.5);
            const double grain = 0.5 + 0.5 * ring;
            const double fleck = wobble[static_cast<size_t>(y)] * 0.15 + 0.08 * Noise(random);
            const double t = 0.55 * grain + fleck;
            const int r = std::clamp(static_cast<int>(112 + 70 * t), 0, 255);
            const int g = std::clamp(static_cast<int>(62 + 42 * t), 0, 255);
            const int b = std::clamp(static_cast<int>(26 + 18 * t), 0, 255);
            image.setPixel(x, y, qRgb(r, g, b));
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A dark frame and an inset playing field with board points along both edges.
    painter.setPen(QPen(QColor(50, 26, 10), 14));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(7, 7, width - 14, height - 14));
    const QRectF field(24, 110, width - 48, height - 134);
    painter.setPen(QPen(QColor(70, 38, 14, 200), 3));
    painter.setBrush(QColor(20, 70, 40, 120));
    painter.drawRoundedRect(field, 6, 6);
    const int points = 12;
    const double step = field.width() / points;
    for (int i = 0; i < points; ++i) {
        const QColor colour = i % 2 ? QColor(235, 220, 180, 110) : QColor(120, 20, 20, 120);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const double left = field.left() + i * step;
        QPainterPath top;
        top.moveTo(left, field.top());
        top.lineTo(left + step, field.top());
        top.lineTo(left + step / 2, field.top() + field.height() * 0.38);
        top.closeSubpath();
        painter.drawPath(top);
        QPainterPath bottom;
        bottom.moveTo(left, field.bottom());
        bottom.lineTo(left + step, field.bottom());
        bottom.lineTo(left + step / 2, field.bottom() - field.height() * 0.38);
        bottom.closeSubpath();
        painter.drawPath(bottom);
    }
    // Shade the middle so the menu texts stand out.
    QRadialGradient shade(field.center(), field.width() * 0.55);
    shade.setColorAt(0, QColor(0, 0, 0, 150));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setBrush(shade);
    painter.drawRect(field);
    return image;
}

QImage Felt(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(99);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double fibre = Noise(random);
            const double dx = (x - width / 2.0) / width;
            const double dy = (y - height / 2.0) / height;
            const double vignette = 1.0 - 0.9 * (dx * dx + dy * dy);
            const int g = std::clamp(static_cast<int>((78 + 26 * fibre) * vignette), 0, 255);
            const int r = std::clamp(static_cast<int>((12 + 10 * fibre) * vignette), 0, 255);
            const int b = std::clamp(static_cast<int>((30 + 14 * fibre) * vignette), 0, 255);
            image.setPixel(x, y, qRgb(r, g, b));
        }
    }
    QPainter painter(&image);
    painter.setPen(QPen(QColor(60, 34, 14), 8));
    painter.drawRect(QRect(4, 4, width - 8, height - 8));
    painter.setPen(QPen(QColor(200, 170, 90, 160), 1));
    painter.drawRect(QRect(11, 11, width - 22, height - 22));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the JPEG writer is a plugin
    if (argc != 3)
        return 2;
    const bool menu = Wood(569, 441).save(QString::fromLocal8Bit(argv[1]), "JPG", 88);
    const bool dialog = Felt(420, 320).save(QString::fromLocal8Bit(argv[2]), "BMP");
    return menu && dialog ? 0 : 1;
}
