// lexivant2_make_synthetic DIR: writes the benchmarks' synthetic vocabularies into DIR, both
// as the program's files ("0.voca", "17.voca") and as plain text ("0.txt", "17.txt"), so
// that outside tools can be timed on the same bytes.
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "SyntheticVocabulary.h"

namespace
{
void WritePlain(const SyntheticVocabulary& vocabulary, const std::string& path)
{
    const std::string& text = vocabulary.PlainText();
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        throw std::runtime_error("cannot create " + path);
    const bool bWritten = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    if (!bWritten || std::fclose(file.release()) != 0)
        throw std::runtime_error("cannot write " + path);
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fputs("usage: lexivant2_make_synthetic DIR\n", stderr);
        return 2;
    }
    try
    {
        const std::string directory = argv[1];
        WriteSyntheticVocabularyFiles(directory);
        WritePlain(SyntheticGeneral(), directory + "/0.txt");
        WritePlain(SyntheticTechnical(), directory + "/17.txt");
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "lexivant2_make_synthetic: %s\n", e.what());
        return 1;
    }
    return 0;
}
