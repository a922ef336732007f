#include <gtest/gtest.h>

#include "foundation/Random.h"
#include "foundation/Streams.h"
#include "tests/support/TempFolder.h"

namespace {

// Reads at random places in random sizes, small and across buffer blocks, and compares
// with the bytes the stream holds.
void ExpectReadsMatch(IStream* stream, const std::string& bytes) {
  ASSERT_EQ(stream->Size(), static_cast<int64_t>(bytes.size()));
  SetRandomSeed(7);
  for (int i = 0; i < 500; ++i) {
    int64_t at = Random(static_cast<int32_t>(bytes.size()) + 10);
    size_t count = i % 3 == 0 ? Random(5) : Random(150000);
    ASSERT_EQ(stream->Seek(at, TSeekOrigin::Beginning), at);
    std::string got(count, '\0');
    size_t n = stream->Read(got.data(), count);
    size_t expected = at >= static_cast<int64_t>(bytes.size())
                          ? 0
                          : std::min(count, bytes.size() - static_cast<size_t>(at));
    ASSERT_EQ(n, expected) << "at " << at << " count " << count;
    EXPECT_EQ(got.substr(0, n), bytes.substr(std::min<size_t>(at, bytes.size()), n));
    EXPECT_EQ(stream->Position(), at + static_cast<int64_t>(n));
  }
  EXPECT_EQ(stream->Seek(-1, TSeekOrigin::Beginning), -1);
  EXPECT_EQ(stream->Seek(-3, TSeekOrigin::End), static_cast<int64_t>(bytes.size()) - 3);
  EXPECT_EQ(stream->Write("x", 1) == 1, dynamic_cast<TFastMemoryStream*>(stream) != nullptr);
}

std::string RandomBytes(size_t size) {
  SetRandomSeed(3);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(Random(256));
  return bytes;
}

TEST(Streams, FileMemoryAndResourceStreamsReadAlike) {
  const std::string bytes = RandomBytes(300000);
  TempFolder folder;
  folder.Write("file.bin", bytes);
  Ref<IStream> file = TBufferedFileStream::Open(folder / "file.bin");
  ASSERT_TRUE(file);
  ExpectReadsMatch(file.get(), bytes);
  Ref<IStream> memory(new TFastMemoryStream(bytes));
  ExpectReadsMatch(memory.get(), bytes);
  Ref<IStream> resource(
      new TFastResourceStream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  ExpectReadsMatch(resource.get(), bytes);
  EXPECT_EQ(ReadStreamToString(file.get()), bytes);
}

TEST(Streams, OpeningAMissingFileOrAFolderGivesNothing) {
  TempFolder folder;
  EXPECT_FALSE(TBufferedFileStream::Open(folder / "missing"));
  EXPECT_FALSE(TBufferedFileStream::Open(folder.Path().string()));
  EXPECT_EQ(ReadStreamToString(nullptr), "");
}

TEST(Streams, MemoryStreamGrowsOnWrites) {
  Ref<TFastMemoryStream> stream(new TFastMemoryStream());
  EXPECT_EQ(stream->Write("abc", 3), 3u);
  EXPECT_EQ(stream->Seek(5, TSeekOrigin::Beginning), 5);
  EXPECT_EQ(stream->Write("z", 1), 1u);
  EXPECT_EQ(stream->Bytes(), std::string("abc\0\0z", 6));
  EXPECT_EQ(ReadStreamToString(stream.get()), stream->Bytes());
}

}  // namespace
