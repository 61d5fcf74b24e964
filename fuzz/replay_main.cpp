// Runs a fuzz entry point over every file of the folders (or files) named on
// the command line, so the seed corpus is exercised by every test run, also
// without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static void RunFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(arg)) {
                if (e.is_regular_file()) {
                    RunFile(e.path());
                    ++count;
                }
            }
        } else if (std::filesystem::exists(arg)) {
            RunFile(arg);
            ++count;
        }
    }
    // Also the empty input, which every reader must refuse cleanly.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("replayed %zu inputs\n", count + 1);
    return 0;
}
