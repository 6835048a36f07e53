#include "texts.h"

#include <QFile>

#include "textrules.h"

namespace geolago::drawing {

QString textFromBytes(const std::string& bytes)
{
    return QString::fromStdString(utf8Text(bytes));
}

std::string bytesFromText(const QString& text)
{
    return text.toUtf8().toStdString();
}

QString directionToolTip(Direction direction)
{
    return direction == Direction::EastWest
        ? QStringLiteral("E_W : paires de mailles de même colonne, décalées le long de Y (la seconde coordonnée)")
        : QStringLiteral("N_S : paires de mailles de même ligne, décalées le long de X (la première coordonnée)");
}

QString significanceToolTip()
{
    return QStringLiteral(
        "Pointillés : enveloppe, quantiles 2,5 % et 97,5 % des r permutés.\n"
        "Carré : p corrigé (maxT) ≤ 0,05, le p de Westfall et Young sur tous les décalages\n"
        "des deux directions, tiré des mêmes permutations : moins de 5 % des corrélogrammes\n"
        "sans structure ont un carré.");
}

std::string fileNameFromText(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

}  // namespace geolago::drawing
