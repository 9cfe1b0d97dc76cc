#include "process.h"

#include "dbf_builder.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace robustness {

namespace {

std::vector<char*> argumentVector(const std::string& path, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

void redirect(int target, const char* path, int flags)
{
    const int fd = ::open(path, flags, 0666);
    if (fd < 0)
        ::_exit(120);
    ::dup2(fd, target);
    ::close(fd);
}

} // namespace

int waitForProgram(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return status;
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

ProgramResult runProgram(
    const std::string& givenPath, const std::vector<std::string>& arguments, const RunOptions& options)
{
    dbase::testing::TempDir outputs;
    std::filesystem::permissions(outputs.path(), std::filesystem::perms::all);
    const auto outPath = (outputs / "out").string();
    const auto errPath = (outputs / "err").string();
    // Another user may not reach the build folder (a checkout under a home folder of mode 700): that
    // user runs a copy of the program from a folder of its own that anybody may enter.
    std::string path = givenPath;
    if (options.asUser) {
        const auto copy = outputs / std::filesystem::path(givenPath).filename().string();
        std::filesystem::copy_file(givenPath, copy);
        std::filesystem::permissions(copy,
            std::filesystem::perms::owner_all | std::filesystem::perms::group_read | std::filesystem::perms::group_exec
                | std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
        path = copy.string();
    }
    auto argv = argumentVector(path, arguments);

    const pid_t child = ::fork();
    if (child < 0)
        return {};
    if (child == 0) {
        redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        redirect(STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        redirect(STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        // The same texts and formats whatever the machine's locale.
        ::setenv("LC_ALL", "C", 1);
        if (options.fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {*options.fileSizeLimit, *options.fileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(121);
        }
        if (options.asUser && (::setgid(*options.asUser) != 0 || ::setuid(*options.asUser) != 0))
            ::_exit(122);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }

    ProgramResult result;
    const auto started = std::chrono::steady_clock::now();
    const int status = waitForProgram(child, options.timeout);
    result.timedOut = std::chrono::steady_clock::now() - started > options.timeout;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = dbase::testing::readFile(outPath);
    result.err = dbase::testing::readFile(errPath);
    return result;
}

pid_t startProgram(const std::string& path, const std::vector<std::string>& arguments)
{
    auto argv = argumentVector(path, arguments);
    const pid_t child = ::fork();
    if (child == 0) {
        redirect(STDIN_FILENO, "/dev/null", O_RDONLY);
        redirect(STDOUT_FILENO, "/dev/null", O_WRONLY);
        redirect(STDERR_FILENO, "/dev/null", O_WRONLY);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    return child;
}

int runInChild(const std::function<int()>& body, std::chrono::milliseconds timeout)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        int code = 125;
        try {
            code = body();
        } catch (...) {
            code = 126;
        }
        ::_exit(code);
    }
    const int status = waitForProgram(child, timeout);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string exportProgram()
{
    return EDUCA_EXPORT_PATH;
}

} // namespace robustness
