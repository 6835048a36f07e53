#pragma once
// The decimal separator of the user's regional settings, read at start-up and again
// when the system announces a change. All windows write reals with it.

#include <string>

class QLocale;

namespace geolago::ui {

// The separator in force: "," under French settings, "." under English ones.
const std::string& decimalSeparator();

// Reads the separator from the system's regional settings again.
void readDecimalSeparator();

// The separator `locale` uses; "." when it gives none.
std::string separatorOf(const QLocale& locale);

// Sets the separator directly, as if the settings had said so.
void setDecimalSeparator(const std::string& separator);

}  // namespace geolago::ui
