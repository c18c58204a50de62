// ambrelo-thumbnailer: the picture a file manager shows for a label project or template.
// File managers call it as the thumbnailer entry says:
//     ambrelo-thumbnailer -s SIZE INPUT OUTPUT
// It reads only the file's header, takes the PNG thumbnail stored there and writes it to OUTPUT
// as a PNG whose longer side is SIZE pixels. It needs no display and starts no window. A file
// without a usable thumbnail (damaged, not a label file, or a version 0 file, which has none in
// its header) ends with exit code 1 and writes nothing.
//
// A file manager starts it once for every file it shows, so it starts fast: plain C++ and
// libpng. Loading Qt's GUI library alone costs more than the whole run is allowed (30 ms), so it
// reads the header itself instead of through the document model; the tests hold the two
// together on files the document model writes.
//
// An OUTPUT that is a symbolic link is written through to its target. One that is the INPUT
// itself (under any name), or exists and is not a regular file, is refused with exit code 2.

#include "thumbnail.h"

#include "platform/outputpath.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

enum TExit { ExitDone = 0, ExitNoThumbnail = 1, ExitUsage = 2, ExitNotWritten = 3 };

constexpr int DefaultSize = 128;
constexpr int MaxSize = 4096;

struct TArguments {
    int Size = DefaultSize;
    std::string Input;
    std::string Output;
};

std::optional<int> ParseSize(const std::string &text)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int size = std::stoi(text);
    if (size < 1 || size > MaxSize)
        return std::nullopt;
    return size;
}

std::optional<TArguments> ParseArguments(int argc, char **argv)
{
    TArguments arguments;
    std::vector<std::string> files;
    bool sized = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-s" && i + 1 < argc) {
            // A second size would silently replace the first.
            if (sized)
                return std::nullopt;
            sized = true;
            const std::optional<int> size = ParseSize(argv[++i]);
            if (!size)
                return std::nullopt;
            arguments.Size = *size;
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() != 2)
        return std::nullopt;
    arguments.Input = LocalPath(files[0]);
    arguments.Output = LocalPath(files[1]);
    if (arguments.Input.empty() || arguments.Output.empty())
        return std::nullopt;
    return arguments;
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<TArguments> arguments = ParseArguments(argc, argv);
    if (!arguments) {
        std::fputs("usage: ambrelo-thumbnailer [-s SIZE] INPUT OUTPUT\n"
                   "Writes the thumbnail of a label project (.wlp) or template (.wlt) as a PNG\n"
                   "whose longer side is SIZE pixels (1 to 4096, 128 when not given).\n",
                   stderr);
        return ExitUsage;
    }
    const TOutputTarget output = ResolveOutput(arguments->Output, {arguments->Input});
    if (output.Refusal != TOutputRefusal::None) {
        std::fprintf(stderr, "ambrelo-thumbnailer: The output \"%s\" is %s.\n", arguments->Output.c_str(),
                     output.Refusal == TOutputRefusal::IsInput ? "the label file itself"
                                                               : "not a regular file");
        return ExitUsage;
    }
    std::string problem;
    const std::optional<TPixels> thumbnail = ReadHeaderThumbnail(arguments->Input, problem);
    if (!thumbnail) {
        std::fprintf(stderr, "ambrelo-thumbnailer: %s: %s\n", arguments->Input.c_str(), problem.c_str());
        return ExitNoThumbnail;
    }
    if (!WritePng(output.Path, Fitted(*thumbnail, arguments->Size), problem)) {
        std::fprintf(stderr, "ambrelo-thumbnailer: %s: %s\n", arguments->Output.c_str(), problem.c_str());
        return ExitNotWritten;
    }
    return ExitDone;
}
