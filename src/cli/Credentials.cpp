#include "cli/Credentials.h"

#include "storage/CredentialRules.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <istream>

namespace keymora::cli {

namespace {

// Appends one character, growing the buffer by hand so that no copy of the
// secret is left behind in memory the allocator takes back.
void appendSecret(std::string& secret, char c) {
    if (secret.size() == secret.capacity()) {
        std::string bigger;
        bigger.reserve(std::max<std::size_t>(64, secret.capacity() * 2));
        bigger.assign(secret);
        secureWipe(secret);
        secret.swap(bigger);
    }
    secret.push_back(c);
}

void stripLineEnd(std::string& secret) {
    while (!secret.empty() && (secret.back() == '\n' || secret.back() == '\r')) secret.pop_back();
}

// Terminal state to put back when a signal ends the program during a prompt.
int g_ttyFd = -1;
struct termios g_savedTermios {};
volatile std::sig_atomic_t g_echoOff = 0;
struct sigaction g_oldInt {}, g_oldTerm {}, g_oldHup {}, g_oldQuit {};

extern "C" void restoreTerminalAndReraise(int sig) {
    if (g_echoOff != 0 && g_ttyFd >= 0) tcsetattr(g_ttyFd, TCSAFLUSH, &g_savedTermios);
    signal(sig, SIG_DFL);
    raise(sig);
}

void readFromTerminal(std::string_view prompt, std::string& secret) {
    const int fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw CliError("There is no terminal to ask the password on.");
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};

    struct termios saved {};
    const bool haveTermios = tcgetattr(fd, &saved) == 0;
    if (haveTermios) {
        g_ttyFd = fd;
        g_savedTermios = saved;
        struct sigaction sa {};
        sa.sa_handler = restoreTerminalAndReraise;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &g_oldInt);
        sigaction(SIGTERM, &sa, &g_oldTerm);
        sigaction(SIGHUP, &sa, &g_oldHup);
        sigaction(SIGQUIT, &sa, &g_oldQuit);
        struct termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= static_cast<tcflag_t>(ECHONL);
        g_echoOff = 1;
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    // The prompt comes after echo is off: what is typed after it is kept.
    [[maybe_unused]] auto written = write(fd, prompt.data(), prompt.size());

    bool gotNewline = false;
    bool gotAny = false;
    char c = 0;
    while (true) {
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        gotAny = true;
        if (c == '\n') {
            gotNewline = true;
            break;
        }
        appendSecret(secret, c);
    }
    c = 0;

    if (haveTermios) {
        tcsetattr(fd, TCSADRAIN, &saved);
        g_echoOff = 0;
        sigaction(SIGINT, &g_oldInt, nullptr);
        sigaction(SIGTERM, &g_oldTerm, nullptr);
        sigaction(SIGHUP, &g_oldHup, nullptr);
        sigaction(SIGQUIT, &g_oldQuit, nullptr);
        g_ttyFd = -1;
    }
    if (!gotNewline) {
        [[maybe_unused]] auto nl = write(fd, "\n", 1);
    }
    if (!gotAny) throw CliError("No password was given.");
    stripLineEnd(secret);
}

void readFromStream(std::istream& in, std::string& secret) {
    bool gotAny = false;
    char c = 0;
    while (in.get(c)) {
        gotAny = true;
        if (c == '\n') break;
        appendSecret(secret, c);
    }
    c = 0;
    if (!gotAny) throw CliError("No password was given on standard input.");
    stripLineEnd(secret);
}

// The dialogs' texts use CR LF between lines; a terminal wants LF.
std::string plainLines(std::string text) {
    std::string::size_type pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos) text.erase(pos, 1);
    return text;
}

}  // namespace

void readSecret(Context& ctx, std::string_view prompt, std::string& secret) {
    secureWipe(secret);
    try {
        if (ctx.interactive) {
            readFromTerminal(prompt, secret);
        } else {
            readFromStream(ctx.in, secret);
        }
    } catch (...) {
        secureWipe(secret);
        throw;
    }
}

void askLogin(Context& ctx, std::string_view userId, std::string_view fileTitle,
              Credentials& out) {
    WipedString typed;
    readSecret(ctx, "Password to unlock " + std::string(fileTitle) + ": ", typed.value());
    const auto verdict = credentials::CheckLogin(userId, typed.value());
    if (!verdict.accepted) throw CliError(plainLines(verdict.text));
    out.userId.value() = credentials::TrimBlanks(userId);
    out.password.value() = credentials::TrimBlanks(typed.value());
}

void askNewCredentials(Context& ctx, std::string_view userId, std::string_view fileTitle,
                       Credentials& out) {
    // The user name is checked first, before anything is asked.
    if (credentials::TrimBlanks(userId).empty()) throw CliError(credentials::kUserNameRequired);
    WipedString typed;
    WipedString confirmation;
    readSecret(ctx, "New password to lock " + std::string(fileTitle) + ": ", typed.value());
    readSecret(ctx, "Confirm password: ", confirmation.value());
    const auto verdict =
        credentials::CheckNewCredentials(userId, typed.value(), confirmation.value());
    if (!verdict.accepted) throw CliError(plainLines(verdict.text));
    out.userId.value() = credentials::TrimBlanks(userId);
    out.password.value() = credentials::TrimBlanks(typed.value());
}

std::string fileTitleOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace keymora::cli
