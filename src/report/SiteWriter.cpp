#include "report/SiteWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>
#include <stdexcept>

namespace report {

namespace {

[[noreturn]] void Fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

// A page the report makes inside one of its folders: "12.html".
bool IsReportPage(const QString& name) {
    static const QRegularExpression page(QStringLiteral("^[0-9]+\\.html$"));
    return page.match(name).hasMatch();
}

void Rename(const QString& from, const QString& to) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        Fail(QStringLiteral("cannot move %1 to %2").arg(from, to));
}

} // namespace

const QStringList& SiteWriter::OwnNames() {
    static const QStringList names{QStringLiteral("index.html"), QStringLiteral("dice.html"),
                                   QStringLiteral("style.css"),  QStringLiteral("report.js"),
                                   QStringLiteral("players"),    QStringLiteral("games"),
                                   QStringLiteral("journal")};
    return names;
}

SiteWriter::SiteWriter(const QString& dir) : dir_(QDir(dir).absolutePath()) {
    if (!QFileInfo(dir_).isDir()) {
        if (!QDir().mkpath(dir_))
            Fail(QStringLiteral("cannot create %1").arg(dir_));
        madeDir_ = true;
    }
    temp_ = std::make_unique<QTemporaryDir>(dir_ + QStringLiteral("/.report-XXXXXX"));
    if (!temp_->isValid())
        Fail(QStringLiteral("cannot write into %1: %2").arg(dir_, temp_->errorString()));
    for (const char* folder : {"players", "games", "journal"})
        if (!QDir(temp_->path()).mkdir(folder))
            Fail(QStringLiteral("cannot write into %1").arg(temp_->path()));
}

SiteWriter::~SiteWriter() {
    temp_.reset();
    if (madeDir_ && !committed_)
        QDir().rmdir(dir_);
}

void SiteWriter::Write(const QString& path, const QByteArray& content) {
    QFile file(temp_->path() + QLatin1Char('/') + path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.flush())
        Fail(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

void SiteWriter::Commit() {
    const QString temp = temp_->path();
    // A user's file where the report keeps a folder, or the other way round,
    // stops the run before anything is moved.
    for (const QString& name : OwnNames()) {
        const QFileInfo old(dir_ + QLatin1Char('/') + name);
        if (old.exists() && old.isDir() != QFileInfo(temp + QLatin1Char('/') + name).isDir())
            Fail(QStringLiteral("%1 is in the way of the report").arg(old.filePath()));
    }
    for (const QString& name : OwnNames()) {
        const QString made = temp + QLatin1Char('/') + name;
        const QString target = dir_ + QLatin1Char('/') + name;
        const QFileInfo old(target);
        if (!old.isDir() || old.isSymLink()) {
            // A file is replaced at once; so is a folder where none stood.
            Rename(made, target);
            continue;
        }
        // The old folder steps aside, the new one takes its place, and what a
        // user put into the old one moves over; the old pages go.
        const QString aside = temp + QStringLiteral("/old-") + name;
        Rename(target, aside);
        Rename(made, target);
        QDirIterator entries(aside,
                             QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        while (entries.hasNext()) {
            entries.next();
            const QString entry = entries.fileName();
            if (!IsReportPage(entry) || !entries.fileInfo().isFile())
                Rename(entries.filePath(), target + QLatin1Char('/') + entry);
        }
    }
    committed_ = true;
    temp_.reset(); // removes the old pages with the temporary folder
}

} // namespace report
