#include "support/fixtures.h"

#include "app/run.h"
#include "support/child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tagshifter::test {

const std::string kPrivetCp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";
const std::string kPrivetKoi8r = "\xF0\xD2\xC9\xD7\xC5\xD4";
const std::string kPrivetUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";

namespace {

std::string bigEndian32(uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string littleEndian32(uint32_t value)
{
    return {static_cast<char>(value), static_cast<char>(value >> 8),
            static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
}

std::string syncSafe32(uint32_t value)
{
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

std::string fixedField(const std::string& text, size_t size)
{
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    return field;
}

std::string apeHeaderOrFooter(uint32_t tagSize, uint32_t itemCount, bool header)
{
    const uint32_t hasHeader = 1u << 31;
    const uint32_t isHeader = 1u << 29;
    return std::string("APETAGEX") + littleEndian32(2000) + littleEndian32(tagSize)
           + littleEndian32(itemCount) + littleEndian32(hasHeader | (header ? isHeader : 0))
           + std::string(8, '\0');
}

}  // namespace

std::string mpegFrames(int count, uint8_t seed)
{
    const size_t frameSize = 417;
    std::string frames;
    frames.reserve(frameSize * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string frame = "\xFF\xFB\x90\xC0";
        // Side information left zero (a silent frame); the rest varies.
        frame += std::string(17, '\0');
        for (size_t j = frame.size(); j < frameSize; ++j)
            frame += static_cast<char>(seed + i * 7 + j);
        frames += frame;
    }
    return frames;
}

std::string id3v23Frame(const std::string& id, const std::string& body)
{
    return id + bigEndian32(static_cast<uint32_t>(body.size())) + std::string(2, '\0') + body;
}

std::string textFrame(const std::string& id, const std::string& text, uint8_t encoding)
{
    return id3v23Frame(id, std::string(1, static_cast<char>(encoding)) + text);
}

std::string commentFrame(const std::string& text, uint8_t encoding)
{
    const std::string terminator = encoding == 1 || encoding == 2 ? std::string(2, '\0') : std::string(1, '\0');
    std::string description = encoding == 1 ? "\xFF\xFE" + terminator : terminator;
    return id3v23Frame("COMM", std::string(1, static_cast<char>(encoding)) + "eng" + description + text);
}

std::string describedFrame(const std::string& id, uint8_t encoding, const std::string& description,
                           const std::string& text)
{
    const bool wide = encoding == 1 || encoding == 2;
    const std::string terminator(wide ? 2 : 1, '\0');
    const std::string language = id == "TXXX" ? "" : "eng";
    return id3v23Frame(id, std::string(1, static_cast<char>(encoding)) + language + description
                               + terminator + text);
}

std::string utf16WithBom(const std::string& utf8)
{
    std::string out = "\xFF\xFE";
    const auto unit = [&out](uint32_t value) {
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>(value >> 8);
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<uint8_t>(utf8[i]);
        const int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? byte : byte & (0x7F >> length);
        for (int k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

std::string id3v23Tag(const std::string& frames, size_t padding)
{
    const auto size = static_cast<uint32_t>(frames.size() + padding);
    return std::string("ID3\x03\x00\x00", 6) + syncSafe32(size) + frames + std::string(padding, '\0');
}

std::string id3v1Block(const std::string& title, const std::string& artist,
                       const std::string& album, const std::string& year,
                       const std::string& comment, uint8_t genre)
{
    return "TAG" + fixedField(title, 30) + fixedField(artist, 30) + fixedField(album, 30)
           + fixedField(year, 4) + fixedField(comment, 28) + std::string(2, '\0')
           + std::string(1, static_cast<char>(genre));
}

std::string apeTag(const std::vector<std::pair<std::string, std::string>>& items)
{
    std::string body;
    for (const auto& [key, value] : items)
        body += littleEndian32(static_cast<uint32_t>(value.size())) + littleEndian32(0) + key
                + std::string(1, '\0') + value;
    const auto size = static_cast<uint32_t>(body.size() + 32);
    const auto count = static_cast<uint32_t>(items.size());
    return apeHeaderOrFooter(size, count, true) + body + apeHeaderOrFooter(size, count, false);
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tagshifter-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::put(const std::string& name, const std::string& bytes) const
{
    const std::string path = file(name);
    writeFile(path, bytes);
    return path;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

RunResult runProgram(const std::vector<std::string>& args)
{
    const ChildOutcome outcome = runProgramLimited(args);
    return {outcome.exited ? outcome.status : -outcome.signal, outcome.out, {}};
}

RunResult runInProcess(const std::vector<std::string>& args, const SaveFile& save)
{
    std::vector<std::string> copies{"tagshifter"};
    copies.insert(copies.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    RunResult result;
    result.status = runTool(static_cast<int>(copies.size()), argv.data(), save);
    result.out = testing::internal::GetCapturedStdout();
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

}  // namespace tagshifter::test
