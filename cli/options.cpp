#include "options.h"

#include <array>
#include <cctype>
#include <exception>
#include <string_view>

namespace geolago::cli {

namespace {

// What an argument of the command line is and how it takes its value.
enum class Kind {
    File,      // the point file: the one argument that is not an option
    Flag,      // an option without a value, which may be repeated
    Once,      // an option with one value, given once at most
    Repeated,  // an option with one value each time it is given
};

// Stores the value of an option into the options (a flag's value is empty); throws
// UsageError for a value the option does not take.
using Setter = void (*)(Options&, const std::string&);

// One row of the command line. The parser, the help and the usage line are all made from
// the rows below, in their order.
struct OptionRow {
    std::string_view name;        // "--points"; for the point file, its name in the help
    Kind kind;
    std::string_view value;       // the value's name in the help: "P"; empty for a flag
    std::string_view usageValue;  // in the usage line when it says more than `value`: "N|LISTE"
    Setter set;
    // The lines of its help, which the help sets in a column after the name.
    std::string_view help;
    // A variable request: the requests form one group of the usage line, one at least.
    bool request = false;
    // Given only with the row before it ("--y" with "--x"): one entry of the help and the
    // usage line.
    bool withPrevious = false;
    // Left out of the usage line (--help).
    bool hidden = false;
};

void setFormat(Options& options, const std::string& value)
{
    if (value == "text")
        options.format = Format::Text;
    else if (value == "tsv")
        options.format = Format::Tsv;
    else if (value == "json")
        options.format = Format::Json;
    else
        throw UsageError("format inconnu : " + value + " (text, tsv ou json)");
}

void setCrossNull(Options& options, const std::string& value)
{
    if (value != "toroidal" && value != "shuffle")
        throw UsageError("test croisé inconnu : " + value + " (toroidal ou shuffle)");
    options.crossShuffle = value == "shuffle";
}

// The file of the charts: its extension must follow a name, ".png" or "charts/.png" is
// refused.
void setPlot(Options& options, const std::string& value)
{
    const std::size_t slash = value.find_last_of('/');
    const std::size_t nameLength = slash == std::string::npos ? value.size() : value.size() - slash - 1;
    const auto endsWith = [&](std::string_view tail) {
        if (nameLength <= tail.size())
            return false;
        for (std::size_t i = 0; i < tail.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(value[value.size() - tail.size() + i])) != tail[i])
                return false;
        return true;
    };
    if (!endsWith(".png") && !endsWith(".svg"))
        throw UsageError("le fichier de --plot doit finir en .png ou .svg : " + value);
    options.plotFile = value;
}

using Request = VariableRequest::Kind;

const std::array Rows = {
    OptionRow{"FICHIER", Kind::File, "", "", [](Options& o, const std::string& v) { o.pointsFile = v; },
              "fichier des points : [numéro] X Y v1 ... vV par ligne ; ou\n"
              "texte délimité avec en-tête (CSV, TSV, « ; » et virgule\n"
              "décimale, blancs comme write.table de R ; UTF-8, UTF-16 ou\n"
              "Windows-1252), couche de points SIG ou raster (GeoPackage,\n"
              "Shapefile, GeoJSON, GeoTIFF… par GDAL), reconnus à leur contenu"},
    OptionRow{"--points", Kind::Once, "P", "", [](Options& o, const std::string& v) { o.points = v; },
              "nombre de points à lire, autant qu'il y en a (la mémoire seule\n"
              "limite ; les fenêtres en lisent au plus 1000) ; omis, deviné du\n"
              "fichier de points comme la fenêtre le propose ; les autres\n"
              "formats disent leurs comptes, et P et V bornent ce qui en est lu"},
    OptionRow{"--vars", Kind::Once, "V", "", [](Options& o, const std::string& v) { o.vars = v; },
              "nombre de variables par ligne (les fenêtres en lisent au plus 30) ;\n"
              "omis, deviné de même"},
    OptionRow{"--numbered", Kind::Flag, "", "", [](Options& o, const std::string&) { o.rowsAreNumbered = true; },
              "chaque ligne commence par un numéro de point"},
    OptionRow{"--x", Kind::Once, "NOM", "", [](Options& o, const std::string& v) { o.xColumn = v; },
              "colonnes des coordonnées d'un texte délimité (par défaut x/y,\n"
              "lon/lat, longitude/latitude, easting/northing ou E/N, sinon\n"
              "les deux premières colonnes de nombres)"},
    OptionRow{"--y", Kind::Once, "NOM", "", [](Options& o, const std::string& v) { o.yColumn = v; }, "", false, true},
    OptionRow{"--layer", Kind::Once, "NOM", "", [](Options& o, const std::string& v) { o.layer = v; },
              "couche d'un fichier SIG (par défaut la première qui a des points)"},
    OptionRow{"--cells", Kind::Once, "N", "N|LISTE", [](Options& o, const std::string& v) { o.cellsPerAxis = v; },
              "nombre de mailles par côté (1 à 4096, 10 par défaut) ; une liste\n"
              "(5,10,20) ou une plage (5..30) donne un bloc de lignes par N"},
    OptionRow{"--max-shift", Kind::Once, "K", "", [](Options& o, const std::string& v) { o.maxShift = v; },
              "ne calcule que les décalages 0 à K de chaque direction (tous par\n"
              "défaut) : une grille fine coûte alors N² K au lieu de N³ ;\n"
              "avec --map, la carte va de -K à K (min(N - 1, 10) par défaut)"},
    OptionRow{"--names", Kind::Once, "FICHIER_NOMS", "", [](Options& o, const std::string& v) { o.namesFile = v; },
              "fichier des noms des variables, un par ligne ; un texte\n"
              "délimité, une couche ou un raster nomment leurs variables"},
    OptionRow{"--variable", Kind::Repeated, "K", "",
              [](Options& o, const std::string& v) { o.variables.push_back({Request::One, v}); },
              "variable à analyser : sa position, ou son nom (de l'en-tête, des\n"
              "champs, des bandes ou de --names ; un texte qui se lit comme\n"
              "un entier est une position) ; peut être répétée",
              true},
    OptionRow{"--all", Kind::Flag, "", "",
              [](Options& o, const std::string&) { o.variables.push_back({Request::All, std::string()}); },
              "toutes les variables, de 1 à V", true},
    OptionRow{"--cross", Kind::Repeated, "A:B", "",
              [](Options& o, const std::string& v) { o.variables.push_back({Request::Cross, v}); },
              "corrélogramme croisé : les mailles de A avec celles de B\n"
              "décalées (positions ou noms) ; peut être répétée",
              true},
    OptionRow{"--permutations", Kind::Once, "K", "", [](Options& o, const std::string& v) { o.permutations = v; },
              "test par permutations de chaque décalage (0 à 100000,\n"
              "0 par défaut) : p bilatéral à queues égales, enveloppe à\n"
              "2,5 % et 97,5 % et deux p corrigés sur tous les décalages\n"
              "du corrélogramme : p_holm, Holm, qui ne descend pas sous\n"
              "2m / (K + 1) pour m décalages, et p_fwer, le maxT pas à pas\n"
              "de Westfall et Young sur les mêmes permutations, qui\n"
              "descend jusqu'à 2 / (K + 1) ; tous deux gardent à 5 % la\n"
              "part des corrélogrammes sans structure ayant un décalage\n"
              "significatif, p_fwer sans perdre la puissance que Holm perd\n"
              "sur beaucoup de décalages ; le graphique marque p_fwer\n"
              "<= 0,05 ; le décalage 0 d'un autocorrélogramme n'est pas\n"
              "testé"},
    OptionRow{"--seed", Kind::Once, "S", "", [](Options& o, const std::string& v) { o.seed = v; },
              "graine des permutations (1 par défaut)"},
    OptionRow{"--threads", Kind::Once, "T", "", [](Options& o, const std::string& v) { o.threads = v; },
              "fils de calcul des permutations et de la carte (par défaut,\n"
              "les processeurs que le processus peut utiliser : taskset,\n"
              "allocation d'une tâche) ; les résultats n'en dépendent pas"},
    OptionRow{"--cross-null", Kind::Once, "MODÈLE", "toroidal|shuffle", setCrossNull,
              "test d'un corrélogramme croisé : toroidal (par défaut), la\n"
              "grille des moyennes de B translatée sur le tore, ce qui\n"
              "garde sa structure ; shuffle, les valeurs de B mélangées\n"
              "entre les points"},
    OptionRow{"--map", Kind::Flag, "", "", [](Options& o, const std::string&) { o.map = true; },
              "carte des corrélogrammes : r et paires de chaque décalage\n"
              "(dx, dy), dx en mailles le long de X et dy le long de Y\n"
              "(E_W k est (0, k), N_S k est (k, 0)), avec --permutations\n"
              "p, enveloppe, p_holm et p_fwer, et l'anisotropie : direction\n"
              "(degrés depuis l'axe X) et rapport des axes de la région\n"
              "où r >= 0,5 ; en tsv, seules les lignes de la carte\n"
              "(variable with cells fill dx dy distance_x distance_y r\n"
              "pairs p low high p_holm p_fwer null permutations) ; avec\n"
              "--plot, la carte en couleurs dans FICHIER-carte.png,\n"
              "hachurée sur moins de 10 paires"},
    OptionRow{"--format", Kind::Once, "FORMAT", "text|tsv|json", setFormat, "text (par défaut), tsv ou json"},
    OptionRow{"--decimal-comma", Kind::Flag, "", "", [](Options& o, const std::string&) { o.decimalComma = true; },
              "virgule décimale dans les formats text et tsv"},
    OptionRow{"--plot", Kind::Once, "FICHIER", "FICHIER.png|FICHIER.svg", setPlot,
              "écrit le graphique de chaque variable, tel que la fenêtre le\n"
              "dessine, en PNG ou en SVG selon l'extension ; avec plusieurs\n"
              "graphiques, la position de la variable (AxB pour un\n"
              "croisement) et, sur plusieurs N, -mN s'insèrent avant\n"
              "l'extension : graphique-5.png, graphique-1x2-m10.png\n"
              "(graphique-5.png) ; absent d'un geolago-cli construit sans\n"
              "les fenêtres"},
    OptionRow{"--quiet", Kind::Flag, "", "", [](Options& o, const std::string&) { o.quiet = true; },
              "pas d'avancement sur la sortie d'erreur (il ne s'affiche que\n"
              "sur un terminal, pour un calcul de plus d'une seconde)"},
    OptionRow{"--help", Kind::Flag, "", "", [](Options& o, const std::string&) { o.help = true; },
              "affiche cette aide", false, false, true},
};

// What follows the options in the help.
constexpr std::string_view HelpEnd =
    "P, V, N, K, T et les positions se lisent comme des entiers : décimal, ou hexadécimal\n"
    "après $, x ou 0x. Chaque ligne donne, pour un décalage, la distance qu'il couvre, r, les\n"
    "paires de mailles et, avec --permutations, p, l'enveloppe, p_holm et p_fwer ; en tsv,\n"
    "les deux dernières colonnes disent le test fait : null (shuffle ou toroidal, NA sans\n"
    "test) et permutations (celles faites : au plus N² - 1 translations) ; un nombre\n"
    "qui n'existe pas (r sur moins de 5 paires, p sans permutations) s'écrit NA, null en\n"
    "JSON.\n"
    "E_W apparie les mailles le long de Y (la seconde coordonnée), N_S le long de X.\n"
    "Chaque corrélogramme demandé est calculé, même après l'échec d'un autre.\n"
    "Une valeur manquante (cellule vide, NA, NaN, nan, -) laisse le point hors des mailles\n"
    "de sa variable ; une ligne sans coordonnée est ignorée et signalée. Les avertissements\n"
    "(lignes non lues, comptes devinés, colonne des numéros de lignes, coordonnées en\n"
    "degrés) vont sur la sortie d'erreur.\n"
    "Code de sortie : 0 si tout est calculé et écrit, 1 sur un refus, un échec du calcul\n"
    "ou de l'écriture (message sur la sortie d'erreur), 2 sur une ligne de commande\n"
    "incorrecte.\n";

// The column of the help where the texts of the options start.
constexpr std::size_t HelpColumn = 25;

// The characters of a UTF-8 text: its bytes but the continuation bytes.
std::size_t characters(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// "--points P", or "--numbered" for a flag, with the value the usage line names when
// `inUsage` and the row names one there.
std::string entry(const OptionRow& row, bool inUsage)
{
    const std::string_view value = inUsage && !row.usageValue.empty() ? row.usageValue : row.value;
    return value.empty() ? std::string(row.name) : std::string(row.name) + " " + std::string(value);
}

// The row of an option's name, "-h" for --help; nullptr for a name no row has.
const OptionRow* rowNamed(std::string_view name)
{
    if (name == "-h")
        name = "--help";
    for (const OptionRow& row : Rows)
        if (row.kind != Kind::File && row.name == name)
            return &row;
    return nullptr;
}

}  // namespace

std::string usageLine()
{
    std::string line = "Usage : geolago-cli";
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        const OptionRow& row = Rows[i];
        if (row.hidden)
            continue;
        if (row.kind == Kind::File) {
            line.append(" ").append(row.name);
        } else if (row.request) {
            // A group of the requests, one of them at least, any of them repeated.
            line += i > 0 && Rows[i - 1].request ? " | " : " (";
            line += entry(row, true);
            if (i + 1 == Rows.size() || !Rows[i + 1].request)
                line += ")...";
        } else if (row.withPrevious) {
            line.insert(line.size() - 1, " " + entry(row, true));
        } else {
            line.append(" [").append(entry(row, true)) += ']';
        }
    }
    return line;
}

std::string helpText()
{
    std::string text = usageLine() + "\n\nCalcule le corrélogramme par mailles des variables demandées d'un fichier de points.\n\n";
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        std::string label = entry(Rows[i], false);
        while (i + 1 < Rows.size() && Rows[i + 1].withPrevious)
            label += ", " + entry(Rows[++i], false);
        const std::string_view help = Rows[i].help.empty() ? Rows[i - 1].help : Rows[i].help;
        text.append("  ").append(label);
        text.append(characters(label) + 2 < HelpColumn ? HelpColumn - 2 - characters(label) : 1, ' ');
        for (std::size_t start = 0; start <= help.size();) {
            const std::size_t end = std::min(help.find('\n', start), help.size());
            if (start > 0)
                text.append(HelpColumn, ' ');
            text.append(help.substr(start, end - start)) += '\n';
            start = end + 1;
        }
    }
    return text.append("\n").append(HelpEnd);
}

Options parseCommandLine(const std::vector<std::string>& args)
{
    Options options;
    std::array<int, Rows.size()> given{};  // how many times each row was given
    // The first value an option refused: told once the command line is whole, so that
    // --help still helps and a missing file or variable is told first.
    std::exception_ptr refusedValue;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            // "-" alone is a file name like any other.
            if (given[0]++ > 0)
                throw UsageError("un seul fichier de points est attendu, « " + arg + " » est de trop");
            Rows[0].set(options, arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const OptionRow* row = rowNamed(name);
        if (!row)
            throw UsageError("option inconnue : " + arg);
        if (row->kind == Kind::Flag) {
            if (inlineValue)
                throw UsageError("l'option " + name + " ne prend pas de valeur");
        } else if (!inlineValue) {
            if (i + 1 >= args.size())
                throw UsageError("l'option " + name + " attend une valeur");
            inlineValue = args[++i];
        }
        if (row->kind == Kind::Once && given[static_cast<std::size_t>(row - Rows.data())] > 0)
            throw UsageError("option " + name + " donnée deux fois");
        ++given[static_cast<std::size_t>(row - Rows.data())];
        try {
            row->set(options, inlineValue.value_or(std::string()));
        } catch (const UsageError&) {
            if (!refusedValue)
                refusedValue = std::current_exception();
        }
        if (options.help)
            return options;  // nothing else matters once help is asked
    }

    if (given[0] == 0)
        throw UsageError("le fichier de points manque");
    for (std::size_t i = 1; i < Rows.size(); ++i)
        if (Rows[i].withPrevious && given[i] != given[i - 1])
            throw UsageError(std::string(Rows[i - 1].name) + " et " + std::string(Rows[i].name)
                             + " se donnent ensemble");
    if (options.variables.empty())
        throw UsageError("aucune variable demandée (--variable K, --all ou --cross A:B)");
    if (refusedValue)
        std::rethrow_exception(refusedValue);
    return options;
}

}  // namespace geolago::cli
