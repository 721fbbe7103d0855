#ifndef KORVEL_CTLRUNNER_H
#define KORVEL_CTLRUNNER_H

// One run of korvelctl: the settings of its command, its streams, the line
// and the exchange over it. Each command is a member; those that work on a
// bus of devices live in CtlBus.cpp, diff in CtlDiff.cpp, the writes of
// parameters that follow the device in CtlCommission.cpp.

#include "CtlCommands.h"
#include "CtlFiles.h"
#include "CtlIo.h"
#include "DeviceExchange.h"
#include "LineFactory.h"

#include <QJsonObject>

#include <functional>

class QTextStream;

// The exchanges' own log ("korvel.exchange"), off unless asked for.
Q_DECLARE_LOGGING_CATEGORY(CtlExchangeLog)

namespace Korvelctl {

// A fault for --json: its name and, where one failed, the transaction.
QJsonObject FaultDetail(const ExchangeFault &Fault);

// Where a device answers once it takes Wanted over: its new address (a
// ModbusID no request can be addressed to leaves it 0x00 alone) and its new
// speed (an index outside the list names none: the line's). PlaceText says
// it: "address 33, 115200 Bd".
int NewAddress(const ParamList &Wanted, int Address);
int NewBaud(const ParamList &Wanted, int Baud);
QString PlaceText(int Address, int Baud);

class Runner
{
public:
    Runner(QTextStream &Out, QTextStream &Err) : Out(Out), Err(Err) {}

    int Main(const QStringList &Arguments);

private:
    int Usage(const QString &Message);
    // A line on the error stream, and nothing else.
    void Say(const QString &Message);
    // The command's end with Code: the message on the error stream and,
    // with --json, one object on standard output with the exit status,
    // the fault, the message and whatever Detail adds.
    int Fail(int Code, const QString &Message, QJsonObject Detail = QJsonObject());
    int DeviceFault(const QString &Prefix = QString(), const QString &Suffix = QString());
    void Warn(const QString &Where, const QStringList &Warnings);
    bool OpenLine(int *Code);
    bool ReadInput(QByteArray *Text, int *Code);
    bool OpenOutput(int *Code);
    int FinishOutput(const QByteArray &Text);
    // The file of a write (Range::Window unless --out-of-range) or of a
    // diff (Range::Whole).
    bool ReadParamFile(ParamList *Params, EidListFile::Range Values, int *Code);
    bool ReadEidFile(QVector<qint32> *Eids, EidListFile::Range Values, int *Code);
    EidListFile::Range WriteRange() const;
    // A commit's reply lost or garbled: the device may have taken it.
    bool CommitUncertain() const;

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
    // Verifying: the write reads back (--verify, apply).
    int CheckFixedSpeed(const ParamList &Wanted, bool Verifying);
    // Says that the commit's reply was lost or garbled and What is read
    // back; the prefix of what a verify then reports.
    QString CommitLost(const QString &What);
    int WriteFollowing(const ParamList &Wanted);
    int VerifyFollowing(const ParamList &Wanted, int Address, int *Baud, const QString &Committed);
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
    CtlIo::OutputFile Output;
    int OpenedBaud = 0;  // the line's speed as a write found it
    int ServerSpeed = 0; // a fixed-speed line's server must be set to this to reach the radio again
    bool JsonAsked = false; // --json among the arguments, even where they were refused
};

} // namespace Korvelctl

#endif
