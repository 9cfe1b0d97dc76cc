#include "console_stream.h"
#include "platform/wide_text.h"

#include <string>
#include <windows.h>

namespace exporter {

namespace {

// The bytes at the end of a text that start a UTF-8 sequence still missing its last bytes.
std::size_t incompleteTail(const std::string& text)
{
    std::size_t back = 0;
    while (back < text.size() && back < 4) {
        const auto byte = static_cast<unsigned char>(text[text.size() - 1 - back]);
        ++back;
        if ((byte & 0xC0) != 0x80) {
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
    }
    return 0;
}

class StandardStreamBuffer : public std::streambuf
{
public:
    explicit StandardStreamBuffer(HANDLE handle)
        : m_handle(handle)
    {
        DWORD mode = 0;
        m_console = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
    }
    ~StandardStreamBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        m_pending += traits_type::to_char_type(c);
        if (c == '\n' || m_pending.size() >= 4096)
            return sync() == 0 ? c : traits_type::eof();
        return c;
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        m_pending.append(text, static_cast<std::size_t>(count));
        return sync() == 0 ? count : 0;
    }

    int sync() override
    {
        if (m_pending.empty())
            return 0;
        // A character cut in two waits for its other bytes.
        const std::size_t keep = m_console ? incompleteTail(m_pending) : 0;
        const std::string text = m_pending.substr(0, m_pending.size() - keep);
        m_pending.erase(0, text.size());
        return write(text) ? 0 : -1;
    }

private:
    bool write(const std::string& text)
    {
        if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE)
            return true;
        if (m_console) {
            const std::wstring wide = platform::widen(text);
            std::size_t done = 0;
            while (done < wide.size()) {
                DWORD written = 0;
                if (!WriteConsoleW(
                        m_handle, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr)
                    || written == 0)
                    return false;
                done += written;
            }
            return true;
        }
        std::size_t done = 0;
        while (done < text.size()) {
            DWORD written = 0;
            if (!WriteFile(m_handle, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr)
                || written == 0)
                return false;
            done += written;
        }
        return true;
    }

    HANDLE m_handle;
    bool m_console = false;
    std::string m_pending;
};

} // namespace

std::unique_ptr<std::streambuf> standardStreamBuffer(unsigned long handle)
{
    return std::make_unique<StandardStreamBuffer>(GetStdHandle(static_cast<DWORD>(handle)));
}

} // namespace exporter
