#ifndef KORVEL_CONSOLE_H
#define KORVEL_CONSOLE_H

// Text for the terminal in the encoding it shows: UTF-8 on Linux whether
// or not the locale is generated (never '?' for Cyrillic); on Windows the
// console's output code page (866 for a Russian cmd.exe), or the OEM code
// page when the output is no console, a dash, quotation marks or an
// ellipsis that page lacks written in ASCII.

#include <QByteArray>
#include <QString>

class QTextStream;

namespace Console {

// The process's 8-bit text (Qt 5's local codec) becomes UTF-8 on Linux, as
// Qt 6 has it already; nothing on Windows.
void SetUp();
// A stream to standard output or standard error writes the terminal's
// encoding.
void SetUp(QTextStream &Stream);
// Text for fprintf and fputs.
QByteArray Bytes(const QString &Text);
// The code page written on Windows; 65001 (UTF-8) elsewhere.
unsigned CodePage();

} // namespace Console

#endif
