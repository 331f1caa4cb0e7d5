// Temporary folders, file contents, the reference conversion and the seed for the tests.
#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace pomuru::test {

std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::u8string(utf8.begin(), utf8.end());
}

std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

TempDir::TempDir(const std::filesystem::path& parent) {
    // A random name, which creating the folder claims only if it is new (Windows has no mkdtemp).
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = parent / ("pomuru-test-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(path_)) {
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

std::string TempDir::File(const std::string& name) const {
    return Utf8Text(path_ / Utf8Path(name));
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(Utf8Path(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

Bytes SampleBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return bytes;
}

Bytes ReferenceConvert(Bytes bytes, const CipherParams& params, CipherCursor cursor) {
    for (auto& byte : bytes) {
        if (SelectNext(cursor, params)) {
            byte ^= MaskFor(params, cursor.position);
        }
    }
    return bytes;
}

std::uint32_t TestSeed() {
    static const std::uint32_t seed = [] {
        const char* given = std::getenv("POMURU_TEST_SEED");
        const std::uint32_t drawn = given != nullptr ? static_cast<std::uint32_t>(std::stoul(given))
                                                     : std::random_device{}();
        std::cout << "seed " << drawn << " (POMURU_TEST_SEED=" << drawn << " to replay)\n";
        return drawn;
    }();
    return seed;
}

}  // namespace pomuru::test
