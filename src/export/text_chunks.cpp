#include "export/text_chunks.h"

#include <algorithm>
#include <cstring>

namespace exporter {

TextChunks::TextChunks(std::size_t chunkBytes)
    : m_chunkBytes(std::max<std::size_t>(chunkBytes, 1))
{
}

void TextChunks::clear()
{
    m_chunks.clear();
    m_closedBytes = 0;
    m_cursor = nullptr;
    m_end = nullptr;
}

void TextChunks::newChunk(std::size_t count)
{
    if (!m_chunks.empty()) {
        m_chunks.back().used = usedInCurrent();
        m_closedBytes += m_chunks.back().used;
    }
    Chunk chunk;
    chunk.capacity = std::max(m_chunkBytes, count);
    // Not value-initialised: the memory is touched only as the text is written.
    chunk.data.reset(new char[chunk.capacity]);
    m_cursor = chunk.data.get();
    m_end = m_cursor + chunk.capacity;
    m_chunks.push_back(std::move(chunk));
}

void TextChunks::appendLong(std::string_view text)
{
    while (!text.empty()) {
        if (m_cursor == m_end)
            newChunk(1);
        const std::size_t count = std::min(text.size(), static_cast<std::size_t>(m_end - m_cursor));
        std::memcpy(m_cursor, text.data(), count);
        m_cursor += count;
        text.remove_prefix(count);
    }
}

void TextChunks::rollback(const Mark& mark)
{
    if (m_chunks.empty())
        return;
    while (m_chunks.size() > mark.chunk + 1) {
        m_chunks.pop_back();
        m_closedBytes -= m_chunks.back().used;
    }
    Chunk& current = m_chunks.back();
    m_cursor = current.data.get() + mark.used;
    m_end = current.data.get() + current.capacity;
}

std::size_t TextChunks::size() const
{
    return m_closedBytes + usedInCurrent();
}

std::string TextChunks::toString() const
{
    std::string text;
    text.reserve(size());
    forEachPiece([&text](const char* data, std::size_t size) { text.append(data, size); });
    return text;
}

} // namespace exporter
