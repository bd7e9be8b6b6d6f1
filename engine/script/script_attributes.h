// For script checking: the attributes an element carries that its handler never reads. Each
// handler names the attributes it reads where it reads them and passes them here, so the check
// knows exactly what the player takes from every kind of element. A misspelt attribute is
// otherwise silently ignored and its value quietly stays at its default.
#pragma once

#include <initializer_list>
#include <string>

class CWidgetManager;
class TiXmlElement;

// The known name closest to `name` (letter case ignored, a swap of two neighbours counting as
// one edit) when it is close enough to be a typo of it; "" when none is.
std::string NearestKnownName(const std::string& name, std::initializer_list<const char*> known);

// Reports, through `widgets` (nothing happens when nobody listens), each attribute of `element`
// whose name is not in `known`, with the nearest known name when one is close.
void ReportUnknownAttributes(const CWidgetManager* widgets, const TiXmlElement* element,
                             std::initializer_list<const char*> known);

// The same, as text, for those who report themselves: one line per unknown attribute.
std::string UnknownAttributeText(const TiXmlElement* element, const char* attribute,
                                 std::initializer_list<const char*> known);
