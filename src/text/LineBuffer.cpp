#include "text/LineBuffer.h"

#include "text/Win1251.h"

#include <QFile>
#include <QSaveFile>

namespace text {

void LineBuffer::SetText(const QString& text) {
    lines_.clear();
    if (text.isEmpty())
        return;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines_.append(line);
            line.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            line.append(c);
        }
    }
    lines_.append(line); // empty when the text ended with a break
}

QString LineBuffer::Text() const {
    return lines_.join(QStringLiteral("\r\n"));
}

void LineBuffer::LoadFromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(("Cannot open " + path + ": " + file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(("Cannot read " + path + ": " + file.errorString()).toStdString());
    SetText(FromWin1251(bytes));
}

void LineBuffer::SaveToFile(const QString& path) const {
    // Written beside the target and renamed over it: a failed save never
    // leaves a truncated file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(("Cannot write " + path + ": " + file.errorString()).toStdString());
    const QByteArray bytes = ToWin1251(Text());
    // QSaveFile buffers the bytes and commits even when its final flush wrote
    // only part of them (a full disk): flush first and check.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        throw FileError(("Cannot write " + path + ": " + file.errorString()).toStdString());
}

QString LineBuffer::Line(int index) const {
    return index >= 0 && index < lines_.size() ? lines_.at(index) : QString();
}

void LineBuffer::SetLine(int index, const QString& line) {
    if (index >= 0 && index < lines_.size())
        lines_[index] = line;
}

int LineBuffer::CountWithoutFinalBreak() const {
    const int n = Count();
    return n > 0 && lines_.last().isEmpty() ? n - 1 : n;
}

} // namespace text
