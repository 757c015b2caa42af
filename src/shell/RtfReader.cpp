#include "shell/RtfReader.h"
#include "text/Win1251.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <algorithm>
#include <optional>
#include <vector>

namespace shell {

namespace {

struct State {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;
    int color = 0;
    Qt::Alignment align = Qt::AlignLeft;
    int unicodeSkip = 1;
    bool skip = false;       // inside a destination that is not shown
    bool colorTable = false; // inside \colortbl
};

// Destinations whose text is not part of the document.
bool IsHiddenDestination(const QByteArray& word) {
    static const char* const hidden[] = {"fonttbl",
                                         "filetbl",
                                         "stylesheet",
                                         "info",
                                         "pict",
                                         "header",
                                         "headerl",
                                         "headerr",
                                         "headerf",
                                         "footer",
                                         "footerl",
                                         "footerr",
                                         "footerf",
                                         "footnote",
                                         "object",
                                         "listtable",
                                         "revtbl",
                                         "rsidtbl",
                                         "generator",
                                         "themedata",
                                         "datastore",
                                         "xmlnstbl",
                                         "latentstyles",
                                         "listoverridetable",
                                         "colorschememapping"};
    return std::any_of(std::begin(hidden), std::end(hidden),
                       [&](const char* name) { return word == name; });
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class Reader {
  public:
    Reader(const QByteArray& bytes, QTextDocument* document) : in_(bytes), cursor_(document) {
        colors_.push_back(QColor()); // index 0 until a table says otherwise: auto
    }

    void Run() {
        states_.push_back(State{});
        pos_ = std::max<qsizetype>(0, in_.indexOf('{'));
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                FlushBytes();
                states_.push_back(states_.back());
                pendingSkip_ = 0;
            } else if (c == '}') {
                FlushBytes();
                if (states_.size() > 1)
                    states_.pop_back();
                pendingSkip_ = 0;
            } else if (c == '\\') {
                Control();
            } else if (c == '\r' || c == '\n' || c == '\0') {
                // Line breaks in the source are not text.
            } else {
                TextByte(c);
            }
        }
        FlushBytes();
        FlushText();
        ApplyBlockAlignment();
    }

  private:
    State& Cur() { return states_.back(); }

    void Control() {
        FlushBytes(); // text before the control keeps its place and format
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            Symbol(c);
            return;
        }
        const qsizetype start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - start < 32)
            ++pos_;
        const QByteArray word = in_.mid(start, pos_ - start);
        std::optional<long long> param;
        bool negative = false;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() &&
            IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        if (pos_ < in_.size() && IsDigit(in_[pos_])) {
            long long value = 0;
            int digits = 0;
            while (pos_ < in_.size() && IsDigit(in_[pos_])) {
                if (digits < 10)
                    value = value * 10 + (in_[pos_] - '0');
                ++digits;
                ++pos_;
            }
            param = negative ? -value : value;
        }
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        Word(word, param);
    }

    void Symbol(char c) {
        switch (c) {
        case '\'': {
            if (pos_ + 1 < in_.size()) {
                const int hi = HexValue(in_[pos_]);
                const int lo = HexValue(in_[pos_ + 1]);
                if (hi >= 0 && lo >= 0) {
                    pos_ += 2;
                    TextByte(static_cast<char>(hi * 16 + lo));
                    return;
                }
            }
            return;
        }
        case '{':
        case '}':
        case '\\':
            TextByte(c);
            return;
        case '~':
            Text(QString(QChar(0x00A0)));
            return;
        case '_':
            Text(QString(QChar(0x2011)));
            return;
        case '*':
            Cur().skip = true; // {\* ...}: a destination this reader does not know
            return;
        case '\r':
        case '\n':
            Paragraph();
            return;
        default:
            return; // \- and other symbols carry no text here
        }
    }

    void Word(const QByteArray& w, std::optional<long long> param) {
        const int p = static_cast<int>(std::clamp<long long>(param.value_or(1), -1000000, 1000000));
        State& s = Cur();
        if (w == "bin") {
            const long long count = std::max<long long>(0, param.value_or(0));
            pos_ += static_cast<qsizetype>(std::min<long long>(count, in_.size() - pos_));
            return;
        }
        if (s.colorTable) {
            if (w == "red")
                red_ = p;
            else if (w == "green")
                green_ = p;
            else if (w == "blue")
                blue_ = p;
            return;
        }
        if (w == "colortbl") {
            s.colorTable = true;
            s.skip = true;
            colors_.clear();
            red_ = green_ = blue_ = -1;
            return;
        }
        if (IsHiddenDestination(w)) {
            s.skip = true;
            return;
        }
        if (w == "ansicpg") {
            codePage_ = p;
            return;
        }
        if (w == "uc") {
            s.unicodeSkip = std::clamp(p, 0, 16);
            return;
        }
        if (w == "u") {
            if (!s.skip)
                Text(QString(QChar(static_cast<char16_t>(p < 0 ? p + 65536 : p))));
            pendingSkip_ = s.unicodeSkip;
            return;
        }
        if (w == "par") {
            Paragraph();
        } else if (w == "line") {
            Text(QString(QChar::LineSeparator));
        } else if (w == "tab") {
            Text(QStringLiteral("\t"));
        } else if (w == "b") {
            s.bold = p != 0;
        } else if (w == "i") {
            s.italic = p != 0;
        } else if (w == "ul") {
            s.underline = p != 0;
        } else if (w == "ulnone") {
            s.underline = false;
        } else if (w == "fs") {
            s.halfPoints = std::clamp(p, 2, 3276);
        } else if (w == "cf") {
            s.color = std::max(0, p);
        } else if (w == "plain") {
            s.bold = s.italic = s.underline = false;
            s.halfPoints = 24;
            s.color = 0;
        } else if (w == "pard") {
            s.align = Qt::AlignLeft;
        } else if (w == "qc") {
            s.align = Qt::AlignHCenter;
        } else if (w == "ql") {
            s.align = Qt::AlignLeft;
        } else if (w == "qr") {
            s.align = Qt::AlignRight;
        } else if (w == "qj") {
            s.align = Qt::AlignJustify;
        }
        // Every other control word is ignored.
    }

    void TextByte(char c) {
        State& s = Cur();
        if (s.colorTable) {
            if (c == ';')
                EndColorEntry();
            return;
        }
        if (pendingSkip_ > 0) {
            --pendingSkip_;
            return;
        }
        if (s.skip)
            return;
        bytes_.append(c);
    }

    void EndColorEntry() {
        if (red_ < 0 && green_ < 0 && blue_ < 0)
            colors_.push_back(QColor()); // the automatic colour
        else
            colors_.push_back(QColor(std::clamp(red_, 0, 255), std::clamp(green_, 0, 255),
                                     std::clamp(blue_, 0, 255)));
        red_ = green_ = blue_ = -1;
    }

    // Bytes of one run are decoded together, in the document's code page.
    void FlushBytes() {
        if (bytes_.isEmpty())
            return;
        QString decoded;
        if (codePage_ == 1251 || codePage_ <= 0) {
            decoded = text::FromWin1251(bytes_);
        } else {
            QStringDecoder decoder(QStringLiteral("windows-%1").arg(codePage_).toLatin1());
            decoded = decoder.isValid() ? decoder.decode(bytes_) : text::FromWin1251(bytes_);
        }
        bytes_.clear();
        Text(decoded);
    }

    QTextCharFormat CharFormat() {
        const State& s = Cur();
        QTextCharFormat format;
        format.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(s.italic);
        format.setFontUnderline(s.underline);
        format.setFontPointSize(s.halfPoints / 2.0);
        if (s.color > 0 && s.color < static_cast<int>(colors_.size()) &&
            colors_[static_cast<size_t>(s.color)].isValid())
            format.setForeground(colors_[static_cast<size_t>(s.color)]);
        return format;
    }

    void Text(const QString& t) {
        if (Cur().skip || t.isEmpty())
            return;
        const QTextCharFormat format = CharFormat();
        if (!text_.isEmpty() && format != textFormat_)
            FlushText();
        textFormat_ = format;
        text_ += t;
        align_ = Cur().align;
    }

    void FlushText() {
        if (text_.isEmpty())
            return;
        cursor_.insertText(text_, textFormat_);
        text_.clear();
    }

    void Paragraph() {
        if (Cur().skip)
            return;
        FlushBytes();
        FlushText();
        align_ = Cur().align;
        ApplyBlockAlignment();
        cursor_.insertBlock();
    }

    void ApplyBlockAlignment() {
        QTextBlockFormat block = cursor_.blockFormat();
        block.setAlignment(align_);
        cursor_.setBlockFormat(block);
    }

    const QByteArray& in_;
    QTextCursor cursor_;
    qsizetype pos_ = 0;
    std::vector<State> states_;
    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;
    int codePage_ = 1251;
    int pendingSkip_ = 0;
    QByteArray bytes_;
    QString text_;
    QTextCharFormat textFormat_;
    Qt::Alignment align_ = Qt::AlignLeft;
};

} // namespace

bool IsRtf(const QByteArray& bytes) {
    return bytes.trimmed().startsWith("{\\rtf");
}

bool ReadRtf(const QByteArray& bytes, QTextDocument* document) {
    if (!IsRtf(bytes))
        return false;
    document->clear();
    Reader(bytes, document).Run();
    return true;
}

void LoadRichOrPlainText(const QByteArray& bytes, QTextDocument* document) {
    if (!ReadRtf(bytes, document))
        document->setPlainText(text::FromWin1251(bytes));
}

} // namespace shell
