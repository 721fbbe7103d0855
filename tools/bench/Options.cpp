#include "Options.h"

namespace Bench {

Options::Options()
    : Korvel(QStringLiteral(KORVEL_BENCH_KORVEL))
    , Devsim(QStringLiteral(KORVEL_BENCH_DEVSIM))
    , Line(QStringLiteral(KORVEL_BENCH_LINE))
    , Modbus(QStringLiteral(KORVEL_BENCH_MODBUS))
{
}

bool Options::Measures(const char *Part) const
{
    return Only.isEmpty() || Only == QLatin1String(Part);
}

const char *const Usage =
    "Usage: korvel-bench [options]\n"
    "Measures the tool against the device simulator and prints a markdown table.\n"
    "  --repeats N         rounds of the four exchanges per line speed (default 5)\n"
    "  --startup-runs N    start-ups of each kind (default 15)\n"
    "  --construct-runs N  window constructions in this process (default 20)\n"
    "  --bauds LIST        line speeds, comma-separated (default 9600,115200)\n"
    "  --turnaround MS     the simulator's turnaround (default 3)\n"
    "  --direct            the tool's requests reach the simulator at once instead\n"
    "                      of at 10 bits a byte\n"
    "  --only PART         measure one part alone: exchanges, network (korvelctl\n"
    "                      through ser2net against the pty, 115200 Bd), startup\n"
    "                      or construct\n"
    "  --out FILE          also write the table to FILE\n"
    "  --log FILE          send the tool's debug log to FILE (default: stderr)\n"
    "  --korvel, --devsim, --line, --modbus PATH   the programs to use\n";

namespace {

// Hands out the arguments one by one; a value missing or out of range
// leaves its message in *Error.
class ArgReader
{
public:
    ArgReader(const QStringList &Args, QString *Error) : Args(Args), Error(Error) {}

    bool AtEnd() const { return I + 1 >= Args.size(); }
    const QString &TakeOption() { return Args[++I]; }

    bool Value(QString &Into)
    {
        if (AtEnd()) {
            *Error = QStringLiteral("%1 needs a value").arg(Args[I]);
            return false;
        }
        Into = Args[++I];
        return true;
    }

    bool Number(int &Into, int Least)
    {
        const QString Option = Args[I];
        QString Text;
        if (!Value(Text))
            return false;
        bool Ok = false;
        Into = Text.toInt(&Ok);
        if (!Ok || Into < Least) {
            *Error = QStringLiteral("%1 needs a whole number from %2").arg(Option).arg(Least);
            return false;
        }
        return true;
    }

private:
    const QStringList &Args;
    QString *Error;
    int I = 0; // the argument last taken; 0 is the program's name
};

bool ParseBauds(ArgReader &Reader, QList<int> &Bauds, QString *Error)
{
    QString Text;
    const bool Ok = Reader.Value(Text);
    Bauds.clear();
    for (const QString &Part : Text.split(QLatin1Char(','))) {
        if (Part.isEmpty())
            continue;
        const int Baud = Part.toInt();
        if (Baud < 50) {
            *Error = QStringLiteral("bad baud rate '%1'").arg(Part);
            return false;
        }
        Bauds.append(Baud);
    }
    return Ok;
}

bool ParseOnly(ArgReader &Reader, QString &Only, QString *Error)
{
    if (!Reader.Value(Only))
        return false;
    if (Only != QLatin1String("exchanges") && Only != QLatin1String("network") && Only != QLatin1String("startup")
        && Only != QLatin1String("construct")) {
        *Error = QStringLiteral("--only takes exchanges, network, startup or construct");
        return false;
    }
    return true;
}

// The path options name the programs to run.
QString *PathOption(const QString &A, Options &Opt)
{
    if (A == QLatin1String("--korvel"))
        return &Opt.Korvel;
    if (A == QLatin1String("--devsim"))
        return &Opt.Devsim;
    if (A == QLatin1String("--line"))
        return &Opt.Line;
    if (A == QLatin1String("--modbus"))
        return &Opt.Modbus;
    if (A == QLatin1String("--out"))
        return &Opt.Out;
    if (A == QLatin1String("--log"))
        return &Opt.Log;
    return nullptr;
}

bool ParseOption(const QString &A, ArgReader &Reader, Options &Opt, QString *Error)
{
    if (A == QLatin1String("--repeats"))
        return Reader.Number(Opt.Repeats, 1);
    if (A == QLatin1String("--startup-runs"))
        return Reader.Number(Opt.StartRuns, 1);
    if (A == QLatin1String("--construct-runs"))
        return Reader.Number(Opt.ConstructRuns, 2); // the first run is given apart
    if (A == QLatin1String("--turnaround"))
        return Reader.Number(Opt.TurnaroundMs, 0);
    if (A == QLatin1String("--bauds"))
        return ParseBauds(Reader, Opt.Bauds, Error);
    if (A == QLatin1String("--only"))
        return ParseOnly(Reader, Opt.Only, Error);
    if (A == QLatin1String("--direct")) {
        Opt.PacedRequests = false;
        return true;
    }
    if (QString *Path = PathOption(A, Opt))
        return Reader.Value(*Path);
    *Error = QStringLiteral("unknown option '%1'").arg(A);
    return false;
}

} // namespace

bool ParseOptions(const QStringList &Args, Options &Opt, QString *Error)
{
    ArgReader Reader(Args, Error);
    while (!Reader.AtEnd()) {
        const QString A = Reader.TakeOption();
        if (!ParseOption(A, Reader, Opt, Error))
            return false;
    }
    return true;
}

} // namespace Bench
