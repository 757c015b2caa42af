// Writes a site into a temporary folder beside its place and moves it into
// place at the end, so a failed run leaves the old site as it was. Only the
// report's own names are ever replaced: a user's other files stay.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

class QTemporaryDir;

namespace report {

class SiteWriter {
  public:
    /*! The report's own files and folders at the top of its folder. */
    static const QStringList& OwnNames();

    /*! Creates dir where missing and the temporary folder inside it. Throws
        std::runtime_error. */
    explicit SiteWriter(const QString& dir);
    /*! Without Commit: the temporary folder goes, and dir too if this made it. */
    ~SiteWriter();
    SiteWriter(const SiteWriter&) = delete;
    SiteWriter& operator=(const SiteWriter&) = delete;

    /*! One file, path relative to the site (folders of OwnNames). Throws std::runtime_error. */
    void Write(const QString& path, const QByteArray& content);
    /*! Moves every file into place. Throws std::runtime_error. */
    void Commit();

  private:
    QString dir_;
    bool madeDir_ = false;
    bool committed_ = false;
    std::unique_ptr<QTemporaryDir> temp_;
};

} // namespace report
