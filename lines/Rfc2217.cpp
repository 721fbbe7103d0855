#include "Rfc2217.h"

#include <QCoreApplication>

namespace Rfc2217 {

QByteArray Escape(const QByteArray &Data)
{
    QByteArray Out;
    Out.reserve(Data.size() + 4);
    for (const char C : Data) {
        Out += C;
        if (quint8(C) == Iac)
            Out += C;
    }
    return Out;
}

QByteArray Opening()
{
    const quint8 Bytes[] = {Iac, Will, Binary, Iac, Do, Binary, Iac, Will, SuppressGoAhead,
                            Iac, Do, SuppressGoAhead, Iac, Will, ComPortOption};
    return QByteArray(reinterpret_cast<const char *>(Bytes), int(sizeof Bytes));
}

QByteArray ComCommandBytes(quint8 Code, const QByteArray &Value)
{
    QByteArray Out;
    Out += char(Iac);
    Out += char(Sb);
    Out += char(ComPortOption);
    Out += char(Code);
    Out += Escape(Value);
    Out += char(Iac);
    Out += char(Se);
    return Out;
}

QByteArray SpeedValue(quint32 Baud)
{
    QByteArray Value;
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Value += char((Baud >> Shift) & 0xFF);
    return Value;
}

QByteArray SpeedCommand(quint32 Baud)
{
    return ComCommandBytes(SetBaudRate, SpeedValue(Baud));
}

QVector<Setting> LineSettings(quint32 Baud)
{
    return {{SetBaudRate, SpeedValue(Baud)},
            {SetDataSize, QByteArray(1, char(DataBits8))},
            {SetParity, QByteArray(1, char(ParityNone))},
            {SetStopSize, QByteArray(1, char(OneStopBit))},
            {SetControl, QByteArray(1, char(NoFlowControl))}};
}

QByteArray Commands(const QVector<Setting> &Settings)
{
    QByteArray Out;
    for (const Setting &One : Settings)
        Out += ComCommandBytes(One.Command, One.Value);
    return Out;
}

QString SettingText(quint8 Command, const QByteArray &Value)
{
    quint32 Number = 0;
    for (const char C : Value)
        Number = Number << 8 | quint8(C);
    switch (Command) {
    case SetBaudRate: return QCoreApplication::translate("Rfc2217", "%1 Bd").arg(Number);
    case SetDataSize: return QCoreApplication::translate("Rfc2217", "%1 data bits").arg(Number);
    case SetParity: {
        static const char *const Names[] = {
            QT_TRANSLATE_NOOP("Rfc2217", "as it was"), QT_TRANSLATE_NOOP("Rfc2217", "none"),
            QT_TRANSLATE_NOOP("Rfc2217", "odd"),       QT_TRANSLATE_NOOP("Rfc2217", "even"),
            QT_TRANSLATE_NOOP("Rfc2217", "mark"),      QT_TRANSLATE_NOOP("Rfc2217", "space"),
            QT_TRANSLATE_NOOP("Rfc2217", "unknown")};
        return QCoreApplication::translate("Rfc2217", "parity %1 (%2)")
            .arg(Number)
            .arg(QCoreApplication::translate("Rfc2217", Names[qMin<quint32>(Number, 6)]));
    }
    case SetStopSize: return QCoreApplication::translate("Rfc2217", "stop size %1").arg(Number);
    case SetControl: return QCoreApplication::translate("Rfc2217", "flow control %1").arg(Number);
    default: return QCoreApplication::translate("Rfc2217", "command %1: %2").arg(Command).arg(Number);
    }
}

quint32 Decoder::LastSpeed() const
{
    quint32 Speed = 0;
    for (const char C : ReplyValue[SetBaudRate].left(4))
        Speed = Speed << 8 | quint8(C);
    return Speed;
}

Decoder::Decoder()
{
    // What Opening() asks for.
    for (const quint8 Option : {Binary, SuppressGoAhead, ComPortOption})
        LocalWanted.set(Option);
    for (const quint8 Option : {Binary, SuppressGoAhead})
        RemoteWanted.set(Option);
    LocalAsked = LocalWanted;
    RemoteAsked = RemoteWanted;
}

QByteArray Decoder::Feed(const QByteArray &In)
{
    QByteArray Data;
    for (const char C : In) {
        const quint8 B = quint8(C);
        switch (Now) {
        case State::Data:
            if (B == Iac)
                Now = State::Command;
            else
                Data += C;
            break;
        case State::Command:
            if (B == Iac) {
                Data += C; // a doubled 0xFF is one data byte
                Now = State::Data;
            } else if (B >= Will && B <= Dont) {
                Verb = B;
                Now = State::Option;
            } else if (B == Sb) {
                Sub.clear();
                Now = State::Sub;
            } else {
                Now = State::Data; // NOP, GA, a stray SE and the like: nothing to do
            }
            break;
        case State::Option:
            Negotiate(Verb, B);
            Now = State::Data;
            break;
        case State::Sub:
            if (B == Iac)
                Now = State::SubCommand;
            else if (Sub.size() < SubLimit)
                Sub += C;
            break;
        case State::SubCommand:
            if (B == Iac) {
                if (Sub.size() < SubLimit)
                    Sub += C;
                Now = State::Sub;
            } else {
                // IAC SE ends it; any other command after IAC ends it too,
                // and is read as that command.
                Subnegotiation();
                Now = State::Data;
                if (B != Se) {
                    Now = State::Command;
                    Data += Feed(QByteArray(1, C));
                }
            }
            break;
        }
    }
    return Data;
}

QByteArray Decoder::TakeAnswers()
{
    QByteArray Out;
    Out.swap(Answers);
    return Out;
}

void Decoder::Answer(quint8 AnswerVerb, quint8 Option)
{
    Answers += char(Iac);
    Answers += char(AnswerVerb);
    Answers += char(Option);
}

// RFC 1143's rule, short: answer only a change of state, so that two sides
// never echo each other's answers for ever; an answer to the client's own
// request needs none.
void Decoder::Negotiate(quint8 Said, quint8 Option)
{
    const bool Local = Said == Do || Said == Dont; // about what the client does
    const bool Yes = Said == Will || Said == Do;
    std::bitset<256> &On = Local ? LocalOn : RemoteOn;
    std::bitset<256> &Asked = Local ? LocalAsked : RemoteAsked;
    const bool Wanted = Local ? LocalWanted[Option] : RemoteWanted[Option];
    const bool WasAsked = Asked[Option];
    Asked.reset(Option);
    // Either refusal ends it: the server will not take the client's
    // commands (DONT) or will not do COM port control at all (WONT).
    if (Option == ComPortOption && !Yes)
        ComRefused = true;
    if (Option == Binary && !Yes)
        NoBinary = true;
    if (Yes && !On[Option]) {
        if (Wanted) {
            On.set(Option);
            if (!WasAsked)
                Answer(Local ? Will : Do, Option);
        } else {
            Answer(Local ? Wont : Dont, Option);
        }
    } else if (!Yes && On[Option]) {
        On.reset(Option);
        Answer(Local ? Wont : Dont, Option);
    }
}

void Decoder::Subnegotiation()
{
    if (Sub.size() < 2 || quint8(Sub[0]) != ComPortOption || quint8(Sub[1]) < ServerReply)
        return;
    const quint8 Command = quint8(quint8(Sub[1]) - ServerReply);
    // A speed is four bytes; a reply that holds fewer is not counted.
    if (Command == SetBaudRate && Sub.size() < 6)
        return;
    ReplyValue[Command] = Sub.mid(2);
    ++ReplyCount[Command];
}

} // namespace Rfc2217
