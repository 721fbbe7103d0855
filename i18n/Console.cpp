#include "Console.h"

#include <QTextStream>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Console {

namespace {

#ifdef Q_OS_WIN
bool IsConsole(DWORD Which)
{
    DWORD Mode = 0;
    return GetConsoleMode(GetStdHandle(Which), &Mode) != 0;
}
#endif

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
// Qt's codec for a Windows code page: 866 is "CP866", 1251 "windows-1251".
QTextCodec *CodecFor(unsigned Page)
{
    if (Page == 65001)
        return QTextCodec::codecForName("UTF-8");
    for (const char *Form : {"CP%1", "windows-%1", "IBM%1"}) {
        if (QTextCodec *Codec = QTextCodec::codecForName(QString::fromLatin1(Form).arg(Page).toLatin1()))
            return Codec;
    }
    return QTextCodec::codecForLocale();
}
#endif

} // namespace

unsigned CodePage()
{
#ifdef Q_OS_WIN
    // A console shows its own code page; a file or a pipe gets the OEM one,
    // which is what a console of this system would show.
    if (IsConsole(STD_OUTPUT_HANDLE) || IsConsole(STD_ERROR_HANDLE))
        return GetConsoleOutputCP();
    return GetOEMCP();
#else
    return 65001;
#endif
}

void SetUp()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) && !defined(Q_OS_WIN)
    // Without a generated locale Qt 5 would write Cyrillic as '?'.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
#endif
}

void SetUp(QTextStream &Stream)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    Stream.setCodec(CodecFor(CodePage()));
#else
    // Qt 6 names no code page but UTF-8 and the system's (ANSI) one.
    Stream.setEncoding(CodePage() == 65001 ? QStringConverter::Utf8 : QStringConverter::System);
#endif
}

QByteArray Bytes(const QString &Text)
{
#ifdef Q_OS_WIN
    const auto *Wide = reinterpret_cast<const wchar_t *>(Text.utf16());
    const UINT Page = CodePage();
    const int Size = WideCharToMultiByte(Page, 0, Wide, Text.size(), nullptr, 0, nullptr, nullptr);
    QByteArray Out(qMax(Size, 0), '\0');
    WideCharToMultiByte(Page, 0, Wide, Text.size(), Out.data(), Out.size(), nullptr, nullptr);
    return Out;
#else
    return Text.toUtf8();
#endif
}

} // namespace Console
