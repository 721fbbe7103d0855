// korvelctl's run: the arguments parsed, the command they name picked from
// the table and run.

#include "Korvelctl.h"

#include "CtlApply.h"
#include "CtlContext.h"
#include "CtlDiff.h"
#include "CtlPorts.h"
#include "CtlProbe.h"
#include "CtlReadEids.h"
#include "CtlReadParams.h"
#include "CtlScan.h"
#include "CtlWriteEids.h"
#include "CtlWriteParams.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QTextStream>

#include <memory>

namespace Korvelctl {

namespace {

using CtlCommands::Command;
using CtlCommands::Kind;

template <class T>
std::unique_ptr<CtlCommand> Make(Context &Run)
{
    return std::unique_ptr<CtlCommand>(new T(Run));
}

// Which class runs which command; Kind::None where the object does not
// choose it.
struct CommandClass
{
    Command Which;
    Kind What;
    std::unique_ptr<CtlCommand> (*New)(Context &);
};

const CommandClass Classes[] = {
    {Command::Ports, Kind::None, Make<PortsCommand>},
    {Command::Probe, Kind::None, Make<ProbeCommand>},
    {Command::Read, Kind::Params, Make<ReadParamsCommand>},
    {Command::Read, Kind::Eids, Make<ReadEidsCommand>},
    {Command::Write, Kind::Params, Make<WriteParamsCommand>},
    {Command::Write, Kind::Eids, Make<WriteEidsCommand>},
    {Command::Set, Kind::None, Make<WriteParamsCommand>},
    {Command::Scan, Kind::None, Make<ScanCommand>},
    {Command::Diff, Kind::None, Make<DiffCommand>},
    {Command::Apply, Kind::None, Make<ApplyCommand>},
};

int Main(Context &Run, const QStringList &Arguments)
{
    ShowFrames(false);
    Run.JsonAsked = Arguments.contains(QStringLiteral("--json"));
    QString Error;
    switch (CtlCommands::ParseArguments(Arguments, &Run.Set, Run.Out, &Error)) {
    case CtlCommands::Parsed::Done: return Done;
    case CtlCommands::Parsed::Bad: return Run.Usage(Error);
    case CtlCommands::Parsed::Run: break;
    }
    ShowFrames(Run.Set.Verbose);
    for (const CommandClass &Row : Classes) {
        if (Row.Which == Run.Set.Which && (Row.What == Kind::None || Row.What == Run.Set.What))
            return Row.New(Run)->Run();
    }
    return Done;
}

} // namespace

int Run(const QStringList &Arguments, QTextStream &Out, QTextStream &Err)
{
    Context One(Out, Err);
    int Code = Main(One, Arguments);
    Out.flush();
    // Output that did not reach its reader is no success: a full disk, a
    // closed pipe, a file size limit.
    if (Out.status() != QTextStream::Ok) {
        const QString Reason =
            Out.device() ? Out.device()->errorString() : QCoreApplication::translate("Korvelctl", "write failed");
        One.Say(QCoreApplication::translate("Korvelctl", "cannot write standard output: %1").arg(Reason));
        Code = Code == Done ? int(OutputFailed) : Code;
    }
    Err.flush();
    return Code;
}

} // namespace Korvelctl
