#include "Texte_Aide.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include "installation.h"
#include "controls.h"

using namespace geolago::ui;
using namespace geolago::drawing;

namespace {

// The 36 lines of the help text, blanks included.
const QStringList& helpLines()
{
    static const QStringList lines = {
        QStringLiteral("Ce programme analyse la structure d'une variable dans un espace géographique : par exemple, le prix du terrain au mètre carré dans les quartiers d'une ville."),
        QStringLiteral("Connaître le prix dans un pâté de maisons en dit long sur le prix de l'autre côté de la rue,"),
        QStringLiteral("mais n'apprend plus rien sur celui des pâtés de maisons situés à 2, 5 ou 10 pâtés de là."),
        QStringLiteral("C'est cette perte de ressemblance avec la distance que mesure le Corrélogramme"),
        QString(),
        QStringLiteral("Pour l'utiliser, vous devez disposer de deux fichiers de données :"),
        QString(),
        QStringLiteral("1 - une table (en simple format *.txt, construite avec Notepad ; le séparateur est un ou plusieurs espaces ; format : réél ou virgule flottante) dont les lignes"),
        QStringLiteral("        correspondent à chaque point de mesure (quartier) ;"),
        QStringLiteral("        - les deux premières colonnes (après, éventuellement, une première colonne contenant des numéros) contiennent les coordonnées de chaque point en X "),
        QStringLiteral("et en Y;"),
        QStringLiteral("        - les colonnes suivantes contiennent les variables étudiées."),
        QStringLiteral("      Exemple : le fichier Taux1886.txt donne, pour les 80 quartiers de Paris, onze variables socio-professionnelles"),
        QStringLiteral("et le taux de mortalité par variole en 1886."),
        QString(),
        QStringLiteral("2 - une simple liste (*.txt) des noms des variables analysées."),
        QStringLiteral("        (Notre exemple : Noms_Vars.txt)"),
        QString(),
        QStringLiteral("Entrez ces informations."),
        QString(),
        QStringLiteral("Vous devez choisir le nombre de mailles de la grille qui sera imposée sur l'espace analysé, puis déplacée :"),
        QStringLiteral("        * évitez trop de mailles (donc trop petites et trop nombreuses) car beaucoup ne contiendront aucune information ;"),
        QStringLiteral("        * avec trop peu de mailles, l'analyse sera plus grossière et beaucoup d'information sera perdue."),
        QStringLiteral("(Dans cet exemple, avec 80 mesures, une grille de 10 x 10 mailles est sufisante)"),
        QString(),
        QStringLiteral("La grille est déplacée d'une maille, de deux mailles, et ainsi de suite, et l'on calcule chaque fois la corrélation entre la grille de départ et la grille déplacée."),
        QStringLiteral("Le corrélogramme part de 1.0 : c'est la corrélation de la grille avec elle-même."),
        QStringLiteral("Ensuite, ou bien il décroît lentement, signe d'une forte structure de quartiers voisins homogènes, ou bien il tombe très vite à 0.0 : aucune structure spatiale, la distribution est aléatoire."),
        QStringLiteral("La courbe peut aussi devenir négative puis remonter vers des valeurs positives : la distribution spatiale est alors périodique, par exemple en bandes de quartiers ouvriers."),
        QString(),
        QStringLiteral("Observez - les variables Ouvriers et Domestiques, dont la structure spatiale est forte ;"),
        QStringLiteral("         - Commerces_d'alimentation, dont la structure est très faible : ces commerces étaient partout dans Paris, répartis presque au hasard ;"),
        QStringLiteral("         - certaines variables, qui présentent des périodicités."),
        QString(),
        QStringLiteral("Notez l'anisotropie fréquente : les structures sont en général plus fortes dans la direction EW que dans la direction NS. "),
        QStringLiteral("C'est le rôle de la Seine et du grand axe est-ouest de la ville, le long de la rue Saint-Antoine, de la rue de Rivoli, des Champs-Elysées et de l'Avenue de la Grande Armée."),
    };
    return lines;
}

}  // namespace

TForm_Aide::TForm_Aide(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form_Aide"));
    setWindowTitle(QStringLiteral("Aide"));
    setFont(sansSerif(11));
    setWindowColours(this, clTeal, palette().color(QPalette::WindowText));
    placeWindow(this, 169, 49, 1026, 834);

    const QFont title = garamond(24, true);
    QLabel* Label1 = makeLabel(this, "Label1", QStringLiteral("Calcul du Corrélogramme"), 320, 24, &title);
    setTextColour(Label1, clYellow);

    auto* Memo_Aide = new QPlainTextEdit(this);
    Memo_Aide->setObjectName(QStringLiteral("Memo_Aide"));
    Memo_Aide->setGeometry(8, 64, 1001, 681);
    Memo_Aide->setFont(garamond(16, false));
    setFieldColours(Memo_Aide, clNavy, clSilver);
    Memo_Aide->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo_Aide->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text fills the field; the paragraphs added after it scroll into view.
    Memo_Aide->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Memo_Aide->setReadOnly(false);
    // After the help proper, the example that ships with the program, and the folder it
    // is found in: installed, or the source tree's when the program runs from its build
    // tree; no folder when neither is there. Then the formats the program reads.
    const QString folder = exampleFolder();
    const QString examples =
        QStringLiteral("Exemple fourni avec le programme : quartiers.txt (les 80 quartiers d'une ville imaginaire, "
                       "Lagoville : un numéro, X, Y et 12 variables par ligne ; répondez « Oui ») et "
                       "quartiers_noms.txt (les noms des 12 variables)")
        + (folder.isEmpty() ? QString() : QStringLiteral(", installés dans le dossier ") + folder) + QLatin1Char('.');
    const QString formats = QStringLiteral(
        "Formats lus : le fichier de points ci-dessus (un numéro facultatif, X, Y et les variables par ligne) ; "
        "le texte délimité avec une ligne d'en-tête des noms (CSV, TSV, « ; » et virgule décimale, colonnes "
        "séparées par des blancs), en UTF-8, UTF-16 ou Windows-1252, comme quartiers.csv, les mêmes quartiers ; "
        "les couches SIG de points (GeoPackage, Shapefile, GeoJSON…) et les rasters (GeoTIFF…). Ces fichiers "
        "donnent eux-mêmes les noms de leurs variables : choisis comme fichier de points, ils le sont aussi comme "
        "fichier des noms. Une valeur absente (case vide, NA) laisse le point hors des mailles de cette variable.");
    Memo_Aide->setPlainText(helpLines().join(QLatin1Char('\n')) + QStringLiteral("\n\n") + examples
                            + QStringLiteral("\n\n") + formats);

    QPushButton* Butt_Aide = makeButton(this, "Butt_Aide", QStringLiteral("Fermer"), 448, 760, 75, 25);
    QWidget::setTabOrder(Memo_Aide, Butt_Aide);

    onClick(Butt_Aide, [this] { Butt_AideClick(); });
}

void TForm_Aide::Butt_AideClick()
{
    close();
}
