// Runs a fuzz harness over every file of a folder, as a test: the seeds and every input that
// once made a harness fail, so that what was fixed stays fixed. A missing or empty folder is a
// failure, since a replay of nothing would pass without testing anything.

#include "fuzzsupport.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> InputsUnder(const fs::path &folder)
{
    std::vector<fs::path> inputs;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// The file's bytes in an allocation of exactly their size, so that the address checks catch a
// read one byte past the end, as under libFuzzer.
bool Replay(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::unique_ptr<uint8_t[]> data(new uint8_t[std::max<size_t>(bytes.size(), 1)]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        std::fprintf(stderr, "%s: no such folder\n", folder.c_str());
        return 1;
    }
    const std::vector<fs::path> inputs = InputsUnder(folder);
    if (inputs.empty()) {
        std::fprintf(stderr, "%s: no inputs to replay\n", folder.c_str());
        return 1;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (const fs::path &input : inputs) {
        std::fprintf(stderr, "Running %s\n", input.c_str());
        if (!Replay(input)) {
            std::fprintf(stderr, "%s: cannot be read\n", input.c_str());
            return 1;
        }
    }
    std::printf("Replayed %zu inputs from %s\n", inputs.size(), folder.c_str());
    return 0;
}
