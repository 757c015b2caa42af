#include "shell/Background.h"
#include "shell/AppOptions.h"
#include "shell/BmpDecoder.h"
#include "shell/JpegDecoder.h"

#include <QBitmap>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace shell {

namespace {

// The format is known: probing every image plugin for it would load them all.
QImage ReadWithQt(const QString& path, const char* format) {
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QImage LoadPicture(const QString& written) {
    // Option files written the Windows way name "Data\Menu.jpg".
    const QString path = LocalPath(written);
    const QString ext = QFileInfo(path).suffix().toLower();
    QImage image;
    if (ext == QLatin1String("bmp")) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            image = DecodePlainBmp(file.readAll());
        if (image.isNull())
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

namespace {

// The dialogs share one picture: decode it once and share the pixels while
// the file stays the same.
struct CachedPicture {
    QString path;
    qint64 size = -1;
    QDateTime modified;
    QPixmap pixmap;
};

QPixmap LoadPixmap(const QString& path) {
    static CachedPicture cache;
    const QFileInfo info(LocalPath(path));
    if (!path.isEmpty() && info.isFile() && cache.path == info.absoluteFilePath() &&
        cache.size == info.size() && cache.modified == info.lastModified())
        return cache.pixmap;
    QPixmap pixmap = QPixmap::fromImage(LoadPicture(path));
    cache = {info.absoluteFilePath(), info.size(), info.lastModified(), pixmap};
    return pixmap;
}

} // namespace

void CheckBackground(const QString& path) {
    const QString local = LocalPath(path);
    QFile file(local);
    if (QFileInfo(local).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0 &&
        file.open(QIODevice::ReadOnly) &&
        PlainBmpComplete(file.read(PlainBmpHeaderBytes), file.size()))
        return;
    LoadPixmap(path);
}

void LoadBackground(QWidget* window, const QString& path, BackgroundDrawing drawing) {
    QPixmap pixmap = LoadPixmap(path);
    if (drawing == BackgroundDrawing::Transparent &&
        QFileInfo(path).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0) {
        const QImage image = pixmap.toImage();
        const QRgb key = image.pixel(0, image.height() - 1);
        pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(key, Qt::MaskInColor)));
    }
    auto* label =
        window->findChild<QLabel*>(QStringLiteral("Background"), Qt::FindDirectChildrenOnly);
    if (!label) {
        label = new QLabel(window);
        label->setObjectName(QStringLiteral("Background"));
    }
    label->setScaledContents(true);
    label->setPixmap(pixmap);
    label->setGeometry(window->rect());
    label->lower();
    label->show();
}

} // namespace shell
