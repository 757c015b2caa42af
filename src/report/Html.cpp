#include "report/Html.h"

namespace report {

QString Escape(const QString& text) {
    // Qt's escaping covers & < > and "; attributes may be single-quoted too.
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
}

QString Fill(const QString& tmpl, std::initializer_list<std::pair<QString, QString>> values) {
    QString out;
    out.reserve(tmpl.size());
    qsizetype from = 0;
    while (true) {
        const qsizetype open = tmpl.indexOf(QLatin1String("{{"), from);
        const qsizetype close = open < 0 ? -1 : tmpl.indexOf(QLatin1String("}}"), open + 2);
        if (close < 0) {
            out += QStringView(tmpl).mid(from);
            return out;
        }
        out += QStringView(tmpl).mid(from, open - from);
        const QStringView key = QStringView(tmpl).mid(open + 2, close - open - 2);
        for (const auto& [name, value] : values)
            if (key == name)
                out += value;
        from = close + 2;
    }
}

QByteArray Page(const QString& title, const QString& body, const QString& root,
                const QString& made) {
    static const QString tmpl = PageTemplate();
    return Fill(tmpl, {{QStringLiteral("title"), Escape(title)},
                       {QStringLiteral("body"), body},
                       {QStringLiteral("root"), root},
                       {QStringLiteral("made"), Escape(made)}})
        .toUtf8();
}

} // namespace report
