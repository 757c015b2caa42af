#include "report/SiteWriter.h"

#include "report/SiteState.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <stdexcept>
#include <unistd.h>

namespace report {

namespace {

[[noreturn]] void Fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

// A page the report makes inside one of its folders: "12.html", and the
// journal's newest page.
bool IsReportPage(const QString& name, bool journal) {
    static const QRegularExpression page(QStringLiteral("^[0-9]+\\.html$"));
    return page.match(name).hasMatch() || (journal && name == QLatin1String("index.html"));
}

// A folder of pages the report makes inside one of its folders: "12".
bool IsReportFolder(const QFileInfo& entry) {
    static const QRegularExpression folder(QStringLiteral("^[0-9]+$"));
    return entry.isDir() && !entry.isSymLink() && folder.match(entry.fileName()).hasMatch();
}

[[noreturn]] void FailWriting(const std::string& path) {
    Fail(QStringLiteral("cannot write %1: %2")
             .arg(QFile::decodeName(path.c_str()), QString::fromLocal8Bit(std::strerror(errno))));
}

bool Renamed(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
           0;
}

// What the report writes at the top of a folder it made: a folder without
// it is somebody else's and is not taken over.
const QString Mark = QStringLiteral(".vertan-site");
const QByteArray MarkText = "This folder is a club page made by vertan --report: its pages are "
                            "replaced at every run; other files are kept.\n";

// A site made before the mark existed: its index page is one of ours.
bool OldSite(const QString& dir) {
    QFile index(dir + QStringLiteral("/index.html"));
    if (!index.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = index.read(4096);
    return head.contains("— Вертан</title>") &&
           head.contains("<script src=\"report.js\" defer>");
}

} // namespace

const QStringList& SiteWriter::OwnNames() {
    static const QStringList names{Mark, QStringLiteral("index.html"), QStringLiteral("dice.html"),
                                   QStringLiteral("style.css"),  QStringLiteral("report.js"),
                                   QStringLiteral("board.svg"),
                                   QStringLiteral("players"),    QStringLiteral("games"),
                                   QStringLiteral("journal"),    QStringLiteral("club"),
                                   QStringLiteral("tournaments")};
    return names;
}

bool SiteWriter::IsSite(const QString& dir) {
    return QFileInfo(dir + QLatin1Char('/') + Mark).isFile();
}

SiteWriter::SiteWriter(const QString& dir, bool update, FaultHook fault)
    : dir_(QDir(dir).absolutePath()), update_(update), fault_(std::move(fault)) {
    if (!QFileInfo(dir_).isDir()) {
        if (!QDir().mkpath(dir_))
            Fail(QStringLiteral("cannot create %1").arg(dir_));
        madeDir_ = true;
    } else if (!QFileInfo::exists(dir_ + QLatin1Char('/') + Mark) && !OldSite(dir_)) {
        // Pages by the report's names in somebody else's folder are not ours to replace.
        for (const QString& name : OwnNames())
            if (QFileInfo::exists(dir_ + QLatin1Char('/') + name) ||
                QFileInfo(dir_ + QLatin1Char('/') + name).isSymLink())
                Fail(QStringLiteral("%1 was not made by the club's page (it has %2 but no %3): "
                                    "choose an empty folder or one made by --report")
                         .arg(dir_, name, Mark));
    }
    temp_ = std::make_unique<QTemporaryDir>(dir_ + QStringLiteral("/.report-XXXXXX"));
    if (!temp_->isValid())
        Fail(QStringLiteral("cannot write into %1: %2").arg(dir_, temp_->errorString()));
    for (const char* folder : {"players", "games", "journal", "club", "tournaments"})
        if (!QDir(temp_->path()).mkdir(folder))
            Fail(QStringLiteral("cannot write into %1").arg(temp_->path()));
    tempPath_ = QFile::encodeName(temp_->path()).toStdString();
    tempFd_ = ::open(tempPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (tempFd_ < 0)
        FailWriting(tempPath_);
    if (!update_)
        Write(Mark, MarkText);
}

void SiteWriter::Step(std::string_view step) const {
    if (fault_)
        fault_(step);
}

void SiteWriter::Wrote(std::string_view path) const {
    if (!update_)
        return;
    const std::lock_guard lock(writtenMutex_);
    written_.emplace_back(path);
}

SiteWriter::~SiteWriter() {
    if (tempFd_ >= 0)
        ::close(tempFd_);
    temp_.reset();
    if (madeDir_ && !committed_)
        QDir().rmdir(dir_);
}

void SiteWriter::Write(const QString& path, const QByteArray& content) {
    const QByteArray name = QFile::encodeName(path);
    Write(std::string_view(name.constData(), size_t(name.size())),
          std::string_view(content.constData(), size_t(content.size())));
}

// Plain system calls: a million small files are mostly the kernel's work.
void SiteWriter::Write(std::string_view path, std::string_view content) {
    File file(*this, path);
    file.Append(content);
    file.Close();
}

SiteWriter::File::File(const SiteWriter& writer, std::string_view path)
    : writer_(writer), path_(path) {
    const auto open = [&] {
        return ::openat(writer.tempFd_, path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                        0644);
    };
    fd_ = open();
    if (fd_ < 0 && errno == ENOENT) {
        // A folder of pages made by the first page that goes into it.
        for (size_t slash = path_.find('/'); slash != std::string::npos;
             slash = path_.find('/', slash + 1))
            if (::mkdirat(writer.tempFd_, path_.substr(0, slash).c_str(), 0755) != 0 &&
                errno != EEXIST)
                Fail();
        fd_ = open();
    }
    if (fd_ < 0)
        Fail();
    writer.Wrote(path_);
}

void SiteWriter::File::Fail() const {
    FailWriting(writer_.tempPath_ + '/' + path_);
}

SiteWriter::File::~File() {
    if (fd_ >= 0)
        ::close(fd_);
}

void SiteWriter::File::Append(std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd_, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            Fail();
        content.remove_prefix(size_t(written));
    }
}

void SiteWriter::File::Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        Fail();
}

void SiteWriter::Move(const QString& from, const QString& to) {
    if (!Renamed(from, to))
        Fail(QStringLiteral("cannot move %1 to %2: %3")
                 .arg(from, to, QString::fromLocal8Bit(std::strerror(errno))));
    moves_.push_back({from, to});
}

// Moves what a user put into an old folder of the report (or into one of its
// folders of pages) over to the new one; the old pages stay behind. Folders
// made here are in the new site, so undoing the moves needs no more.
void SiteWriter::KeepUsersFiles(const QString& old, const QString& made) {
    // Listed first: entries move out of the folder while it is walked.
    const QFileInfoList entries = QDir(old).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        const QString target = made + QLatin1Char('/') + entry.fileName();
        if (IsReportFolder(entry)) {
            KeepUsersFiles(entry.filePath(), target);
        } else if (!IsReportPage(entry.fileName(), made == dir_ + QStringLiteral("/journal")) ||
                   !entry.isFile()) {
            if (!QDir().mkpath(made))
                Fail(QStringLiteral("cannot create %1").arg(made));
            Move(entry.filePath(), target);
        }
    }
}

void SiteWriter::PutBack(const std::runtime_error& error) {
    if (!UndoMoves()) {
        // Nothing is deleted that could still hold a user's file.
        temp_->setAutoRemove(false);
        Fail(QStringLiteral("%1; the old site could not be put back whole: what is missing "
                            "from it is in %2")
                 .arg(QString::fromUtf8(error.what()), temp_->path()));
    }
    throw; // the error being handled
}

bool SiteWriter::UndoMoves() {
    bool whole = true;
    for (auto move = moves_.rbegin(); move != moves_.rend(); ++move)
        whole = Renamed(move->to, move->from) && whole;
    moves_.clear();
    return whole;
}

void SiteWriter::Commit() {
    const QString temp = temp_->path();
    Step("pages written");
    // A user's file where the report keeps a folder, or the other way round,
    // stops the run before anything is moved.
    for (const QString& name : OwnNames()) {
        const QFileInfo old(dir_ + QLatin1Char('/') + name);
        if (old.exists() && old.isDir() != QFileInfo(temp + QLatin1Char('/') + name).isDir())
            Fail(QStringLiteral("%1 is in the way of the report").arg(old.filePath()));
    }
    // The state first, then every old name steps aside before the new one
    // takes its place, and what a user put into an old folder moves over; any
    // move that fails puts everything back, so the old site, its state and
    // the user's files stay as they were.
    try {
        if (QFileInfo::exists(dir_ + QLatin1Char('/') + StateFileName))
            Move(dir_ + QLatin1Char('/') + StateFileName, temp + QStringLiteral("/old-state"));
        Step("state dropped");
        for (const QString& name : OwnNames()) {
            const QString made = temp + QLatin1Char('/') + name;
            const QString target = dir_ + QLatin1Char('/') + name;
            const QFileInfo old(target);
            if (!old.exists() && !old.isSymLink()) {
                Move(made, target);
                continue;
            }
            const QString aside = temp + QStringLiteral("/old-") + name;
            Move(target, aside);
            Step("aside");
            Move(made, target);
            if (old.isDir() && !old.isSymLink())
                KeepUsersFiles(aside, target);
            Step("moved");
        }
    } catch (const std::runtime_error& error) {
        PutBack(error);
    }
    committed_ = true;
    temp_.reset(); // removes the old pages with the temporary folder
}

void SiteWriter::MoveAside(const std::string& path) {
    const QString name = QFile::decodeName(path.c_str());
    const QString aside = temp_->path() + QStringLiteral("/old/") + name;
    if (!QDir().mkpath(QFileInfo(aside).path()))
        Fail(QStringLiteral("cannot create %1").arg(QFileInfo(aside).path()));
    Move(dir_ + QLatin1Char('/') + name, aside);
}

void SiteWriter::CommitUpdate(const std::vector<std::string>& stale,
                              const std::vector<std::string>& sweep) {
    Step("pages written");
    std::vector<std::string> gone = stale;
    for (const std::string& folder : sweep) {
        const QString path = dir_ + QLatin1Char('/') + QFile::decodeName(folder.c_str());
        for (const QFileInfo& entry : QDir(path).entryInfoList(QDir::Files | QDir::Hidden))
            if (IsReportPage(entry.fileName(), false))
                gone.push_back(folder + '/' + QFile::encodeName(entry.fileName()).toStdString());
    }
    std::sort(written_.begin(), written_.end());
    try {
        if (QFileInfo::exists(dir_ + QLatin1Char('/') + StateFileName))
            MoveAside(QFile::encodeName(StateFileName).toStdString());
        Step("state dropped");
        for (const std::string& path : written_) {
            const QString target = dir_ + QLatin1Char('/') + QFile::decodeName(path.c_str());
            if (QFileInfo(target).isFile()) {
                MoveAside(path);
                Step("aside");
            } else if (!QDir().mkpath(QFileInfo(target).path()))
                Fail(QStringLiteral("cannot create %1").arg(QFileInfo(target).path()));
            Move(temp_->path() + QLatin1Char('/') + QFile::decodeName(path.c_str()), target);
            Step("moved");
        }
        for (const std::string& path : gone) {
            const QFileInfo target(dir_ + QLatin1Char('/') + QFile::decodeName(path.c_str()));
            if (!target.isFile() || std::binary_search(written_.begin(), written_.end(), path))
                continue;
            MoveAside(path);
            ++removed_;
            Step("removed");
        }
    } catch (const std::runtime_error& error) {
        PutBack(error);
    }
    committed_ = true;
}

} // namespace report
