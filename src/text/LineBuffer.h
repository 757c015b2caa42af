// A text file held whole as zero-based lines: reading past the end gives
// empty text, replacing past the end does nothing, and the file is written
// back with CR LF and a final break only where it had one.
#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace text {

class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class LineBuffer {
  public:
    /*! Splits text at CR LF, CR or LF. A final break makes one more, empty line. */
    void SetText(const QString& text);
    /*! The lines joined by CR LF (so the final break survives as the empty last line). */
    QString Text() const;

    /*! Reads a Windows-1251 file. Throws FileError when it cannot be read. */
    void LoadFromFile(const QString& path);
    /*! Writes the text in Windows-1251, atomically: a temporary file beside the
        target is renamed over it. Throws FileError on failure; the old file stays. */
    void SaveToFile(const QString& path) const;

    QString Line(int index) const;
    void SetLine(int index, const QString& line);
    /*! Number of lines, the empty one after a final break included. */
    int Count() const { return static_cast<int>(lines_.size()); }
    /*! Number of lines without the empty one after a final break. */
    int CountWithoutFinalBreak() const;
    bool IsEmpty() const { return Text().isEmpty(); }

  private:
    QStringList lines_;
};

} // namespace text
