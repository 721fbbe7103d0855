#include "WindowExchanges.h"

#include "Figures.h"
#include "MySerialPort.h"
#include "Options.h"
#include "OrvaneUI.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace Bench {

namespace {

struct Run
{
    double Ms = 0;
    double GapMs = 0; // largest gap between ticks of a 10 ms timer
    bool Ok = false;
};

// Times one exchange while a 10 ms timer ticks in the same event loop.
Run Measure(const std::function<bool()> &Exchange)
{
    QElapsedTimer Clock;
    qint64 Last = 0;
    qint64 Widest = 0;
    QTimer Ticker;
    Ticker.setTimerType(Qt::PreciseTimer);
    Ticker.setInterval(10);
    QObject::connect(&Ticker, &QTimer::timeout, [&] {
        const qint64 Now = Clock.nsecsElapsed();
        Widest = qMax(Widest, Now - Last);
        Last = Now;
    });
    Clock.start();
    Ticker.start();
    Run Result;
    Result.Ok = Exchange();
    const qint64 End = Clock.nsecsElapsed();
    Ticker.stop();
    // The stretch after the last tick counts as well.
    Widest = qMax(Widest, End - Last);
    Result.Ms = End / 1e6;
    Result.GapMs = Widest / 1e6;
    return Result;
}

// One exchange as the operator runs it: its tab on show, the request
// document collected from the window, then the exchange timed.
Run RunExchange(OrvaneUI *Window, Kind Which)
{
    const bool Eid = Which == EidRead || Which == EidWrite;
    Window->QTabWidget_Config->setCurrentWidget(Eid ? Window->QWidget_Tab_Eid : Window->QWidget_Tab_Param);
    QCoreApplication::processEvents();
    const QJsonObject Request = Eid ? Window->CollectEidSet() : Window->CollectParamSet();
    switch (Which) {
    case ParamRead: return Measure([&] { return Window->ExchangeParamRead(Request); });
    case ParamWrite: return Measure([&] { return Window->ExchangeParamWrite(Request); });
    case EidRead: return Measure([&] { return Window->ExchangeEidRead(Request); });
    case EidWrite: return Measure([&] { return Window->ExchangeEidWrite(Request); });
    default: return Run();
    }
}

} // namespace

void ShowAndSettle(QWidget *Window)
{
    Window->show();
    QElapsedTimer Waited;
    Waited.start();
    while ((!Window->windowHandle() || !Window->windowHandle()->isExposed()) && Waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

QVector<double> MeasurePauseStep()
{
    QVector<double> PauseMs;
    for (int I = 0; I < 20; ++I) {
        QElapsedTimer Clock;
        Clock.start();
        MySerialPort::PauseMs(MySerialPort::PauseStepMs);
        PauseMs.append(Clock.nsecsElapsed() / 1e6);
    }
    return PauseMs;
}

QString RunWindowRounds(OrvaneUI *Window, const QString &PortPath, int Baud, const Options &Opt,
                        ExchangeTimes &Times)
{
    if (!Window->SerialPort->OpenPort(PortPath, Baud, QSerialPort::Data8, QSerialPort::NoParity,
                                      QSerialPort::OneStop, QSerialPort::NoFlowControl))
        return QStringLiteral("cannot open %1").arg(PortPath);
    // Each round runs the four in turn, so a parameter write sends back
    // what the read before it brought.
    for (int Round = 0; Round < Opt.Repeats; ++Round) {
        Progress(QStringLiteral("%1 baud, round %2 of %3").arg(Baud).arg(Round + 1).arg(Opt.Repeats));
        for (int K = 0; K < KindCount; ++K) {
            const Run R = RunExchange(Window, Kind(K));
            Series &S = Times.Of[K];
            if (R.Ok) {
                S.Ms.append(R.Ms);
                S.GapMs.append(R.GapMs);
            } else {
                ++S.Failed;
            }
            QCoreApplication::processEvents();
        }
    }
    Window->SerialPort->ClosePort();
    return QString();
}

} // namespace Bench
