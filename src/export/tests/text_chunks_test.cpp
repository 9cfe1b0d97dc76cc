#include "export/text_chunks.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace exporter {
namespace {

// Random appends, writes into reserved room and rollbacks, with chunks far smaller than the
// pieces and as large as all of them, give the same text as one std::string given the same steps.
class TextChunksTest : public ::testing::TestWithParam<std::size_t>
{
};

TEST_P(TextChunksTest, holdsTheSameTextAsOneStringWhateverTheChunkSize)
{
    TextChunks chunks(GetParam());
    std::string expected;
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    std::vector<std::pair<TextChunks::Mark, std::size_t>> marks;
    for (int step = 0; step < 3000; ++step) {
        const unsigned action = random() % 10;
        std::string piece(random() % 40, '\0');
        for (char& c : piece)
            c = static_cast<char>('a' + random() % 26);
        if (action < 5) {
            chunks.append(piece);
            expected += piece;
        } else if (action < 7) {
            chunks.append(piece.empty() ? 'x' : piece[0]);
            expected += piece.empty() ? 'x' : piece[0];
        } else if (action < 9) {
            // Room for more than is written, as the escaper asks for it.
            char* place = chunks.reserve(piece.size() * 6);
            std::memcpy(place, piece.data(), piece.size());
            chunks.commit(place + piece.size());
            expected += piece;
        } else if (random() % 2 == 0 || marks.empty()) {
            marks.emplace_back(chunks.mark(), expected.size());
        } else {
            const auto [mark, length] = marks.back();
            marks.pop_back();
            chunks.rollback(mark);
            expected.resize(length);
            // Marks taken after this one are gone with the text after it.
            while (!marks.empty() && marks.back().second > length)
                marks.pop_back();
        }
        ASSERT_EQ(chunks.size(), expected.size()) << "step " << step;
    }
    EXPECT_EQ(chunks.toString(), expected);
    std::string pieces;
    chunks.forEachPiece([&pieces](const char* data, std::size_t size) { pieces.append(data, size); });
    EXPECT_EQ(pieces, expected);
    chunks.clear();
    EXPECT_EQ(chunks.size(), 0u);
    EXPECT_EQ(chunks.toString(), "");
}

INSTANTIATE_TEST_SUITE_P(ChunkSizes, TextChunksTest, ::testing::Values(1, 7, 64, 4096, TextChunks::DefaultChunkBytes));

} // namespace
} // namespace exporter
