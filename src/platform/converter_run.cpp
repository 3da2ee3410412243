#include "converter_run.h"

#include "app/app_error.h"
#include "documents/document_file.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <unistd.h>

namespace {

constexpr int PollInterval = 50; // milliseconds between two looks at the cancel request

// The converter runs in a process group of its own, so that ending it also ends what it started
// (the office suite's launcher script leaves its real program running otherwise). The group's id
// is taken at the start: once the converter has ended, QProcess no longer knows it.
void endProcessGroup(pid_t group) {
    if (group > 0)
        ::kill(-group, SIGKILL);
}

void endProcessTree(QProcess& process, pid_t group) {
    endProcessGroup(group);
    process.kill();
    process.waitForFinished(5000);
}

} // namespace

ConverterRun runConverter(const QString& program, const QStringList& arguments, int timeoutMs,
                          const ConversionCancelled& cancelled,
                          const QProcessEnvironment& environment) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    QElapsedTimer clock;
    clock.start();
    process.start();
    process.waitForStarted();
    const auto group = pid_t(process.processId());
    QByteArray output;
    while (process.state() != QProcess::NotRunning) {
        process.waitForFinished(PollInterval);
        output += process.readAllStandardOutput();
        if (output.size() > MaxDocumentFileSize) {
            endProcessTree(process, group);
            throw AppError(QStringLiteral("转换程序 %1 给出的文字超过 %2 MB，无法打开")
                               .arg(QFileInfo(program).fileName())
                               .arg(MaxDocumentFileSize / (1024 * 1024)));
        }
        if (cancelled && cancelled()) {
            endProcessTree(process, group);
            throw AppError(QStringLiteral("转换已取消"));
        }
        if (process.state() != QProcess::NotRunning && clock.hasExpired(timeoutMs)) {
            endProcessTree(process, group);
            throw AppError(QStringLiteral("转换程序 %1 运行超过 %2 秒，已被停止")
                               .arg(QFileInfo(program).fileName())
                               .arg(timeoutMs / 1000.0));
        }
    }
    // What the converter started in the background ends with it.
    endProcessGroup(group);
    ConverterRun run;
    const bool ended =
        process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart;
    run.exitCode = ended ? process.exitCode() : -1;
    run.output = output + process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

QString absoluteConverterPath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}
