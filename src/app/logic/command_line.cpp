#include "app/logic/command_line.h"

namespace app::logic {

namespace {

class LineCursor
{
public:
    LineCursor(std::string_view line, const LeadBytePredicate& isLeadByte)
        : m_line(line)
        , m_isLeadByte(isLeadByte)
    {
        // The text ends at its first NUL, as the system's C string does.
        if (const auto nul = m_line.find('\0'); nul != std::string_view::npos)
            m_line = m_line.substr(0, nul);
    }

    bool atEnd() const { return m_pos >= m_line.size(); }

    // The byte at the cursor, 0 at the end of the line.
    unsigned char current() const { return atEnd() ? 0 : static_cast<unsigned char>(m_line[m_pos]); }
    unsigned char next() const { return m_pos + 1 < m_line.size() ? static_cast<unsigned char>(m_line[m_pos + 1]) : 0; }

    // Moves past the current byte without regard to double-byte characters.
    void skipByte() { ++m_pos; }

    // Moves past the current character (one or two bytes) and appends it to the token.
    void takeCharacter(std::string& token)
    {
        const std::size_t length = (m_isLeadByte(current()) && m_pos + 1 < m_line.size()) ? 2 : 1;
        token.append(m_line.substr(m_pos, length));
        m_pos += length;
    }

private:
    std::string_view m_line;
    const LeadBytePredicate& m_isLeadByte;
    std::size_t m_pos = 0;
};

bool isSeparator(unsigned char c)
{
    return c >= 1 && c <= 32;
}

// Reads the next token; the result is empty only at the end of the line or for a lone quote there.
std::string nextToken(LineCursor& cursor)
{
    for (;;) {
        while (isSeparator(cursor.current()))
            cursor.skipByte();
        if (cursor.current() == '"' && cursor.next() == '"') {
            cursor.skipByte();
            cursor.skipByte();
        } else {
            break;
        }
    }

    std::string token;
    while (!cursor.atEnd() && !isSeparator(cursor.current())) {
        if (cursor.current() == '"') {
            cursor.skipByte();
            while (!cursor.atEnd() && cursor.current() != '"')
                cursor.takeCharacter(token);
            if (!cursor.atEnd())
                cursor.skipByte();
        } else {
            cursor.takeCharacter(token);
        }
    }
    return token;
}

} // namespace

bool noLeadBytes(unsigned char)
{
    return false;
}

std::vector<std::string> splitCommandLine(std::string_view commandLine, const LeadBytePredicate& isLeadByte)
{
    LineCursor cursor(commandLine, isLeadByte);
    nextToken(cursor); // the program's own name
    std::vector<std::string> arguments;
    for (std::string token = nextToken(cursor); !token.empty(); token = nextToken(cursor))
        arguments.push_back(std::move(token));
    return arguments;
}

std::vector<std::string> argumentsFromArgv(std::span<const char* const> argv)
{
    std::vector<std::string> arguments;
    for (std::size_t i = 1; i < argv.size() && argv[i] != nullptr && argv[i][0] != '\0'; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

} // namespace app::logic
