#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace exporter {

// A long text held in chunks of memory instead of one block: it grows without copying what it
// holds, and takes little more memory than its length (a chunk's memory is only touched as it is
// written).
class TextChunks
{
public:
    static constexpr std::size_t DefaultChunkBytes = 1 << 20;

    explicit TextChunks(std::size_t chunkBytes = DefaultChunkBytes);

    // Drops the text and its memory.
    void clear();
    void append(std::string_view text)
    {
        // Most pieces are a few bytes long: copied here, without a call.
        if (text.size() <= 16 && static_cast<std::size_t>(m_end - m_cursor) >= text.size()) {
            for (char c : text)
                *m_cursor++ = c;
            return;
        }
        appendLong(text);
    }
    void append(char c)
    {
        if (m_cursor == m_end)
            newChunk(1);
        *m_cursor++ = c;
    }

    // A place for up to count bytes written at once; commit() then says where the writing ended.
    // Nothing else may change the text in between. What a chunk had left unused stays unused.
    char* reserve(std::size_t count)
    {
        if (static_cast<std::size_t>(m_end - m_cursor) < count)
            newChunk(count);
        return m_cursor;
    }
    void commit(char* end) { m_cursor = end; }

    // A point of the text to go back to, dropping everything appended after it.
    struct Mark
    {
        std::size_t chunk = 0;
        std::size_t used = 0;
    };
    Mark mark() const { return Mark {m_chunks.empty() ? 0 : m_chunks.size() - 1, usedInCurrent()}; }
    void rollback(const Mark& mark);

    std::size_t size() const;
    // Calls write(data, size) for each piece of the text in order.
    template <typename Write> void forEachPiece(Write&& write) const
    {
        for (std::size_t i = 0; i < m_chunks.size(); ++i) {
            const std::size_t used = i + 1 == m_chunks.size() ? usedInCurrent() : m_chunks[i].used;
            if (used > 0)
                write(m_chunks[i].data.get(), used);
        }
    }
    std::string toString() const;

private:
    struct Chunk
    {
        std::unique_ptr<char[]> data;
        std::size_t capacity = 0;
        std::size_t used = 0; // for chunks before the current one
    };

    std::size_t usedInCurrent() const
    {
        return m_chunks.empty() ? 0 : static_cast<std::size_t>(m_cursor - m_chunks.back().data.get());
    }
    // Closes the current chunk and starts one with room for at least count bytes.
    void newChunk(std::size_t count);
    void appendLong(std::string_view text);

    std::size_t m_chunkBytes;
    std::vector<Chunk> m_chunks;
    std::size_t m_closedBytes = 0; // the text in the chunks before the current one
    char* m_cursor = nullptr;
    char* m_end = nullptr;
};

} // namespace exporter
