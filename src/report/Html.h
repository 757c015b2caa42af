// HTML text from the club's data: every value escaped, pages made from the
// templates of data/report/.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace report {

/*! Text as it may stand in an element or a quoted attribute. */
QString Escape(const QString& text);

/*! A page's UTF-8 text in one buffer that is used again page after page:
    a hundred thousand pages are not made of QString pieces. */
class HtmlOut {
  public:
    HtmlOut& Raw(std::string_view html) {
        bytes_.append(html);
        return *this;
    }
    HtmlOut& Html(const QString& html);
    /*! Escaped as Escape does. */
    HtmlOut& Text(std::string_view utf8);
    HtmlOut& Text(const QString& text);
    HtmlOut& Int(long long value);
    /*! With one decimal: "12.5". */
    HtmlOut& Fixed(double value);
    const std::string& Bytes() const { return bytes_; }
    size_t Size() const { return bytes_.size(); }
    void Clear() { bytes_.clear(); }

  private:
    std::string bytes_;
};

/*! The page template up to the body and from it on: title and made are
    plain text, root "" or "../". Values are put in as they are, so a name
    such as "{{body}}" stays text. */
void PageHead(HtmlOut& out, const QString& title, std::string_view root);
void PageTail(HtmlOut& out, std::string_view root, const QString& made);

/*! A whole page: title (plain text), body (HTML), root ("" or "../"), made (plain text). */
QByteArray Page(const QString& title, const QString& body, const QString& root,
                const QString& made);

QString PageTemplate();
QByteArray StyleSheet();
QByteArray Script();

} // namespace report
