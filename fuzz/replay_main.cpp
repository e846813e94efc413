// Replays a committed fuzz corpus through a fuzz target on the host build, so every test run
// checks the inputs the fuzzer once found interesting. Arguments: files or folders of inputs.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"

namespace {

std::vector<std::filesystem::path> InputFiles(const std::filesystem::path& argument) {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::is_directory(argument)) return {argument};
    for (const auto& entry : std::filesystem::directory_iterator(argument)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path& file : InputFiles(argv[i])) {
            std::string bytes = ReadFile(file);
            std::fprintf(stderr, "replaying %s\n", file.string().c_str());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;  // an empty corpus would prove nothing
}
