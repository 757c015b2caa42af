#include "shell/Background.h"
#include "shell/JpegDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace shell {

namespace {

QImage ReadWithQt(const QString& path, const char* format) {
    QImage image;
    image.load(path, format);
    return image;
}

} // namespace

QImage LoadPicture(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    QImage image;
    if (ext == QLatin1String("bmp")) {
        image = ReadWithQt(path, "BMP");
    } else if (ext == QLatin1String("ico")) {
        image = ReadWithQt(path, "ICO");
    } else if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg")) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw PictureError("cannot open picture");
        image = DecodeJpeg(file.readAll());
    } else {
        // Metafiles included: no metafile reader on this platform.
        throw PictureError("unknown picture format");
    }
    if (image.isNull())
        throw PictureError("picture cannot be read");
    return image;
}

void LoadBackground(QWidget* window, const QString& path) {
    const QImage image = LoadPicture(path);
    auto* label =
        window->findChild<QLabel*>(QStringLiteral("Background"), Qt::FindDirectChildrenOnly);
    if (!label) {
        label = new QLabel(window);
        label->setObjectName(QStringLiteral("Background"));
    }
    label->setScaledContents(true);
    label->setPixmap(QPixmap::fromImage(image));
    label->setGeometry(window->rect());
    label->lower();
    label->show();
}

} // namespace shell
