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

// Typography the catalogues use and a console's code page may lack (866
// has no dash, no «» and no ellipsis), written in ASCII rather than as '?'.
struct Stand
{
    ushort Char;
    const char *For;
};
const Stand Stands[] = {
    {0x2014, "-"},  {0x2013, "-"},  {0x2212, "-"},  {0x00AB, "\""}, {0x00BB, "\""}, {0x201C, "\""},
    {0x201D, "\""}, {0x201E, "\""}, {0x2018, "'"}, {0x2019, "'"},  {0x2026, "..."},
};

bool Encodable(UINT Page, QChar Char)
{
    const wchar_t Wide = wchar_t(Char.unicode());
    char Out[8];
    BOOL Missing = FALSE;
    WideCharToMultiByte(Page, WC_NO_BEST_FIT_CHARS, &Wide, 1, Out, sizeof Out, nullptr, &Missing);
    return !Missing;
}

QString Fit(const QString &Text, UINT Page)
{
    if (Page == CP_UTF8)
        return Text;
    QString Out;
    Out.reserve(Text.size());
    for (const QChar Char : Text) {
        const Stand *Found = nullptr;
        for (const Stand &Each : Stands) {
            if (Each.Char == Char.unicode())
                Found = &Each;
        }
        if (Found && !Encodable(Page, Char))
            Out += QLatin1String(Found->For);
        else
            Out += Char;
    }
    return Out;
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

#ifdef Q_OS_WIN
// The code page's codec, given the text with what it lacks made ASCII.
class FittingCodec : public QTextCodec
{
public:
    FittingCodec(QTextCodec *Base, UINT Page) : Base(Base), Page(Page) {}
    QByteArray name() const override { return "korvel-console-" + Base->name(); }
    int mibEnum() const override { return -4000 - int(Page); }

protected:
    QString convertToUnicode(const char *In, int Length, ConverterState *State) const override
    {
        return Base->toUnicode(In, Length, State);
    }
    QByteArray convertFromUnicode(const QChar *In, int Length, ConverterState *State) const override
    {
        const QString Fitted = Fit(QString(In, Length), Page);
        return Base->fromUnicode(Fitted.constData(), Fitted.size(), State);
    }

private:
    QTextCodec *Base;
    UINT Page;
};
#endif
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
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) && defined(Q_OS_WIN)
    // Made once: Qt owns a codec made, and deletes it at the end.
    static QTextCodec *const Fitting = new FittingCodec(CodecFor(CodePage()), CodePage());
    Stream.setCodec(Fitting);
#elif QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    Stream.setCodec(CodecFor(CodePage()));
#else
    // Qt 6 names no code page but UTF-8 and the system's (ANSI) one.
    Stream.setEncoding(CodePage() == 65001 ? QStringConverter::Utf8 : QStringConverter::System);
#endif
}

QByteArray Bytes(const QString &Text)
{
#ifdef Q_OS_WIN
    const UINT Page = CodePage();
    const QString Fitted = Fit(Text, Page);
    const auto *Wide = reinterpret_cast<const wchar_t *>(Fitted.utf16());
    const int Size = WideCharToMultiByte(Page, 0, Wide, Fitted.size(), nullptr, 0, nullptr, nullptr);
    QByteArray Out(qMax(Size, 0), '\0');
    WideCharToMultiByte(Page, 0, Wide, Fitted.size(), Out.data(), Out.size(), nullptr, nullptr);
    return Out;
#else
    return Text.toUtf8();
#endif
}

} // namespace Console
