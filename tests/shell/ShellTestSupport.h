// A throw-away program folder as the current directory, recorded message
// boxes, and pictures made on the fly.
#pragma once

#include "common/FileSizeLimit.h"
#include "shell/MessageBoxes.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace shelltest {

struct Box {
    shell::BoxKind kind;
    QString caption;
    QString text;
};

/*! Records every message box; confirmations get `answer`. Unhooks on destruction. */
class BoxRecorder {
  public:
    explicit BoxRecorder(bool answer = true);
    ~BoxRecorder();
    std::vector<Box> boxes;
    QStringList Texts() const;
};

/*! A temporary program folder made the current directory, without the
    engine; the previous current directory, the end-of-program flag and the
    engine's setting are restored on destruction. */
class ProgramFolderFixture {
  public:
    ProgramFolderFixture();
    ~ProgramFolderFixture();
    QString Path() const { return dir_.path(); }
    QString File(const QString& relative) const { return dir_.filePath(relative); }
    void Write(const QString& relative, const QByteArray& bytes) const;
    QByteArray Read(const QString& relative) const;
    /*! A working program folder: options (colour line given), pictures,
        Config.cfg, About.rtf. */
    void WriteStandard(const QByteArray& colorLine = "clYellow") const;
    /*! "GNU Backgammon is installed": as this shell script, "./gnubg". Until
        then it is not, whatever the machine has. */
    void InstallEngine(const QByteArray& script) const;

  private:
    QTemporaryDir dir_;
    QString previous_;
    QByteArray previousEngine_;
};

/*! A dialog's test: a standard program folder as ProgramFolder, the dialog
    picture as DialogBackground, and every message box recorded. */
class DialogFolderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    ProgramFolderFixture folder;
    BoxRecorder boxes;
};

using testcommon::FileSizeLimit;

/*! A small picture encoded by Qt in the given format ("BMP", "JPG", "ICO", "PNG"). */
QByteArray EncodedPicture(const char* format, QSize size = QSize(40, 30));

} // namespace shelltest
