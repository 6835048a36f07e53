// The names reader over arbitrary bytes: splitting a text into names, and reading the
// same bytes from a file. Putting the names back together with the line ends they were
// cut at must give the text up to its first NUL.

#include <string>
#include <string_view>

#include "failures.h"
#include "fuzz_support.h"
#include "names.h"

using namespace geolago;
using namespace geolago::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> names = splitNames(bytes);
    const std::string_view text = bytes.substr(0, bytes.find('\0'));

    // Walk the text again: each name must stand at the cursor, followed by one line end
    // (CR LF, CR or LF), except a last name that runs to the end of the text.
    std::size_t pos = 0;
    for (std::size_t n = 0; n < names.size(); ++n) {
        const std::string& name = names[n];
        check(name.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
              "a name holds a line end or a NUL");
        check(text.substr(pos, name.size()) == name, "a name is not the text at its place");
        pos += name.size();
        if (pos == text.size()) {
            check(n + 1 == names.size() && !name.empty(), "only a last, non-empty name may lack a line end");
            break;
        }
        check(text[pos] == '\r' || text[pos] == '\n', "a name stops before a line end");
        pos += text.substr(pos, 2) == "\r\n" ? 2 : 1;
    }
    check(pos == text.size(), "the names do not cover the text");

    try {
        check(Lit_Noms_Vars(writeScratch(bytes)) == names, "the file gives other names than its text");
    } catch (const Failure&) {
        fault("an existing, readable names file failed to open");
    }
    return 0;
}
