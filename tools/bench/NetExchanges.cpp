#include "NetExchanges.h"

#include "CtlContext.h"
#include "CtlExchanges.h"
#include "CtlLine.h"
#include "DeviceExchange.h"
#include "Figures.h"
#include "ModbusTcpLine.h"
#include "NetLines.h"
#include "NetServers.h"
#include "Options.h"
#include "PacedLine.h"

#include <memory>

namespace Bench {

namespace {

// The line of one way, opened, or nullptr with Way->Error.
std::unique_ptr<StreamLine> Connect(NetWay *Way, std::unique_ptr<StreamLine> Line)
{
    if (Way->Error.isEmpty() && !Line->Open(NetBaud, &Way->Error))
        return nullptr;
    return Way->Error.isEmpty() ? std::move(Line) : nullptr;
}

} // namespace

NetTimes RunNetRounds(const Options &Opt)
{
    NetTimes Times;
    Times.Raw.Name = QStringLiteral("ser2net (raw)");
    Times.Telnet.Name = QStringLiteral("ser2net (RFC 2217)");
    Times.Gateway.Name = QStringLiteral("the libmodbus gateway (Modbus TCP)");
    Times.Gateway.Goal = 1.15; // the gateway's own turnaround
    PacedLine ForRaw, ForTelnet, ForGateway, ForDirect;
    if (!ForDirect.Start(NetBaud, Opt)) {
        Times.Error = ForDirect.Error();
        return Times;
    }
    // Each byte passed on at once at the servers: with ser2net's defaults
    // each reply waits a further millisecond or more there.
    NetServers::Ser2net RawServer, TelnetServer;
    NetServers::ModbusGateway Bridge;
    NetWay *const Ways[] = {&Times.Raw, &Times.Telnet, &Times.Gateway};
    PacedLine *const Lines[] = {&ForRaw, &ForTelnet, &ForGateway};
    for (int W = 0; W < 3; ++W) {
        if (!Lines[W]->Start(NetBaud, Opt))
            Ways[W]->Error = Lines[W]->Error();
    }
    if (Times.Raw.Error.isEmpty())
        Times.Raw.Error = RawServer.Start(ForRaw.PortPath(), NetBaud, NetServers::Ser2net::Raw);
    if (Times.Telnet.Error.isEmpty())
        Times.Telnet.Error = TelnetServer.Start(ForTelnet.PortPath(), NetBaud, NetServers::Ser2net::Rfc2217);
    if (Times.Gateway.Error.isEmpty())
        Times.Gateway.Error = Bridge.Start(QStringLiteral(KORVEL_BENCH_GATEWAY), ForGateway.PortPath(), NetBaud, 500);
    Times.Raw.Url = QStringLiteral("tcp://127.0.0.1:%1?baud=%2").arg(RawServer.RawPort).arg(NetBaud);
    Times.Telnet.Url = QStringLiteral("rfc2217://127.0.0.1:%1").arg(TelnetServer.TelnetPort);
    Times.Gateway.Url = QStringLiteral("modbus-tcp://127.0.0.1:%1").arg(Bridge.Port);

    CtlLine Direct;
    if (!Direct.Open(ForDirect.PortPath(), NetBaud, &Times.Error))
        return Times;
    std::unique_ptr<StreamLine> Opened[] = {
        Connect(&Times.Raw, std::unique_ptr<StreamLine>(new TcpLine(QStringLiteral("127.0.0.1"), RawServer.RawPort, NetBaud))),
        Connect(&Times.Telnet, std::unique_ptr<StreamLine>(new Rfc2217Line(QStringLiteral("127.0.0.1"), TelnetServer.TelnetPort))),
        Connect(&Times.Gateway, std::unique_ptr<StreamLine>(new ModbusTcpLine(QStringLiteral("127.0.0.1"), Bridge.Port))),
    };
    // Logged as korvelctl logs: through its own category, off unless -v.
    DeviceExchange OnPty(Direct, CtlExchangeLog());
    std::unique_ptr<DeviceExchange> Through[3];
    for (int W = 0; W < 3; ++W) {
        if (Opened[W])
            Through[W].reset(new DeviceExchange(*Opened[W], CtlExchangeLog()));
    }
    // Through the gateway the request names the device's unit.
    if (Through[2])
        Through[2]->SetAddress(quint8(17));
    for (int R = 0; R < Opt.Repeats; ++R) {
        Progress(QStringLiteral("%1 baud, korvelctl on the pty, through ser2net and a gateway, round %2 of %3")
                     .arg(NetBaud)
                     .arg(R + 1)
                     .arg(Opt.Repeats));
        RunCtlRound(OnPty, Times.Direct);
        for (int W = 0; W < 3; ++W) {
            if (Through[W])
                RunCtlRound(*Through[W], Ways[W]->Times);
        }
    }
    return Times;
}

} // namespace Bench
