#include "CtlExchanges.h"

#include "CtlContext.h"
#include "CtlFiles.h"
#include "CtlLine.h"
#include "DeviceExchange.h"
#include "Figures.h"
#include "Options.h"

#include <QElapsedTimer>
#include <QJsonObject>

#include <functional>

namespace Bench {

namespace {

QtMessageHandler Previous = nullptr;

// korvelctl keeps only the warnings of the exchanges' debug log; so does
// the measurement, so that it writes no more than the program does.
void DropDebug(QtMsgType Type, const QMessageLogContext &Context, const QString &Text)
{
    if (Type != QtDebugMsg && Type != QtInfoMsg && Previous)
        Previous(Type, Context, Text);
}

void Time(Series &S, const std::function<bool()> &Exchange)
{
    QElapsedTimer Clock;
    Clock.start();
    const bool Ok = Exchange();
    const double Ms = Clock.nsecsElapsed() / 1e6;
    if (Ok)
        S.Ms.append(Ms);
    else
        ++S.Failed;
}

} // namespace

// One round: each write sends back what the read before it brought, by way
// of the files korvelctl writes and reads (read params -o, write params -i).
void RunCtlRound(DeviceExchange &Exchange, ExchangeTimes &Times)
{
    ParamList Params = CtlFiles::AllParams();
    Time(Times.Of[ParamRead], [&] { return Exchange.ReadParams(&Params); });

    ParamList Written;
    QString Error;
    if (CtlFiles::ParseParams(CtlFiles::FormatParams(Params), &Written, &Error))
        Time(Times.Of[ParamWrite], [&] { return Exchange.WriteParams(&Written); });
    else
        ++Times.Of[ParamWrite].Failed;

    QVector<qint32> Read, ToWrite;
    Time(Times.Of[EidRead], [&] { return Exchange.ReadEids(EidCount, &Read); });

    if (CtlFiles::ParseEids(CtlFiles::FormatEids(Read), &ToWrite, &Error))
        Time(Times.Of[EidWrite], [&] { return Exchange.WriteEids(CtlFiles::WholeList(ToWrite)); });
    else
        ++Times.Of[EidWrite].Failed;
}

QString RunCtlRounds(const QString &PortPath, int Baud, const Options &Opt, ExchangeTimes &Times)
{
    CtlLine Line;
    QString Error;
    if (!Line.Open(PortPath, Baud, &Error))
        return Error;
    // Logged as korvelctl logs: through its own category, off unless -v.
    DeviceExchange Exchange(Line, CtlExchangeLog());
    Previous = qInstallMessageHandler(DropDebug);
    for (int R = 0; R < Opt.Repeats; ++R) {
        Progress(QStringLiteral("%1 baud, korvelctl, round %2 of %3").arg(Baud).arg(R + 1).arg(Opt.Repeats));
        RunCtlRound(Exchange, Times);
    }
    qInstallMessageHandler(Previous);
    return QString();
}

} // namespace Bench
