#include "Spawn.h"

#include "Figures.h"

#include <QList>
#include <QVector>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Bench {

bool Spawn(const QStringList &Command, bool ReadStderr, Spawned *Child)
{
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, ReadStderr ? 1 : 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&Actions, Pipe[1], ReadStderr ? 2 : 1);

    QList<QByteArray> Args;
    for (const QString &Arg : Command)
        Args.append(Arg.toLocal8Bit());
    QVector<char *> Argv;
    for (QByteArray &Arg : Args)
        Argv.append(Arg.data());
    Argv.append(nullptr);

    Child->StartNs = NowNs();
    const int Error = posix_spawn(&Child->Pid, Argv[0], &Actions, nullptr, Argv.data(), environ);
    posix_spawn_file_actions_destroy(&Actions);
    ::close(Pipe[1]);
    if (Error != 0) {
        ::close(Pipe[0]);
        return false;
    }
    fcntl(Pipe[0], F_SETFL, fcntl(Pipe[0], F_GETFL) | O_NONBLOCK);
    Child->Out = Pipe[0];
    return true;
}

void ReadAvailable(int Fd, QByteArray &Into)
{
    char Buffer[4096];
    ssize_t Got;
    while ((Got = ::read(Fd, Buffer, sizeof Buffer)) > 0)
        Into.append(Buffer, int(Got));
}

void Reap(Spawned &Child, bool Kill)
{
    if (Child.Pid > 0) {
        if (Kill)
            ::kill(Child.Pid, SIGKILL);
        int Status = 0;
        waitpid(Child.Pid, &Status, 0);
    }
    if (Child.Out >= 0)
        ::close(Child.Out);
    Child = Spawned();
}

} // namespace Bench
