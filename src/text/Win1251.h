// The one place where text meets the Windows-1251 code page.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>

namespace text {

/*! Windows-1251 bytes of a text, one byte per character; characters the code
    page lacks become '?'. */
QByteArray ToWin1251(const QString& s);
std::string ToWin1251Std(const QString& s);
/*! The text of Windows-1251 bytes. */
QString FromWin1251(const QByteArray& bytes);
QString FromWin1251(std::string_view bytes);
/*! The Windows-1251 code of one character, or -1 when the code page lacks it. */
int Win1251Code(QChar c);

} // namespace text
