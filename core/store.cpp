#include "store.h"

namespace geolago {

Store& sharedStore()
{
    static Store store;
    return store;
}

}  // namespace geolago
