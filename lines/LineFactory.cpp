#include "LineFactory.h"

#include "CtlLine.h"
#ifdef KORVEL_NETWORK_LINES
#include "ModbusTcpLine.h"
#include "NetLines.h"
#endif

std::unique_ptr<StreamLine> MakeLine(const LineUrl &Url)
{
    switch (Url.Type) {
#ifdef KORVEL_NETWORK_LINES
    case LineUrl::Kind::Tcp: return std::unique_ptr<StreamLine>(new TcpLine(Url.Host, Url.TcpPort, Url.Baud));
    case LineUrl::Kind::Rfc2217: return std::unique_ptr<StreamLine>(new Rfc2217Line(Url.Host, Url.TcpPort));
    case LineUrl::Kind::ModbusTcp: return std::unique_ptr<StreamLine>(new ModbusTcpLine(Url.Host, Url.TcpPort));
#else
    case LineUrl::Kind::Tcp:
    case LineUrl::Kind::Rfc2217:
    case LineUrl::Kind::ModbusTcp: return nullptr;
#endif
    case LineUrl::Kind::Serial: break;
    }
    return std::unique_ptr<StreamLine>(new CtlLine(Url.Port));
}

bool ChosenLine::Open(const LineUrl &Url, int Baud, QString *Error)
{
    Line.reset();
    if (!Queue.Take(Url, Holder, QueueMs, Error))
        return false;
    Line = MakeLine(Url);
    if (!Line) {
        *Error = QCoreApplication::translate("LineFactory",
                                             "%1: this korvelctl was built without lines to serial device servers")
                     .arg(Url.Port);
        return false;
    }
    Line->SetWaitLimitMs(Wait);
    return Line->Open(Baud, Error);
}

void ChosenLine::SetWaitLimitMs(int Ms)
{
    Wait = Ms;
    if (Line)
        Line->SetWaitLimitMs(Ms);
}

QByteArray ChosenLine::Transact(const QByteArray &Request, quint8 ExpectedLength)
{
    return Line ? Line->Transact(Request, ExpectedLength) : QByteArray();
}
