#include "extended.h"

namespace geolago {

void raiseFloat(FloatFailure::Kind kind)
{
    throw FloatFailure(kind);
}

}  // namespace geolago
