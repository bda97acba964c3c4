// The recording stream against a plain string that takes the same edits:
// whatever TagLib reads back, and the content the commit writes, must be
// what a stream that really moved the bytes would hold.
#include "io/edit_stream.h"
#include "io/original_file.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <random>

namespace tagshifter::test {
namespace {

TEST(EditStream, HoldsWhatAStreamThatMovesTheBytesWouldHold)
{
    std::mt19937 random(20261209);
    TempDir dir;
    for (const uint64_t limit : {uint64_t{1} << 20, uint64_t{100}}) {  // read whole, in windows
        SCOPED_TRACE(limit);
        std::string model(200000, '\0');
        for (char& c : model)
            c = static_cast<char>(random());
        const std::string path = dir.file("stream.bin");
        writeFile(path, model);
        io::OriginalFile original(path, limit);
        io::EditStream stream(original);
        uint64_t position = 0;
        auto any = [&](uint64_t below) { return below == 0 ? 0 : random() % below; };
        auto bytes = [&](size_t count) {
            std::string out(count, '\0');
            for (char& c : out)
                c = static_cast<char>(random());
            return out;
        };
        for (int step = 0; step < 400; ++step) {
            const uint64_t at = any(model.size() + 1);
            const uint64_t span = any(std::min<uint64_t>(3000, model.size() - at) + 1);
            switch (random() % 6) {
            case 0: {  // insert, replacing a span
                const std::string data = bytes(any(2000));
                stream.insert(TagLib::ByteVector(data.data(), static_cast<unsigned>(data.size())), at, span);
                model.replace(at, span, data);
                break;
            }
            case 1:
                stream.removeBlock(at, span);
                model.erase(at, span);
                break;
            case 2: {  // write over and past the end
                const std::string data = bytes(any(3000));
                stream.seek(static_cast<io::StreamOffset>(at));
                stream.writeBlock(TagLib::ByteVector(data.data(), static_cast<unsigned>(data.size())));
                if (at + data.size() > model.size())
                    model.resize(at + data.size());
                model.replace(at, data.size(), data);
                position = at + data.size();
                break;
            }
            case 3:
                stream.truncate(static_cast<io::StreamOffset>(at + span / 2));
                model.resize(at + span / 2);
                break;
            default: {  // read from the end or from a position
                if (random() % 2) {
                    stream.seek(-static_cast<io::StreamOffset>(span), TagLib::IOStream::End);
                    position = model.size() - std::min<uint64_t>(span, model.size());
                } else {
                    stream.seek(static_cast<io::StreamOffset>(at));
                    position = at;
                }
                const TagLib::ByteVector read = stream.readBlock(span + 10);
                const std::string expected = model.substr(std::min<uint64_t>(position, model.size()), span + 10);
                ASSERT_EQ(std::string(read.data(), read.size()), expected) << "step " << step;
                position += expected.size();
                break;
            }
            }
            ASSERT_EQ(static_cast<uint64_t>(stream.length()), model.size()) << "step " << step;
            ASSERT_EQ(static_cast<uint64_t>(stream.tell()), position) << "step " << step;
        }
        ASSERT_TRUE(stream.contentAt(0, model.size()) == model);
        EXPECT_FALSE(original.failed());
    }
}

}  // namespace
}  // namespace tagshifter::test
