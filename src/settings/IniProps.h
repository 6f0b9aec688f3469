#pragma once
// Text forms of published properties, one property at a time: what the INI
// filer writes and reads, and what the column list and the bound controls
// convert with.
//
//   integer, 64-bit integer, wide character: decimal ("65")
//   character: the character itself
//   enumeration: the value's name ("True", "ekOutlook"), read ignoring case
//   float: up to 15 significant digits with '.', whatever the locale; read
//          with '.' or ','
//   string: UTF-8 as it is; wide string: UTF-8
//   set: element names joined by ","; read also with blanks and "[...]"
//
// Unparsable or out-of-range text never raises: ordinals get their
// default, floats 0, sets the empty set. An ordinal without a default
// receives the marker -2147483648 only where its type can hold it (plain
// integers); an enumeration, character or subrange without a default keeps
// its value, since the marker is no value of its type.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/Persistent.h"
#include "settings/PropInfo.h"

namespace quenby {

// Empty when the property cannot be both read and written.
std::string PropertyText(const TPersistent& object, const TPropInfo& property);
void SetPropertyText(TPersistent& object, const TPropInfo& property, std::string_view text);
// Strings take the text whole; other kinds parse it. Unknown names change nothing.
void SetPropertyTextByName(TPersistent* object, std::string_view name, std::u16string_view text);
std::int64_t TextToOrdinal(std::string_view text, const TOrdinalType& type,
                           std::int64_t defaultValue);

// The INI section of an object: "collection\index" for collection items,
// the owner's property name for collections, else the object's own
// GetSectionName, else its class name without the first character.
std::string SectionName(const TPersistent& object);
void CallDefineIniProperties(TPersistent& object, TIniFiler& filer, bool reading);

}  // namespace quenby
