#include "text/Win1251.h"

#include <QHash>
#include <QStringDecoder>
#include <array>

namespace text {
namespace {

// The code page as two tables, built once from Qt's own converter so that
// per-character lookups need no converter state.
struct CodePage {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, uint8_t> fromUnicode;

    CodePage() {
        QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            const char16_t u = s.size() == 1 ? s.at(0).unicode() : u'\uFFFD';
            toUnicode[static_cast<size_t>(b)] = u;
            if (u != u'\uFFFD' && !fromUnicode.contains(u))
                fromUnicode.insert(u, static_cast<uint8_t>(b));
        }
    }
};

const CodePage& Page() {
    static const CodePage page;
    return page;
}

} // namespace

int Win1251Code(QChar c) {
    const auto& map = Page().fromUnicode;
    const auto it = map.constFind(c.unicode());
    return it == map.constEnd() ? -1 : *it;
}

QByteArray ToWin1251(const QString& s) {
    QByteArray out;
    out.reserve(s.size());
    for (QChar c : s) {
        const int code = Win1251Code(c);
        out.append(code < 0 ? '?' : static_cast<char>(code));
    }
    return out;
}

std::string ToWin1251Std(const QString& s) {
    return ToWin1251(s).toStdString();
}

QString FromWin1251(std::string_view bytes) {
    const auto& table = Page().toUnicode;
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes)
        out.append(QChar(table[static_cast<uint8_t>(b)]));
    return out;
}

QString FromWin1251(const QByteArray& bytes) {
    return FromWin1251(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

} // namespace text
