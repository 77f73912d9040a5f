#include "migrate/consoleinteraction.h"

#include <QTextStream>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace tarvo {

MessageAnswer ConsoleInteraction::showMessage(QWidget *, const Message &message)
{
    QTextStream(stderr) << message.text << '\n';
    return answerChangingNothing(message.buttons);
}

std::optional<QString> ConsoleInteraction::askPassword(QWidget *, const QString &prompt)
{
    FILE *tty = std::fopen("/dev/tty", "r+");
    if (!tty)
        return std::nullopt;
    std::fprintf(tty, "%s\nPassword: ", prompt.toLocal8Bit().constData());
    std::fflush(tty);
    termios saved{};
    const bool quiet = tcgetattr(fileno(tty), &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fileno(tty), TCSAFLUSH, &silent);
    }
    std::string line;
    for (int c = std::fgetc(tty); c != EOF && c != '\n'; c = std::fgetc(tty))
        line.push_back(char(c));
    if (quiet)
        tcsetattr(fileno(tty), TCSAFLUSH, &saved);
    std::fputc('\n', tty);
    std::fclose(tty);
    if (line.empty())
        return std::nullopt;
    return QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
}

} // namespace tarvo
