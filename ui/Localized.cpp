#include "ui/Localized.h"

QString Localized(char const* key) {
    return qtTrId(key);
}
