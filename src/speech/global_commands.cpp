#include "global_commands.h"

const QList<GlobalCommandInfo>& globalCommands() {
    // Ctrl+Alt with the arrows switches workspaces on common desktops: the page keys step.
    static const QList<GlobalCommandInfo> commands{
        {GlobalCommand::ReadSelection, QStringLiteral("KeyReadSelection"),
         QStringLiteral("朗读选中的文字"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R)},
        {GlobalCommand::PauseResume, QStringLiteral("KeyPauseResume"), QStringLiteral("暂停/继续"),
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P)},
        {GlobalCommand::Stop, QStringLiteral("KeyStop"), QStringLiteral("停止"),
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O)},
        {GlobalCommand::NextSentence, QStringLiteral("KeyNextSentence"), QStringLiteral("下一句"),
         QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_PageDown)},
        {GlobalCommand::PreviousSentence, QStringLiteral("KeyPreviousSentence"),
         QStringLiteral("上一句"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_PageUp)},
    };
    return commands;
}

QList<GlobalKey> defaultGlobalKeys() {
    QList<GlobalKey> keys;
    for (const GlobalCommandInfo& info : globalCommands())
        keys << GlobalKey{info.command, info.defaultKey};
    return keys;
}

const GlobalCommandInfo& globalCommandInfo(GlobalCommand command) {
    return globalCommands().at(int(command));
}
