// Writes a site into a temporary folder beside its place and moves it into
// place at the end, so a failed run leaves the old site as it was. Only the
// report's own names are ever replaced: a user's other files stay.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class QTemporaryDir;

namespace report {

class SiteWriter {
  public:
    /*! The report's own files and folders at the top of its folder. */
    static const QStringList& OwnNames();

    /*! Called at each step of a commit with its name; a test's hook throws
        to stop the run there, as if it were killed. */
    using FaultHook = std::function<void(std::string_view step)>;

    /*! Whether dir holds a site the report made (its mark). */
    static bool IsSite(const QString& dir);

    /*! Creates dir where missing and the temporary folder inside it. A
        folder that has any of OwnNames but was not made by the report is
        refused. update: the pages written replace only themselves
        (CommitUpdate), dir being a site already. Throws std::runtime_error. */
    explicit SiteWriter(const QString& dir, bool update = false, FaultHook fault = {});
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
        the old site and every user's file are where they were. The site's
        state goes first: a run stopped halfway leaves none, and the next
        run is a full one. */
    void Commit();

    /*! For an update: moves each page written over its old one, removes the
        pages stale (paths) and, in each folder of sweep, every page of the
        report not written now. The site's state steps aside first, so that a
        run stopped halfway leaves none. Throws std::runtime_error, and then
        the old site and its state are where they were. */
    void CommitUpdate(const std::vector<std::string>& stale, const std::vector<std::string>& sweep);

    /*! Pages written and removed by CommitUpdate. */
    size_t Written() const { return written_.size(); }
    size_t Removed() const { return removed_; }

    /*! Calls the fault hook. */
    void Step(std::string_view step) const;

  private:
    void Wrote(std::string_view path) const;
    /*! Moves the site's file at path into the temporary folder's old pages. */
    void MoveAside(const std::string& path);
    struct Moved {
        QString from, to;
    };
    void Move(const QString& from, const QString& to);
    void KeepUsersFiles(const QString& old, const QString& made);
    /*! False when some move could not be undone. */
    bool UndoMoves();
    /*! Called while error is handled: undoes the moves and throws it again,
        or a failure naming where the rest of the old site is. */
    [[noreturn]] void PutBack(const std::runtime_error& error);

    std::vector<Moved> moves_; // Commit's, in order
    mutable std::mutex writtenMutex_;
    mutable std::vector<std::string> written_; // an update's pages, relative paths
    size_t removed_ = 0;
    QString dir_;
    bool update_ = false;
    FaultHook fault_;
    bool madeDir_ = false;
    bool committed_ = false;
    std::unique_ptr<QTemporaryDir> temp_;
    std::string tempPath_; // as the system names it
    int tempFd_ = -1;      // files are made relative to it: no long path to walk each time
};

} // namespace report
