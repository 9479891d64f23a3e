#pragma once
// Another Keymora holding a data file as a real process (keymora_holder); no test framework here.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace keymora::test {

class Holder {
public:
    // Starts it on file; its first line says how it opened ("open writer").
    Holder(const std::string& file, const std::string& user = "me", const std::string& password = "pw") {
        // A holder that refused the file has ended; writing to it must not end the test.
        static const bool ignorePipe = (::signal(SIGPIPE, SIG_IGN), true);
        (void)ignorePipe;
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) throw std::runtime_error("pipe failed");
        m_pid = ::fork();
        if (m_pid < 0) throw std::runtime_error("fork failed");
        if (m_pid == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
            ::execl(KEYMORA_HOLDER_PATH, KEYMORA_HOLDER_PATH, file.c_str(), user.c_str(),
                    password.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
        opened = line();
    }
    ~Holder() { quit(); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    std::string opened;  // its first line

    std::string ask(const std::string& command) { return send(command) ? line() : std::string(); }
    // A command whose answer is read later (answer()), so the test runs meanwhile.
    bool send(const std::string& command) {
        const std::string text = command + "\n";
        return ::write(m_in, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    std::string answer() { return line(); }

    // Closes the file and waits for the process to end.
    void quit() {
        if (m_pid <= 0) return;
        if (m_in >= 0) {
            [[maybe_unused]] const ssize_t n = ::write(m_in, "quit\n", 5);
            ::close(m_in);
            m_in = -1;
        }
        line();  // "closed", or nothing when it had refused the file
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == 0) {
            ::usleep(200 * 1000);
            if (::waitpid(m_pid, &status, WNOHANG) == 0) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
            }
        }
        ::close(m_out);
        m_pid = -1;
    }

private:
    // The next line it wrote; empty after 10 s of silence or at its end.
    std::string line() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            const auto eol = m_buffer.find('\n');
            if (eol != std::string::npos) {
                std::string text = m_buffer.substr(0, eol);
                m_buffer.erase(0, eol + 1);
                return text;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{m_out, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
            char chunk[256];
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0) return {};
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
};

}  // namespace keymora::test
