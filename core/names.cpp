#include "names.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "failures.h"
#include "inputfile.h"

namespace geolago {

namespace {

// The platform's text for `error`, without the blanks and full stops it may end with.
std::string reasonFor(int error)
{
    std::string reason = std::strerror(error);
    while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

[[noreturn]] void failToOpen(const std::string& fileName, int error)
{
    std::string path;
    try {
        path = std::filesystem::absolute(fileName).lexically_normal().string();
        // "folder/." normalises to "folder/": name the folder itself.
        if (path.size() > 1 && path.back() == '/')
            path.pop_back();
    } catch (const std::exception&) {
        path = fileName;
    }
    throw OpenFailure("Impossible d'ouvrir le fichier \"" + path + "\". " + reasonFor(error));
}

// The whole content of `fileName`, closed on every outcome.
std::string readWholeFile(const std::string& fileName)
{
    InputFile file;
    if (const int error = file.open(fileName))
        failToOpen(fileName, error);
    std::string text;
    char buffer[64 * 1024];
    for (;;) {
        const long got = file.read(buffer, sizeof buffer);
        if (got < 0)
            failToOpen(fileName, static_cast<int>(-got));
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace

std::vector<std::string> splitNames(std::string_view text)
{
    // Whatever follows the first NUL is not part of the text.
    text = text.substr(0, text.find('\0'));

    std::vector<std::string> names;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            names.emplace_back(text.substr(start, i - start));
            // CR LF is one line end; LF CR is two.
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        names.emplace_back(text.substr(start));
    return names;
}

std::vector<std::string> Lit_Noms_Vars(const std::string& fileName)
{
    return splitNames(readWholeFile(fileName));
}

}  // namespace geolago
