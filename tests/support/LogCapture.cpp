#include "LogCapture.h"

#include <QtGlobal>

namespace {
QStringList Captured;
QtMessageHandler Previous = nullptr;
bool Echo = false;

void Collect(QtMsgType Type, const QMessageLogContext &Context, const QString &Message)
{
    if (Type == QtDebugMsg)
        Captured.append(Message);
    if (Echo || Type != QtDebugMsg) {
        if (Previous)
            Previous(Type, Context, Message);
    }
}
} // namespace

LogCapture::LogCapture()
{
    Captured.clear();
    Echo = qEnvironmentVariableIsSet("KORVEL_TEST_LOG");
    Previous = qInstallMessageHandler(Collect);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(Previous);
}

QStringList LogCapture::Lines() const
{
    return Captured;
}

void LogCapture::Clear()
{
    Captured.clear();
}
