#include "app/logic/command_line.h"
#include "app/logic/start_request.h"
#include "export/export_tool.h"
#include "harness.h"
#include "platform/user_error.h"

#include <fmt/format.h>
#include <typeinfo>

namespace fuzzing {

namespace {

bool isSeparator(unsigned char c)
{
    return c >= 1 && c <= 32;
}

// Lead bytes of a double-byte code page (Shift JIS ranges).
bool shiftJisLead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// A line without quotes splits at separators alone; the first token is the program's name.
std::vector<std::string> plainSplit(std::string_view line)
{
    std::vector<std::string> tokens;
    std::string token;
    for (char c : line) {
        if (isSeparator(static_cast<unsigned char>(c))) {
            if (!token.empty())
                tokens.push_back(std::move(token));
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty())
        tokens.push_back(std::move(token));
    if (!tokens.empty())
        tokens.erase(tokens.begin());
    return tokens;
}

// The handle rule read the plain way: hex digits only, at least one, leading zeros free, at most
// eight significant ones.
std::optional<std::uint32_t> plainHandle(std::string_view digits)
{
    if (digits.empty() || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
        return std::nullopt;
    const auto first = digits.find_first_not_of('0');
    const auto significant = first == std::string_view::npos ? std::string_view() : digits.substr(first);
    if (significant.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : significant) {
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

std::optional<std::string> checkRequest(const std::vector<std::string>& arguments)
{
    const app::logic::StartRequest request = app::logic::makeStartRequest(arguments);
    if (request.argumentCount != static_cast<int>(arguments.size()))
        return "the argument count differs from the arguments";
    if (arguments.size() != 2) {
        if (request.mode != app::logic::RunMode::StandAlone || request.startsExport || request.embeds())
            return "stand-alone mode expected";
        return std::nullopt;
    }
    if (request.mode != app::logic::RunMode::Host || request.commandWord != arguments[0])
        return "host mode expected";
    if (request.startsExport != (lowered(arguments[0]) == "importar"))
        return "the command word was misread: " + arguments[0];
    if (request.hostHandle != plainHandle(arguments[1]))
        return "the handle rule read " + arguments[1] + " otherwise";
    if (!request.hostHandle) {
        if (request.handleFailure != fmt::format("'${}' no es un valor entero válido", arguments[1]))
            return "unexpected handle failure text: " + request.handleFailure;
        try {
            request.requireHostHandle();
            return "requireHostHandle did not fail";
        } catch (const platform::UserError& failure) {
            if (failure.what() != request.handleFailure)
                return "requireHostHandle failed with another text";
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> checkCommandLineInput(std::string_view input)
{
    try {
        const std::string_view line = input.substr(0, input.find('\0'));

        const auto plain = app::logic::splitCommandLine(input);
        for (const auto& argument : plain) {
            if (argument.empty())
                return "an empty argument";
            if (argument.find('"') != std::string::npos)
                return "an argument kept a quote";
        }
        if (line.find('"') == std::string_view::npos && plain != plainSplit(line))
            return "a line without quotes split otherwise than at its separators";
        if (auto problem = checkRequest(plain))
            return problem;

        const auto wide = app::logic::splitCommandLine(input, shiftJisLead);
        std::size_t total = 0;
        for (const auto& argument : wide) {
            if (argument.empty())
                return "an empty argument (double-byte)";
            total += argument.size();
        }
        if (total > line.size())
            return "the arguments hold more bytes than the line";
        if (auto problem = checkRequest(wide))
            return problem;

        if (app::logic::parseHostHandle(input) != plainHandle(input))
            return "the handle rule differs for the whole input";

        // The same bytes as an argument vector, split at NULs, for the vector reader and for the
        // command-line tool's own options.
        std::vector<std::string> pieces;
        for (std::string_view rest = input;;) {
            const auto nul = rest.find('\0');
            pieces.emplace_back(rest.substr(0, nul));
            if (nul == std::string_view::npos)
                break;
            rest.remove_prefix(nul + 1);
        }
        std::vector<const char*> argv;
        for (const auto& piece : pieces)
            argv.push_back(piece.c_str());
        const auto fromArgv = app::logic::argumentsFromArgv(argv);
        if (fromArgv.size() >= pieces.size())
            return "argumentsFromArgv counted the program name";
        for (std::size_t i = 0; i < fromArgv.size(); ++i) {
            if (fromArgv[i].empty() || fromArgv[i] != pieces[i + 1])
                return "argumentsFromArgv changed an argument";
        }

        std::vector<std::string_view> toolArguments(pieces.begin() + 1, pieces.end());
        const auto request = exporter::parseToolArguments(toolArguments);
        using Action = exporter::ToolRequest::Action;
        if (request.action == Action::Export && request.output.empty())
            return "an export without an output file";
        if (request.action == Action::WrongArguments && request.problem.empty())
            return "wrong arguments without a reason";
    } catch (const std::exception& other) {
        return fmt::format("unexpected exception {}: {}", typeid(other).name(), other.what());
    }
    return std::nullopt;
}

} // namespace fuzzing
