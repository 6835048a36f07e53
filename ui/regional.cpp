#include "regional.h"

#include <QLocale>

namespace geolago::ui {

namespace {

std::string& current()
{
    static std::string separator = separatorOf(QLocale::system());
    return separator;
}

}  // namespace

const std::string& decimalSeparator()
{
    return current();
}

void readDecimalSeparator()
{
    current() = separatorOf(QLocale::system());
}

std::string separatorOf(const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    if (point.isEmpty())
        return ".";
    return point.toUtf8().toStdString();
}

void setDecimalSeparator(const std::string& separator)
{
    current() = separator.empty() ? std::string(".") : separator;
}

}  // namespace geolago::ui
