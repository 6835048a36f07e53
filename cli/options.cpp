#include "options.h"

#include <cctype>

namespace geolago::cli {

std::string usageLine()
{
    return "Usage : geolago-cli FICHIER [--points P] [--vars V] [--numbered] [--x NOM --y NOM] [--layer NOM]"
           " [--cells N|LISTE] [--names FICHIER_NOMS] (--variable K | --all | --cross A:B)... [--permutations K]"
           " [--max-shift K] [--map] [--seed S] [--threads T] [--cross-null toroidal|shuffle] [--format text|tsv|json]"
           " [--decimal-comma] [--plot FICHIER.png|FICHIER.svg] [--quiet]";
}

std::string helpText()
{
    return usageLine() + "\n"
        "\n"
        "Calcule le corrélogramme par mailles des variables demandées d'un fichier de points.\n"
        "\n"
        "  FICHIER                fichier des points : [numéro] X Y v1 ... vV par ligne ; ou\n"
        "                         texte délimité avec en-tête (CSV, TSV, « ; » et virgule\n"
        "                         décimale, blancs comme write.table de R ; UTF-8, UTF-16 ou\n"
        "                         Windows-1252), couche de points SIG ou raster (GeoPackage,\n"
        "                         Shapefile, GeoJSON, GeoTIFF… par GDAL), reconnus à leur contenu\n"
        "  --points P             nombre de points à lire, autant qu'il y en a (la mémoire seule\n"
        "                         limite ; les fenêtres en lisent au plus 1000) ; omis, deviné du\n"
        "                         fichier de points comme la fenêtre le propose ; les autres\n"
        "                         formats disent leurs comptes, et P et V bornent ce qui en est lu\n"
        "  --vars V               nombre de variables par ligne (les fenêtres en lisent au plus 30) ;\n"
        "                         omis, deviné de même\n"
        "  --numbered             chaque ligne commence par un numéro de point\n"
        "  --x NOM, --y NOM       colonnes des coordonnées d'un texte délimité (par défaut x/y,\n"
        "                         lon/lat, longitude/latitude, easting/northing ou E/N, sinon\n"
        "                         les deux premières colonnes de nombres)\n"
        "  --layer NOM            couche d'un fichier SIG (par défaut la première qui a des points)\n"
        "  --cells N              nombre de mailles par côté (1 à 4096, 10 par défaut) ; une liste\n"
        "                         (5,10,20) ou une plage (5..30) donne un bloc de lignes par N\n"
        "  --max-shift K          ne calcule que les décalages 0 à K de chaque direction (tous par\n"
        "                         défaut) : une grille fine coûte alors N² K au lieu de N³ ;\n"
        "                         avec --map, la carte va de -K à K (min(N - 1, 10) par défaut)\n"
        "  --names FICHIER_NOMS   fichier des noms des variables, un par ligne ; un texte\n"
        "                         délimité, une couche ou un raster nomment leurs variables\n"
        "  --variable K           variable à analyser : sa position, ou son nom (de l'en-tête, des\n"
        "                         champs, des bandes ou de --names ; un texte qui se lit comme\n"
        "                         un entier est une position) ; peut être répétée\n"
        "  --all                  toutes les variables, de 1 à V\n"
        "  --cross A:B            corrélogramme croisé : les mailles de A avec celles de B\n"
        "                         décalées (positions ou noms) ; peut être répétée\n"
        "  --permutations K       test par permutations de chaque décalage (0 à 100000,\n"
        "                         0 par défaut) : p bilatéral à queues égales, enveloppe à\n"
        "                         2,5 % et 97,5 % et deux p corrigés sur tous les décalages\n"
        "                         du corrélogramme : p_holm, Holm, qui ne descend pas sous\n"
        "                         2m / (K + 1) pour m décalages, et p_fwer, le maxT pas à pas\n"
        "                         de Westfall et Young sur les mêmes permutations, qui\n"
        "                         descend jusqu'à 2 / (K + 1) ; tous deux gardent à 5 % la\n"
        "                         part des corrélogrammes sans structure ayant un décalage\n"
        "                         significatif, p_fwer sans perdre la puissance que Holm perd\n"
        "                         sur beaucoup de décalages ; le graphique marque p_fwer\n"
        "                         <= 0,05 ; le décalage 0 d'un autocorrélogramme n'est pas\n"
        "                         testé\n"
        "  --seed S               graine des permutations (1 par défaut)\n"
        "  --threads T            fils de calcul des permutations et de la carte (par défaut,\n"
        "                         les processeurs que le processus peut utiliser : taskset,\n"
        "                         allocation d'une tâche) ; les résultats n'en dépendent pas\n"
        "  --cross-null MODÈLE    test d'un corrélogramme croisé : toroidal (par défaut), la\n"
        "                         grille des moyennes de B translatée sur le tore, ce qui\n"
        "                         garde sa structure ; shuffle, les valeurs de B mélangées\n"
        "                         entre les points\n"
        "  --map                  carte des corrélogrammes : r et paires de chaque décalage\n"
        "                         (dx, dy), dx en mailles le long de X et dy le long de Y\n"
        "                         (E_W k est (0, k), N_S k est (k, 0)), avec --permutations\n"
        "                         p, enveloppe, p_holm et p_fwer, et l'anisotropie : direction\n"
        "                         (degrés depuis l'axe X) et rapport des axes de la région\n"
        "                         où r >= 0,5 ; en tsv, seules les lignes de la carte\n"
        "                         (variable with cells fill dx dy distance_x distance_y r\n"
        "                         pairs p low high p_holm p_fwer null permutations) ; avec\n"
        "                         --plot, la carte en couleurs dans FICHIER-carte.png,\n"
        "                         hachurée sur moins de 10 paires\n"

        "  --format FORMAT        text (par défaut), tsv ou json\n"
        "  --decimal-comma        virgule décimale dans les formats text et tsv\n"
        "  --plot FICHIER         écrit le graphique de chaque variable, tel que la fenêtre le\n"
        "                         dessine, en PNG ou en SVG selon l'extension ; avec plusieurs\n"
        "                         graphiques, la position de la variable (AxB pour un\n"
        "                         croisement) et, sur plusieurs N, -mN s'insèrent avant\n"
        "                         l'extension : graphique-5.png, graphique-1x2-m10.png\n"
        "                         (graphique-5.png) ; absent d'un geolago-cli construit sans\n"
        "                         les fenêtres\n"
        "  --quiet                pas d'avancement sur la sortie d'erreur (il ne s'affiche que\n"
        "                         sur un terminal, pour un calcul de plus d'une seconde)\n"
        "  --help                 affiche cette aide\n"
        "\n"
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
}

namespace {

// Takes the value of a single-valued option, refusing a second occurrence.
void setOnce(std::optional<std::string>& slot, const std::string& option, const std::string& value)
{
    if (slot)
        throw UsageError("option " + option + " donnée deux fois");
    slot = value;
}

}  // namespace

Options parseCommandLine(const std::vector<std::string>& args)
{
    Options options;
    std::optional<std::string> pointsFile, points, vars, cells, names, format, permutations, seed, plot, maxShift,
        crossNull, x, y, layer, threads;
    bool rowsAreNumbered = false, decimalComma = false, quiet = false, map = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            // "-" alone is a file name like any other.
            if (pointsFile)
                throw UsageError("un seul fichier de points est attendu, « " + arg + " » est de trop");
            pointsFile = arg;
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

        // An option that takes no value.
        auto flag = [&]() {
            if (inlineValue)
                throw UsageError("l'option " + name + " ne prend pas de valeur");
        };
        auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= args.size())
                throw UsageError("l'option " + name + " attend une valeur");
            return args[++i];
        };

        if (name == "--help" || name == "-h") {
            flag();
            options.help = true;
            return options;  // nothing else matters once help is asked
        } else if (name == "--numbered") {
            flag();
            rowsAreNumbered = true;
        } else if (name == "--decimal-comma") {
            flag();
            decimalComma = true;
        } else if (name == "--quiet") {
            flag();
            quiet = true;
        } else if (name == "--map") {
            flag();
            map = true;
        } else if (name == "--max-shift") {
            setOnce(maxShift, name, value());
        } else if (name == "--all") {
            flag();
            options.variables.push_back({VariableRequest::Kind::All, std::string()});
        } else if (name == "--points") {
            setOnce(points, name, value());
        } else if (name == "--vars") {
            setOnce(vars, name, value());
        } else if (name == "--cells") {
            setOnce(cells, name, value());
        } else if (name == "--names") {
            setOnce(names, name, value());
        } else if (name == "--format") {
            setOnce(format, name, value());
        } else if (name == "--plot") {
            setOnce(plot, name, value());
        } else if (name == "--x") {
            setOnce(x, name, value());
        } else if (name == "--y") {
            setOnce(y, name, value());
        } else if (name == "--layer") {
            setOnce(layer, name, value());
        } else if (name == "--variable") {
            options.variables.push_back({VariableRequest::Kind::One, value()});
        } else if (name == "--cross") {
            options.variables.push_back({VariableRequest::Kind::Cross, value()});
        } else if (name == "--permutations") {
            setOnce(permutations, name, value());
        } else if (name == "--seed") {
            setOnce(seed, name, value());
        } else if (name == "--threads") {
            setOnce(threads, name, value());
        } else if (name == "--cross-null") {
            setOnce(crossNull, name, value());
        } else {
            throw UsageError("option inconnue : " + arg);
        }
    }

    if (!pointsFile)
        throw UsageError("le fichier de points manque");
    if (x.has_value() != y.has_value())
        throw UsageError("--x et --y se donnent ensemble");
    if (options.variables.empty())
        throw UsageError("aucune variable demandée (--variable K, --all ou --cross A:B)");

    options.pointsFile = *pointsFile;
    options.points = points;
    options.vars = vars;
    options.xColumn = x.value_or("");
    options.yColumn = y.value_or("");
    options.layer = layer.value_or("");
    if (cells)
        options.cells = *cells;
    if (permutations)
        options.permutations = *permutations;
    if (seed)
        options.seed = *seed;
    options.namesFile = names;
    options.threads = threads;
    options.map = map;
    options.rowsAreNumbered = rowsAreNumbered;
    options.decimalComma = decimalComma;
    options.maxShift = maxShift;
    options.quiet = quiet;
    if (plot) {
        // The extension must follow a name: ".png" or "charts/.png" is refused.
        const std::size_t slash = plot->find_last_of('/');
        const std::size_t nameLength = slash == std::string::npos ? plot->size() : plot->size() - slash - 1;
        const auto endsWith = [&](const char* suffix) {
            const std::string tail(suffix);
            if (nameLength <= tail.size())
                return false;
            for (std::size_t i = 0; i < tail.size(); ++i)
                if (std::tolower(static_cast<unsigned char>((*plot)[plot->size() - tail.size() + i])) != tail[i])
                    return false;
            return true;
        };
        if (!endsWith(".png") && !endsWith(".svg"))
            throw UsageError("le fichier de --plot doit finir en .png ou .svg : " + *plot);
        options.plotFile = plot;
    }
    if (crossNull) {
        if (*crossNull != "toroidal" && *crossNull != "shuffle")
            throw UsageError("test croisé inconnu : " + *crossNull + " (toroidal ou shuffle)");
        options.crossShuffle = *crossNull == "shuffle";
    }
    if (format) {
        if (*format == "text")
            options.format = Format::Text;
        else if (*format == "tsv")
            options.format = Format::Tsv;
        else if (*format == "json")
            options.format = Format::Json;
        else
            throw UsageError("format inconnu : " + *format + " (text, tsv ou json)");
    }
    return options;
}

}  // namespace geolago::cli
