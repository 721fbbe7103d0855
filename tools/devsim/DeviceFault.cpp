#include "DeviceFault.h"

#include "DeviceBytes.h"
#include "WholeNumber.h"

#include <QCoreApplication>
#include <QStringList>

using DeviceBytes::SetError;

namespace {

struct FaultName
{
    DeviceFault::Kind Kind;
    const char *Name;
    int Args;      // how many values it takes
    int Min, Max;  // range of the first value
    int Min2, Max2;
    const char *Synopsis; // as --help shows it; nullptr: the name alone
    const char *Help;     // for the operator, in the catalogue
};

// The values' names (K, SIZE, GAP, MS, V, CODE) are those of the synopsis.
const FaultName FaultNames[] = {
    {DeviceFault::Silence, "silence", 0, 0, 0, 0, 0, nullptr,
     QT_TRANSLATE_NOOP("DeviceFault", "no reply at all; the request is not carried out")},
    {DeviceFault::BadCrc, "bad-crc", 0, 0, 0, 0, 0, nullptr,
     QT_TRANSLATE_NOOP("DeviceFault", "the reply's last CRC byte is inverted")},
    {DeviceFault::ShortReply, "short", 1, 1, 255, 0, 0, "short[=K]",
     QT_TRANSLATE_NOOP("DeviceFault", "the reply loses its last K bytes (default 1; at least one byte stays)")},
    {DeviceFault::ExtraBytes, "extra", 1, 1, 255, 0, 0, "extra[=K]",
     QT_TRANSLATE_NOOP("DeviceFault", "K bytes 0xFF follow the reply (default 1)")},
    {DeviceFault::Chunks, "chunks", 2, 1, 255, 0, 60000, "chunks[=SIZE[,GAP]]",
     //: "2,20" is SIZE 2 and GAP 20, two values, not a decimal number.
     QT_TRANSLATE_NOOP("DeviceFault", "the reply goes out in pieces of SIZE bytes, GAP ms apart (default 2,20)")},
    {DeviceFault::Slow, "slow", 1, 0, 600000, 0, 0, "slow[=MS]",
     QT_TRANSLATE_NOOP("DeviceFault", "the reply starts MS ms later than usual (default 2000)")},
    {DeviceFault::WrongCount, "wrong-count", 0, 0, 0, 0, 0, nullptr,
     QT_TRANSLATE_NOOP("DeviceFault",
                       "a read reply's byte count claims two bytes more; a multiple-write echo one register more")},
    {DeviceFault::EchoValue, "echo-value", 1, 0, 65535, 0, 0, "echo-value[=V]",
     QT_TRANSLATE_NOOP("DeviceFault", "a single-register write is stored, but echoed with V (default: value + 1)")},
    {DeviceFault::CommitCode, "commit-code", 1, 0, 65535, 0, 0, "commit-code[=V]",
     QT_TRANSLATE_NOOP("DeviceFault", "a commit is carried out, but echoed with code V (default 0)")},
    {DeviceFault::Exception, "exception", 1, 1, 255, 0, 0, "exception[=CODE]",
     QT_TRANSLATE_NOOP("DeviceFault",
                       "exception reply with CODE (default 4, server device failure); not carried out")},
    {DeviceFault::HangUp, "hangup", 0, 0, 0, 0, 0, nullptr,
     QT_TRANSLATE_NOOP("DeviceFault", "the line is hung up instead of a reply, and the simulator ends")},
};

const FaultName &NameOf(DeviceFault::Kind Kind)
{
    for (const FaultName &Entry : FaultNames) {
        if (Entry.Kind == Kind)
            return Entry;
    }
    return FaultNames[0];
}

// The numbers of a --fault value may be written in hex (0x...).
constexpr int HexToo = 0;

// The values after '=': at most as many as the kind takes, each in range.
bool ParseValues(const QString &Values, const FaultName &Kind, DeviceFault &Fault, QString *Error)
{
    const QString Name = QString::fromLatin1(Kind.Name);
    const QStringList Parts = Values.split(QLatin1Char(','));
    if (Kind.Args == 0) {
        SetError(Error, QCoreApplication::translate("DeviceFault", "fault '%1' takes no value").arg(Name));
        return false;
    }
    if (Parts.size() > Kind.Args) {
        SetError(Error,
                 QCoreApplication::translate("DeviceFault", "fault '%1' takes at most %n value(s)", nullptr, Kind.Args)
                     .arg(Name));
        return false;
    }
    if (!ParseWholeNumber(Parts[0], Kind.Min, Kind.Max, &Fault.Arg, HexToo)) {
        SetError(Error, QCoreApplication::translate("DeviceFault", "fault '%1': value '%2' is not a number from %3 to %4")
                            .arg(Name, Parts[0]).arg(Kind.Min).arg(Kind.Max));
        return false;
    }
    if (Parts.size() > 1 && !ParseWholeNumber(Parts[1], Kind.Min2, Kind.Max2, &Fault.Arg2, HexToo)) {
        SetError(Error, QCoreApplication::translate("DeviceFault", "fault '%1': value '%2' is not a number from %3 to %4")
                            .arg(Name, Parts[1]).arg(Kind.Min2).arg(Kind.Max2));
        return false;
    }
    return true;
}

const FaultName *FindKind(const QString &Name, QString *Error)
{
    QStringList Known;
    for (const FaultName &Entry : FaultNames) {
        if (Name == QLatin1String(Entry.Name))
            return &Entry;
        Known << QString::fromLatin1(Entry.Name);
    }
    SetError(Error, QCoreApplication::translate("DeviceFault", "unknown fault '%1' (known: %2)")
                         .arg(Name, Known.join(QStringLiteral(", "))));
    return nullptr;
}

} // namespace

bool DeviceFault::Parse(const QString &Text, DeviceFault &Out, QString *Error)
{
    QString Rest = Text.trimmed();
    DeviceFault Fault;
    const int At = Rest.indexOf(QLatin1Char('@'));
    if (At >= 0) {
        if (!ParseWholeNumber(Rest.mid(At + 1), 1, 1000000000, &Fault.Nth, HexToo)) {
            SetError(Error, QCoreApplication::translate("DeviceFault", "fault '%1': after '@' a request number from 1 up is needed")
                                .arg(Text));
            return false;
        }
        Rest = Rest.left(At);
    }
    const int Eq = Rest.indexOf(QLatin1Char('='));
    const FaultName *Kind = FindKind(Eq >= 0 ? Rest.left(Eq) : Rest, Error);
    if (!Kind)
        return false;
    Fault.What = Kind->Kind;
    if (Eq >= 0 && !ParseValues(Rest.mid(Eq + 1), *Kind, Fault, Error))
        return false;
    Out = Fault;
    return true;
}

QString DeviceFault::ToString() const
{
    QString Text = QString::fromLatin1(NameOf(What).Name);
    if (Arg >= 0) {
        Text += QLatin1Char('=') + QString::number(Arg);
        if (Arg2 >= 0)
            Text += QLatin1Char(',') + QString::number(Arg2);
    }
    if (Nth > 0)
        Text += QLatin1Char('@') + QString::number(Nth);
    return Text;
}

QString DeviceFault::Usage()
{
    // The text in the operator's language, wrapped into a column beside the
    // synopsis.
    constexpr int Indent = 24;
    constexpr int Width = 78;
    QString Text;
    for (const FaultName &Entry : FaultNames) {
        const QString Help = QCoreApplication::translate("DeviceFault", Entry.Help);
        const QString Synopsis = QString::fromLatin1(Entry.Synopsis ? Entry.Synopsis : Entry.Name);
        QString Line = QStringLiteral("    ") + Synopsis;
        for (const QString &Word : Help.split(QLatin1Char(' '))) {
            if (Line.size() < Indent) {
                Line = Line.leftJustified(Indent) + Word;
            } else if (Line.size() + 1 + Word.size() > Width) {
                Text += Line + QLatin1Char('\n');
                Line = QString(Indent, QLatin1Char(' ')) + Word;
            } else {
                Line += QLatin1Char(' ') + Word;
            }
        }
        Text += Line + QLatin1Char('\n');
    }
    return Text;
}
