#include "names.h"

#include <filesystem>

#include "failures.h"
#include "inputfile.h"
#include "readers.h"

namespace geolago {

namespace {

// Why the file could not be opened or read: the system's text for an errno, ours for an
// input the windows do not take.
std::string reasonFor(int error)
{
    return error == NotRegularFile ? "Ce n'est pas un fichier ordinaire" : systemReason(error);
}

[[noreturn]] void failToOpen(const std::string& fileName, int error)
{
    std::string path;
    try {
        // Made absolute against the current folder, an empty name included (absolute()
        // refuses it).
        path = (std::filesystem::current_path() / fileName).lexically_normal().string();
        // "folder/." normalises to "folder/": name the folder itself.
        if (path.size() > 1 && path.back() == '/')
            path.pop_back();
    } catch (const std::exception&) {
        path = fileName;
    }
    throw OpenFailure("Impossible d'ouvrir le fichier \"" + path + "\". " + reasonFor(error));
}

// The text of `fileName` up to its first NUL, whatever follows left unread; the file is
// closed on every outcome.
std::string namesText(const std::string& fileName, InputKinds kinds)
{
    InputText source(NamesFileEnd);
    if (const int error = source.open(fileName, kinds))
        failToOpen(fileName, error);
    std::string text;
    const int error = readText(source, MaxNamesFileSize, text);
    if (error == TextTooLong) {
        LimitFailure failure("Fichier des noms trop long : plus de " + std::to_string(MaxNamesFileSize) + " octets");
        failure.setPlace(Place(fileName));
        throw failure;
    }
    if (error != 0)
        failToOpen(fileName, error);
    return text;
}

class NamesFileReader final : public Reader {
public:
    // A names file is known by the field it is chosen in, not by its bytes.
    std::optional<PointFileLayout> identify(const FileHead&) const override { return std::nullopt; }

    void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const override
    {
        const std::vector<std::string> names = Lit_Noms_Vars(fileName, options.kinds);
        for (std::size_t p = 1; p <= names.size() && p <= table.variables(); ++p)
            table.columns[p + 1].name = names[p - 1];
    }
};

}  // namespace

std::vector<std::string> splitNames(std::string_view text)
{
    text = textBefore(text, NamesFileEnd);

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

std::vector<std::string> Lit_Noms_Vars(const std::string& fileName, InputKinds kinds)
{
    return splitNames(utf8Text(namesText(fileName, kinds)));
}

const Reader& namesFileReader()
{
    static const NamesFileReader reader;
    return reader;
}

}  // namespace geolago
