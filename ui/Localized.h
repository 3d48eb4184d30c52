// Looks up a text of the application's string table by key. A key without an entry shows
// as the key itself.
#pragma once

#include <QString>

QString Localized(char const* key);
