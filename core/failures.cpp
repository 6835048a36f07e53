#include "failures.h"

#include <cstring>
#include <new>

namespace geolago {

std::string IoFailure::messageFor(int code)
{
    switch (code) {
    case io::FileNotFound: return "Fichier introuvable";
    case io::PathNotFound: return "Nom de fichier incorrect";
    case io::TooManyOpenFiles: return "Trop de fichiers ouverts";
    case io::AccessDenied: return "Accès au fichier refusé";
    case io::ReadBeyondEnd: return "Lecture au-delà de la fin de fichier";
    case io::DiskFull: return "Disque plein";
    case io::InvalidNumber: return "Saisie numérique incorrecte";
    default: return "Erreur E/S " + std::to_string(code);
    }
}

IoFailure::IoFailure(int code) : Failure(messageFor(code)), code_(code) {}

static std::string floatMessage(FloatFailure::Kind kind)
{
    switch (kind) {
    case FloatFailure::Kind::Invalid: return "Opération en virgule flottante incorrecte";
    case FloatFailure::Kind::DivisionByZero: return "Division par zéro en virgule flottante";
    case FloatFailure::Kind::Overflow: return "Débordement en virgule flottante";
    }
    return {};
}

FloatFailure::FloatFailure(Kind kind) : Failure(floatMessage(kind)), kind_(kind) {}

ConvertFailure::ConvertFailure(const std::string& text)
    : Failure("'" + text + "' n'est pas une valeur entière correcte")
{
}

std::string systemReason(int error)
{
    std::string reason = std::strerror(error);
    while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

std::string placeText(const Place& place)
{
    const std::string at = place.line > 0 ? place.file + ":" + std::to_string(place.line) : place.file;
    return place.column.empty() ? at : at + " (" + place.column + ")";
}

std::string failureMessage(const std::exception& failure)
{
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return "Mémoire insuffisante";
    return failure.what();
}

std::string messageForDisplay(const std::string& message)
{
    // Bytes compare unsigned: the last byte of an accented letter in UTF-8 is above "."
    // too, as a letter should be.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

}  // namespace geolago
