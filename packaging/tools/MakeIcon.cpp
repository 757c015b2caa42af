// Draws the program's icon: a wooden board with its points, a white and a
// black checker and a die. Usage: MakeIcon <file.png> <size>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

void Triangle(QPainter& painter, double left, double width, double base, double tip) {
    QPainterPath path;
    path.moveTo(left, base);
    path.lineTo(left + width, base);
    path.lineTo(left + width / 2, tip);
    path.closeSubpath();
    painter.drawPath(path);
}

void Checker(QPainter& painter, QPointF centre, double radius, QColor face, QColor rim) {
    painter.setPen(QPen(rim, radius * 0.18));
    painter.setBrush(face);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius * 0.55, radius * 0.55);
}

// Drawn on a 256-unit square and scaled, so every size shows the same picture.
QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    painter.setPen(QPen(QColor(60, 30, 10), 10));
    painter.setBrush(QColor(150, 90, 40));
    painter.drawRoundedRect(QRectF(10, 10, 236, 236), 28, 28);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 90, 50));
    painter.drawRect(QRectF(30, 30, 196, 196));
    for (int i = 0; i < 6; ++i) {
        painter.setBrush(i % 2 ? QColor(235, 220, 180) : QColor(160, 30, 30));
        Triangle(painter, 30 + i * 32.7, 32.7, 30, 120);
        painter.setBrush(i % 2 ? QColor(160, 30, 30) : QColor(235, 220, 180));
        Triangle(painter, 30 + i * 32.7, 32.7, 226, 136);
    }
    Checker(painter, QPointF(92, 190), 30, QColor(245, 240, 225), QColor(90, 80, 60));
    Checker(painter, QPointF(164, 66), 30, QColor(30, 30, 30), QColor(120, 120, 120));
    // A die showing five.
    painter.setPen(QPen(QColor(40, 40, 40), 5));
    painter.setBrush(QColor(250, 250, 245));
    painter.drawRoundedRect(QRectF(140, 140, 68, 68), 12, 12);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 20, 20));
    for (const QPointF pip : {QPointF(157, 157), QPointF(191, 157), QPointF(174, 174),
                              QPointF(157, 191), QPointF(191, 191)})
        painter.drawEllipse(pip, 7, 7);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int size = args.size() == 3 ? args[2].toInt() : 0;
    if (size <= 0) {
        std::fprintf(stderr, "usage: MakeIcon <file.png> <size>\n");
        return 2;
    }
    if (!Icon(size).save(args[1], "PNG")) {
        std::fprintf(stderr, "MakeIcon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
