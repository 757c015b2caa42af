// The background loaders on any bytes: the first byte picks the kind (BMP
// and ICO through Qt, JPEG through libjpeg), the rest is the file. A picture
// is either an image or a PictureError; nothing ends the process.
#include "shell/Background.h"

#include <QFile>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv); // the image plugins
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static const char* const kinds[] = {"bmp", "ico", "jpg"};
    const QString path = QStringLiteral("/dev/shm/vertan-fuzz-picture-%1.%2")
                             .arg(getpid())
                             .arg(QLatin1String(kinds[data[0] % 3]));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data + 1), static_cast<qint64>(size - 1));
    file.close();
    try {
        const QImage image = shell::LoadPicture(path);
        if (image.isNull())
            std::abort(); // a null image must have been an error
    } catch (const shell::PictureError&) {
    }
    QFile::remove(path);
    return 0;
}
