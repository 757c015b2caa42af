// Writes a site into a temporary folder beside its place and moves it into
// place at the end, so a failed run leaves the old site as it was. Only the
// report's own names are ever replaced: a user's other files stay.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTemporaryDir;

namespace report {

class SiteWriter {
  public:
    /*! The report's own files and folders at the top of its folder. */
    static const QStringList& OwnNames();

    /*! Creates dir where missing and the temporary folder inside it. A
        folder that has any of OwnNames but was not made by the report is
        refused. Throws std::runtime_error. */
    explicit SiteWriter(const QString& dir);
    /*! Without Commit: the temporary folder goes, and dir too if this made it. */
    ~SiteWriter();
    SiteWriter(const SiteWriter&) = delete;
    SiteWriter& operator=(const SiteWriter&) = delete;

    /*! One file, path relative to the site (folders of OwnNames). Throws
        std::runtime_error. Any thread may write. */
    void Write(const QString& path, const QByteArray& content);
    void Write(std::string_view path, std::string_view content);

    /*! A file written piece by piece, for a page too big to hold whole. */
    class File {
      public:
        File(const SiteWriter& writer, std::string_view path);
        ~File();
        File(const File&) = delete;
        File& operator=(const File&) = delete;
        void Append(std::string_view content);
        /*! Throws std::runtime_error when the last bytes cannot be written. */
        void Close();

      private:
        [[noreturn]] void Fail() const;

        const SiteWriter& writer_;
        std::string path_;
        int fd_ = -1;
    };

    /*! Moves every file into place. Throws std::runtime_error, and then
        the old site and every user's file are where they were. */
    void Commit();

  private:
    struct Moved {
        QString from, to;
    };
    void Move(const QString& from, const QString& to);
    void KeepUsersFiles(const QString& old, const QString& made);
    /*! False when some move could not be undone. */
    bool UndoMoves();

    std::vector<Moved> moves_; // Commit's, in order
    QString dir_;
    bool madeDir_ = false;
    bool committed_ = false;
    std::unique_ptr<QTemporaryDir> temp_;
    std::string tempPath_; // as the system names it
    int tempFd_ = -1;      // files are made relative to it: no long path to walk each time
};

} // namespace report
