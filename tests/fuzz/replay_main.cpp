// Runs every file of the given corpus folders once through a fuzz target: how the corpus is
// replayed as a plain test where libFuzzer is missing (builds by compilers other than clang).
#include <filesystem>
#include <fstream>
#include "fuzz_support.h"

int main(int argc, char** argv)
{
    int inputs = 0;
    for (int i = 1; i < argc; ++i)
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            std::vector<uint8_t> bytes(std::filesystem::file_size(entry.path()));
            std::ifstream(entry.path(), std::ios::binary).read(reinterpret_cast<char*>(bytes.data()), bytes.size());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++inputs;
        }
    return inputs > 0 ? 0 : 1;
}
