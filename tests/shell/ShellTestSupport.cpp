#include "ShellTestSupport.h"
#include "shell/AppOptions.h"
#include "shell/ProgramEnd.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace shelltest {

BoxRecorder::BoxRecorder(bool answer) {
    shell::SetMessageBoxHook(
        [this, answer](shell::BoxKind kind, const QString& caption, const QString& text) {
            boxes.push_back({kind, caption, text});
            return answer;
        });
}

BoxRecorder::~BoxRecorder() {
    shell::SetMessageBoxHook({});
}

QStringList BoxRecorder::Texts() const {
    QStringList texts;
    for (const Box& box : boxes)
        texts << box.text;
    return texts;
}

ProgramFolderFixture::ProgramFolderFixture()
    : previous_(QDir::currentPath()), previousEngine_(qgetenv("VERTAN_GNUBG")) {
    QDir(dir_.path()).mkpath(QStringLiteral("Data"));
    QDir::setCurrent(dir_.path());
    shell::ResetProgramEnd();
    // The engine is installed where a test puts it, whatever this machine has.
    qputenv("VERTAN_GNUBG", QFile::encodeName(File(QStringLiteral("no-gnubg"))));
}

ProgramFolderFixture::~ProgramFolderFixture() {
    QDir::setCurrent(previous_);
    shell::ResetProgramEnd();
    if (previousEngine_.isNull())
        qunsetenv("VERTAN_GNUBG");
    else
        qputenv("VERTAN_GNUBG", previousEngine_);
}

void ProgramFolderFixture::InstallEngine(const QByteArray& script) const {
    Write(QStringLiteral("gnubg"), "#!/bin/sh\n" + script + "\n");
    QFile::setPermissions(File(QStringLiteral("gnubg")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("VERTAN_GNUBG", QFile::encodeName(File(QStringLiteral("gnubg"))));
}

void ProgramFolderFixture::Write(const QString& relative, const QByteArray& bytes) const {
    const QString path = File(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray ProgramFolderFixture::Read(const QString& relative) const {
    QFile file(File(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ProgramFolderFixture::WriteStandard(const QByteArray& colorLine) const {
    Write(QStringLiteral("Data/Options.cfg"),
          colorLine + "\r\nData/Menu.jpg\r\nData/Dialog.bmp\r\n4000\r\ntolvaner\r\n");
    Write(QStringLiteral("Data/Menu.jpg"), EncodedPicture("JPG", QSize(569, 441)));
    Write(QStringLiteral("Data/Dialog.bmp"), EncodedPicture("BMP", QSize(100, 80)));
    Write(QStringLiteral("Config.cfg"), "[video]\r\n\r\nwidth 800\r\nheight 600\r\nfullscreen "
                                        "false\r\n[net]\r\n\r\n\r\nserver_port 1\r\n");
    Write(QStringLiteral("Data/About.rtf"), "{\\rtf1\\ansi\\ansicpg1251 \\b About\\b0\\par}");
}

void DialogFolderTest::SetUp() {
    folder.WriteStandard();
    shell::ProgramFolder = folder.Path();
    shell::DialogBackground = QStringLiteral("Data/Dialog.bmp");
}

QByteArray EncodedPicture(const char* format, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 60));
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, size.width() / 2, size.height() / 2), QColor(200, 150, 60));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace shelltest
