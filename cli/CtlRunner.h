#ifndef KORVEL_CTLRUNNER_H
#define KORVEL_CTLRUNNER_H

// One run of korvelctl: the settings of its command, its streams, the line
// and the exchange over it. Each command is a member; those that work on a
// bus of devices live in CtlBus.cpp, diff in CtlDiff.cpp, the writes of
// parameters that follow the device in CtlCommission.cpp.

#include "CtlCommands.h"
#include "CtlFiles.h"
#include "CtlLine.h"
#include "StreamLine.h"
#include "DeviceExchange.h"

#include <QSaveFile>

#include <functional>

class QTextStream;

namespace Korvelctl {

class Runner
{
public:
    Runner(QTextStream &Out, QTextStream &Err) : Out(Out), Err(Err) {}

    int Main(const QStringList &Arguments);

private:
    int Usage(const QString &Message);
    int Fail(int Code, const QString &Message);
    int DeviceFault(const QString &Prefix = QString());
    bool OpenLine(int *Code);
    bool ReadInput(QByteArray *Text, int *Code);
    bool OpenOutput(int *Code);
    int FinishOutput(const QByteArray &Text);
    bool ReadParamFile(ParamList *Params, int *Code);
    bool ReadEidFile(QVector<qint32> *Eids, int *Code);

    int Ports();
    int ReadParams();
    int WriteParams();
    int ReadEids();
    int WriteEids();
    int Probe();
    int Scan();
    int DiffParams();
    int DiffEids();
    int ReportDifferences(const QVector<CtlFiles::Difference> &Found);
    int PrintJson(const QJsonObject &Document);
    // write params and set, in CtlCommission.cpp and CtlSet.cpp.
    int SetParams();
    int WriteFollowing(const ParamList &Wanted);
    int VerifyFollowing(const ParamList &Wanted, int Address, int *Baud);
    int ReportWritten(const ParamList &Wanted, int Address, int Baud, int Found);
    // apply, in CtlApply.cpp.
    int ApplyParams();
    int ApplyEids();
    int ReportApplied(const QVector<CtlFiles::Difference> &Changes, int Address, int Baud, int Found);
    int UndoneFault(const ExchangeFault &Fault, const std::function<bool()> &PutBack);

    QTextStream &Out;
    QTextStream &Err;
    CtlCommands::Settings Set;
    ChosenLine Line; // made from --port when the command opens it
    DeviceExchange Exchange {Line, CtlExchangeLog()}; // set up for the device once the line is open
    QSaveFile Output;
};

} // namespace Korvelctl

#endif
