#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace dbase {

// Engine error codes. ReadOnlyTable is the distinct answer to a request for reading and writing
// on a file that allows only reading.
enum ErrorCode : std::uint16_t
{
    DirectoryNotFound = 0x2101,
    TableNotFound = 0x2102,
    NotATable = 0x2103,
    AccessDenied = 0x2104,
    ReadOnlyTable = 0x2105,
    CorruptHeader = 0x2106,
    ReadFailure = 0x2107,
    MemoNotFound = 0x2108,
    CorruptMemo = 0x2109,
    TableEncrypted = 0x210A,
    TableNotOpen = 0x210B,
    NoCurrentRecord = 0x210C, // a value was asked for before a record was fetched
    TableTruncated = 0x210D, // the file holds fewer records than the header announces
};

// One entry of an engine failure: the message (Spanish, UTF-8, may be empty) and its context text,
// such as the path of the file concerned.
struct ErrorEntry
{
    std::string message;
    std::string context;
};

// An engine failure: a code and the stack of entries that describe it, first the main one.
// what() gives the entries' texts joined by CR LF, without assembling rules; callers that show the
// failure to a user put the text together themselves.
class Error : public std::runtime_error
{
public:
    Error(std::uint16_t code, std::vector<ErrorEntry> entries);
    Error(std::uint16_t code, std::string message, std::string context);

    std::uint16_t code() const { return m_code; }
    const std::vector<ErrorEntry>& entries() const { return m_entries; }

private:
    std::uint16_t m_code;
    std::vector<ErrorEntry> m_entries;
};

} // namespace dbase
