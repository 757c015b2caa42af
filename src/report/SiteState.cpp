#include "report/SiteState.h"

#include "report/Digest.h"
#include "report/Html.h"
#include "report/Pages.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QIODevice>
#include <QSaveFile>
#include <stdexcept>

namespace report {

const QString StateFileName = QStringLiteral(".vertan-site-state");

namespace {

constexpr quint32 Magic = 0x56535354; // "VSST"
// Raised whenever a page's content changes in a way its digests do not
// show (a new column, a new wording): such a site is made again whole.
constexpr quint32 PagesVersion = 6;

// The pages' own look: a site made with other templates is made again whole.
quint64 PagesDigest() {
    static const quint64 digest = [] {
        Digest d;
        d.Word(PagesVersion).Text(PageTemplate());
        const QByteArray style = StyleSheet(), script = Script();
        d.Bytes({style.constData(), size_t(style.size())});
        d.Bytes({script.constData(), size_t(script.size())});
        return d.Bytes(BoardPicture()).Value();
    }();
    return digest;
}

QByteArray Body(const SiteState& state) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << state.firstCode << state.lastCode << quint32(state.groups.size());
    for (const auto& [name, units] : state.groups) {
        out << QByteArray::fromStdString(name) << quint64(units.size());
        for (const auto& [key, unit] : units)
            out << key << unit.digest << unit.kept;
    }
    return body;
}

bool ReadBody(const QByteArray& body, SiteState& state) {
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 groups = 0;
    in >> state.firstCode >> state.lastCode >> groups;
    for (quint32 g = 0; g < groups && in.status() == QDataStream::Ok; ++g) {
        QByteArray name;
        quint64 count = 0;
        in >> name >> count;
        SiteState::Units& units = state.groups[name.toStdString()];
        for (quint64 u = 0; u < count && in.status() == QDataStream::Ok; ++u) {
            qint64 key = 0;
            SiteState::Unit unit;
            in >> key >> unit.digest >> unit.kept;
            units.emplace_hint(units.end(), key, std::move(unit));
        }
    }
    return in.status() == QDataStream::Ok && in.atEnd();
}

} // namespace

QByteArray StateBytes(const SiteState& state) {
    const QByteArray body = Body(state);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << Magic << PagesDigest() << body
        << QCryptographicHash::hash(body, QCryptographicHash::Sha256);
    return bytes;
}

std::optional<SiteState> LoadState(const QString& dir, QString& why) {
    QFile file(dir + QLatin1Char('/') + StateFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("the site has no state of an earlier run");
        return std::nullopt;
    }
    QDataStream in(&file);
    quint32 magic = 0;
    quint64 pages = 0;
    QByteArray body, sum;
    in >> magic >> pages;
    if (in.status() != QDataStream::Ok || magic != Magic) {
        why = QStringLiteral("the site's state is damaged");
        return std::nullopt;
    }
    if (pages != PagesDigest()) {
        why = QStringLiteral("the site was made by another version of the pages");
        return std::nullopt;
    }
    in >> body >> sum;
    SiteState state;
    if (in.status() != QDataStream::Ok || !in.atEnd() ||
        sum != QCryptographicHash::hash(body, QCryptographicHash::Sha256) ||
        !ReadBody(body, state)) {
        why = QStringLiteral("the site's state is damaged");
        return std::nullopt;
    }
    return state;
}

void SaveState(const QString& dir, const SiteState& state) {
    // QSaveFile writes beside the file, flushes it to disk and renames it over.
    QSaveFile file(dir + QLatin1Char('/') + StateFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(StateBytes(state)) < 0 || !file.commit())
        throw std::runtime_error(
            QStringLiteral("cannot write the site's state: %1").arg(file.errorString()).toStdString());
}

} // namespace report
