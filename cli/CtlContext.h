#ifndef KORVEL_CTLCONTEXT_H
#define KORVEL_CTLCONTEXT_H

// What every korvelctl command shares in one run: its streams, the parsed
// settings, the line and the exchange over it, the output file, and the
// ways a command fails and reports. Each command is a class of its own
// over it (CtlCommand), one a file.

#include "CtlCommands.h"
#include "CtlFiles.h"
#include "CtlIo.h"
#include "DeviceExchange.h"
#include "Korvelctl.h"
#include "LineFactory.h"

#include <QCoreApplication>
#include <QJsonObject>

class QTextStream;

// The exchanges' own log ("korvel.exchange"), off unless asked for.
Q_DECLARE_LOGGING_CATEGORY(CtlExchangeLog)

namespace Korvelctl {

// How a step that can fail ended: Done, or the exit status with the
// message and what --json adds to it. Nothing is said until the command
// reports it (Context::Fail).
struct Outcome
{
    int Exit = Done;
    QString Message;
    QJsonObject Detail;

    bool Ok() const { return Exit == Done; }
};

// A fault for --json: its name and, where one failed, the transaction.
QJsonObject FaultDetail(const ExchangeFault &Fault);

class Context
{
    Q_DECLARE_TR_FUNCTIONS(Context)

public:
    Context(QTextStream &Out, QTextStream &Err) : Out(Out), Err(Err) {}

    int Usage(const QString &Message);
    // A line on the error stream, and nothing else.
    void Say(const QString &Message);
    // The command's end with Code: the message on the error stream and,
    // with --json, one object on standard output with the exit status,
    // the fault, the message and whatever Detail adds.
    int Fail(int Code, const QString &Message, QJsonObject Detail = QJsonObject());
    int Fail(const Outcome &Failed);
    int DeviceFault(const QString &Prefix = QString(), const QString &Suffix = QString());
    void Warn(const QString &Where, const QStringList &Warnings);
    int PrintJson(const QJsonObject &Document);

    Outcome OpenLine();
    Outcome ReadInput(QByteArray *Text);
    Outcome OpenOutput();
    int FinishOutput(const QByteArray &Text);
    // The file of a write (Range::Window unless --out-of-range) or of a
    // diff (Range::Whole).
    Outcome ReadParamFile(ParamList *Params, EidListFile::Range Values);
    Outcome ReadEidFile(QVector<qint32> *Eids, EidListFile::Range Values);
    EidListFile::Range WriteRange() const;
    // A commit's reply lost or garbled: the device may have taken it.
    bool CommitUncertain() const;
    // Says that the commit's reply was lost or garbled and that the values
    // are read back (ReadingBack); the prefix of what a verify then reports.
    QString CommitLost(const QString &ReadingBack);
    // The prefix of what a verify reports after a commit that was answered.
    static QString CommitSent();

    QTextStream &Out;
    QTextStream &Err;
    CtlCommands::Settings Set;
    ChosenLine Line; // made from --port when the command opens it
    DeviceExchange Exchange {Line, CtlExchangeLog()}; // set up for the device once the line is open
    CtlIo::OutputFile Output;
    bool JsonAsked = false; // --json among the arguments, even where they were refused
};

// One command of korvelctl, run once over the run's context.
class CtlCommand
{
public:
    explicit CtlCommand(Context &Run)
        : Ctl(Run), Out(Run.Out), Set(Run.Set), Line(Run.Line), Exchange(Run.Exchange)
    {
    }
    virtual ~CtlCommand() = default;
    CtlCommand(const CtlCommand &) = delete;
    CtlCommand &operator=(const CtlCommand &) = delete;

    // The exit status.
    virtual int Run() = 0;

protected:
    Context &Ctl;
    QTextStream &Out;
    const CtlCommands::Settings &Set;
    ChosenLine &Line;
    DeviceExchange &Exchange;
};

} // namespace Korvelctl

#endif
