#include "support/run_program.h"

#include "platform/paths.h"
#include "support/environment.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#ifdef _WIN32
#include "platform/wide_text.h"

#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace support {

namespace fs = std::filesystem;

namespace {

std::string readBack(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32

// One argument of a command line as the C runtime splits it again: quoted, with backslashes doubled
// where they come before a quote.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring result = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            result.append(backslashes * 2 + 1, L'\\');
        else
            result.append(backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    result.append(backslashes * 2, L'\\');
    return result + L"\"";
}

HANDLE inheritable(const fs::path& file, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES security {sizeof security, nullptr, TRUE};
    return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, disposition,
        FILE_ATTRIBUTE_NORMAL, nullptr);
}

int start(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err)
{
    std::wstring line = quoted(program.native());
    for (const auto& argument : arguments)
        line += L" " + quoted(platform::widen(argument));
    const HANDLE input = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE output = inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE error = inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process {};
    const BOOL started
        = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(input);
    CloseHandle(output);
    CloseHandle(error);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

#else

int start(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& out, const fs::path& err)
{
    std::vector<std::string> texts {program.string()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const int input = ::open("/dev/null", O_RDONLY);
        const int output = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int error = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (input < 0 || output < 0 || error < 0 || ::dup2(input, 0) < 0 || ::dup2(output, 1) < 0
            || ::dup2(error, 2) < 0)
            ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

} // namespace

ProgramResult runProgram(const fs::path& program, const std::vector<std::string>& arguments,
    const std::vector<std::pair<std::string, std::optional<std::string>>>& environment, const fs::path& folder)
{
    std::vector<std::unique_ptr<ScopedEnvironment>> variables;
    for (const auto& [name, value] : environment)
        variables.push_back(std::make_unique<ScopedEnvironment>(name, value));
    const fs::path out = folder / "stdout.txt";
    const fs::path err = folder / "stderr.txt";
    ProgramResult result;
    result.exitCode = start(program, arguments, out, err);
    result.out = readBack(out);
    result.err = readBack(err);
    return result;
}

std::string systemMessage(int code)
{
#ifdef _WIN32
    wchar_t* buffer = nullptr;
    const DWORD length
        = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? platform::narrow(std::wstring_view(buffer, length)) : std::string();
    LocalFree(buffer);
    return text;
#else
    return std::generic_category().message(code);
#endif
}

} // namespace support
