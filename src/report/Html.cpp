#include "report/Html.h"

#include "report/ClubLook.h"

#include <charconv>
#include <vector>

namespace report {

QString Escape(const QString& text) {
    // Qt's escaping covers & < > and "; attributes may be single-quoted too.
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
}

namespace {

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), size_t(bytes.size())};
}

} // namespace

HtmlOut& HtmlOut::Html(const QString& html) {
    return Raw(View(html.toUtf8()));
}

HtmlOut& HtmlOut::Text(std::string_view utf8) {
    size_t from = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        std::string_view entity;
        switch (utf8[i]) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        case '\'': entity = "&#39;"; break;
        default: continue;
        }
        bytes_.append(utf8.substr(from, i - from)).append(entity);
        from = i + 1;
    }
    bytes_.append(utf8.substr(from));
    return *this;
}

HtmlOut& HtmlOut::Text(const QString& text) {
    return Text(View(text.toUtf8()));
}

HtmlOut& HtmlOut::Int(long long value) {
    // Most numbers of a page are cells of a board or points: one or two digits.
    if (value >= 0 && value < 100) {
        if (value >= 10)
            bytes_ += char('0' + value / 10);
        bytes_ += char('0' + value % 10);
        return *this;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    bytes_.append(digits, size_t(end - digits));
    return *this;
}

HtmlOut& HtmlOut::Fixed(double value) {
    char digits[32];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 1).ptr;
    bytes_.append(digits, size_t(end - digits));
    return *this;
}

namespace {

// The template cut at its {{keys}} once: text pieces, each followed by a key.
struct Piece {
    std::string text;
    std::string key; // empty after the last piece
};

const std::vector<Piece>& Pieces() {
    static const std::vector<Piece> pieces = [] {
        const std::string tmpl = PageTemplate().toStdString();
        std::vector<Piece> cut;
        size_t from = 0;
        while (true) {
            const size_t open = tmpl.find("{{", from);
            const size_t close = open == std::string::npos ? open : tmpl.find("}}", open + 2);
            if (close == std::string::npos) {
                cut.push_back({tmpl.substr(from), {}});
                return cut;
            }
            cut.push_back({tmpl.substr(from, open - from), tmpl.substr(open + 2, close - open - 2)});
            from = close + 2;
        }
    }();
    return pieces;
}

// The club's name and logo at the top of every page, when the club has them.
void AddClubLine(HtmlOut& out, std::string_view root) {
    const ClubLook& look = CurrentClubLook();
    if (look.name.isEmpty() && look.logo.isEmpty())
        return;
    out.Raw("<p class=\"club\">");
    if (!look.logo.isEmpty())
        out.Raw("<img src=\"").Raw(root).Text(look.LogoName()).Raw("\" alt=\"\" height=\"48\">");
    out.Text(look.name).Raw("</p>");
}

// The club's colours over the style's own; they were checked to be #rrggbb.
void AddClubStyle(HtmlOut& out) {
    const ClubLook& look = CurrentClubLook();
    if (look.accent.isEmpty() && look.background.isEmpty())
        return;
    out.Raw("<style>");
    if (!look.background.isEmpty())
        out.Raw("body{background:").Text(look.background).Raw("}");
    if (!look.accent.isEmpty())
        out.Raw("a,.club{color:")
            .Text(look.accent)
            .Raw("}.club{border-color:")
            .Text(look.accent)
            .Raw("}");
    out.Raw("</style>");
}

// Writes the pieces of one half of the template: before {{body}}, or after it.
void Fill(HtmlOut& out, bool afterBody, const QString& title, std::string_view root,
          const QString& made) {
    bool after = false;
    for (const Piece& piece : Pieces()) {
        if (after == afterBody)
            out.Raw(piece.text);
        if (piece.key == "body") {
            if (afterBody == after)
                return;
            after = true;
            continue;
        }
        if (after != afterBody)
            continue;
        if (piece.key == "title")
            out.Text(title);
        else if (piece.key == "root")
            out.Raw(root);
        else if (piece.key == "made")
            out.Text(made);
        else if (piece.key == "club")
            AddClubLine(out, root);
        else if (piece.key == "clubstyle")
            AddClubStyle(out);
    }
}

} // namespace

void PageHead(HtmlOut& out, const QString& title, std::string_view root) {
    Fill(out, false, title, root, {});
}

void PageTail(HtmlOut& out, std::string_view root, const QString& made) {
    Fill(out, true, {}, root, made);
}

QByteArray Page(const QString& title, const QString& body, const QString& root,
                const QString& made) {
    HtmlOut out;
    const std::string rootBytes = root.toStdString();
    PageHead(out, title, rootBytes);
    out.Html(body);
    PageTail(out, rootBytes, made);
    return QByteArray::fromStdString(out.Bytes());
}

} // namespace report
