// korvelctl: the LoRa radio device from the command line.

#include "Console.h"
#include "CtlIo.h"
#include "Korvelctl.h"
#include "Language.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// korvelctl's own diagnostics (the frame trace) are lines of their own;
// anything else Qt reports is named as korvelctl's.
void Messages(QtMsgType Type, const QMessageLogContext &Context, const QString &Text)
{
    const bool Own = Type == QtDebugMsg && Context.category && std::strncmp(Context.category, "korvel.", 7) == 0;
    std::fprintf(stderr, "%s%s\n", Own ? "" : "korvelctl: ", Console::Bytes(Text).constData());
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(Messages);
#ifdef SIGXFSZ
    // A file size limit reached is a failed write korvelctl reports, with
    // the old file kept, not a signal that ends it half-way.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QCoreApplication App(argc, argv);
    Console::SetUp();
#ifdef Q_OS_WIN
    const QStringList Arguments = QCoreApplication::arguments().mid(1);
#else
    // File names are bytes here; each argument keeps them all (CtlIo.h).
    QStringList Arguments;
    for (int I = 1; I < argc; ++I)
        Arguments << CtlIo::FromArgument(QByteArray(argv[I]));
#endif
    // What a --json run prints is read by programs: English under any language.
    if (!Arguments.contains(QStringLiteral("--json")))
        Language::Install(QStringLiteral("korvelctl"));
    // Unbuffered on the descriptor, so that a failed write is seen with
    // the system's reason.
    QFile StandardOutput;
    StandardOutput.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    QTextStream Out(&StandardOutput);
    QTextStream Err(stderr);
    Console::SetUp(Out);
    Console::SetUp(Err);
    return Korvelctl::Run(Arguments, Out, Err);
}
