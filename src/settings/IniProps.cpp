#include "settings/IniProps.h"

#include <charconv>
#include <system_error>

#include "settings/WideText.h"

namespace quenby {

namespace {

bool InRange(std::int64_t value, const TOrdinalType& type) {
  return value >= type.MinValue && value <= type.MaxValue;
}

std::string FormatFloat(double value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

// '.' always; ',' too, for files written under a locale that used it.
double ParseFloat(std::string_view text) {
  const auto parse = [](std::string_view s, double& v) {
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && ptr == s.data() + s.size() && !s.empty();
  };
  double value = 0;
  if (parse(text, value)) return value;
  std::string swapped(text);
  if (const std::size_t comma = swapped.find(',');
      comma != std::string::npos && swapped.find('.') == std::string::npos) {
    swapped[comma] = '.';
    if (parse(swapped, value)) return value;
  }
  return 0;
}

std::int64_t EnumValue(std::string_view name, const TOrdinalType& type, std::int64_t fallback) {
  for (std::size_t i = 0; i < type.Names.size(); ++i)
    if (SameTextAscii(type.Names[i], name)) return type.MinValue + static_cast<std::int64_t>(i);
  return fallback;
}

std::string SetText(std::int64_t mask, const TOrdinalType& type) {
  std::string text;
  const TOrdinalType& elements = *type.ElementType;
  for (std::int64_t v = elements.MinValue; v <= elements.MaxValue; ++v) {
    if (!(mask & (std::int64_t{1} << v))) continue;
    if (!text.empty()) text += ',';
    const auto i = static_cast<std::size_t>(v - elements.MinValue);
    text += i < elements.Names.size() ? elements.Names[i] : std::to_string(v);
  }
  return text;
}

std::int64_t TextToSet(std::string_view text, const TOrdinalType& type) {
  std::int64_t mask = 0;
  std::size_t i = 0;
  const auto separator = [](char c) {
    return c == ',' || c == ' ' || c == '\t' || c == '[' || c == ']';
  };
  while (i < text.size()) {
    while (i < text.size() && separator(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !separator(text[i])) ++i;
    if (start == i) break;
    const std::int64_t v = EnumValue(text.substr(start, i - start), *type.ElementType, -1);
    if (v < 0) return 0;  // one unknown name empties the set
    mask |= std::int64_t{1} << v;
  }
  return mask;
}

// Sets an ordinal, keeping the object sound: a value outside the type that
// is the "no default" marker is not assigned at all.
void AssignOrdinal(TPersistent& object, const TPropInfo& property, std::int64_t value) {
  if (!InRange(value, *property.Type)) return;
  property.SetOrdinal(object, value);
}

std::string CollectionSection(const TIniCollection& collection) {
  std::string name;
  if (TPersistent* owner = collection.Owner(); owner && owner->ClassInfo()) {
    for (const TPropInfo& p : owner->ClassInfo()->Properties())
      if (p.Kind == TPropKind::Class && p.GetObject && p.GetObject(*owner) == &collection) {
        name = p.Name;
        break;
      }
    if (!name.empty())
      if (const auto* item = dynamic_cast<const TIniCollectionItem*>(owner))
        name = SectionName(*item) + "\\" + name;
  }
  return name;
}

}  // namespace

std::int64_t TextToOrdinal(std::string_view text, const TOrdinalType& type,
                           std::int64_t defaultValue) {
  std::int64_t value = defaultValue;
  switch (type.Kind) {
    case TPropKind::Integer:
    case TPropKind::WideChar:
    case TPropKind::Int64:
      if (!ParseInt64(text, value)) value = defaultValue;
      break;
    case TPropKind::Char:
      value = text.empty() ? defaultValue : static_cast<unsigned char>(text[0]);
      break;
    case TPropKind::Enumeration: value = EnumValue(text, type, defaultValue); break;
    default: break;
  }
  return InRange(value, type) ? value : defaultValue;
}

std::string PropertyText(const TPersistent& object, const TPropInfo& property) {
  if (!property.Readable() || !property.Writable()) return {};
  switch (property.Kind) {
    case TPropKind::Integer:
    case TPropKind::WideChar:
    case TPropKind::Int64: return std::to_string(property.GetOrdinal(object));
    case TPropKind::Char: return std::string(1, static_cast<char>(property.GetOrdinal(object)));
    case TPropKind::Enumeration: {
      const std::int64_t v = property.GetOrdinal(object);
      const TOrdinalType& type = *property.Type;
      const std::int64_t i = v - type.MinValue;
      if (i >= 0 && i < static_cast<std::int64_t>(type.Names.size()))
        return type.Names[static_cast<std::size_t>(i)];
      return std::to_string(v);
    }
    case TPropKind::Set: return SetText(property.GetOrdinal(object), *property.Type);
    case TPropKind::Float: return FormatFloat(property.GetFloat(object));
    case TPropKind::String: return property.GetString(object);
    case TPropKind::WideString: return Utf16ToUtf8(property.GetWide(object));
    case TPropKind::Class: return {};
  }
  return {};
}

void SetPropertyText(TPersistent& object, const TPropInfo& property, std::string_view text) {
  if (!property.Writable()) return;
  switch (property.Kind) {
    case TPropKind::Integer:
    case TPropKind::Char:
    case TPropKind::Enumeration:
    case TPropKind::WideChar:
    case TPropKind::Int64:
      AssignOrdinal(
          object, property,
          text.empty() ? property.Default : TextToOrdinal(text, *property.Type, property.Default));
      break;
    case TPropKind::Set: property.SetOrdinal(object, TextToSet(text, *property.Type)); break;
    case TPropKind::Float: property.SetFloat(object, ParseFloat(text)); break;
    case TPropKind::String: property.SetString(object, std::string(text)); break;
    case TPropKind::WideString: property.SetWide(object, Utf8ToUtf16(text)); break;
    case TPropKind::Class: break;
  }
}

void SetPropertyTextByName(TPersistent* object, std::string_view name, std::u16string_view text) {
  if (!object || name.empty() || !object->ClassInfo()) return;
  const TPropInfo* property = object->ClassInfo()->Find(name);
  if (!property) return;
  if (property->Kind == TPropKind::WideString) {
    if (property->SetWide) property->SetWide(*object, std::u16string(text));
    return;
  }
  SetPropertyText(*object, *property, Utf16ToUtf8(text));
}

std::string SectionName(const TPersistent& object) {
  std::string name;
  if (const auto* item = dynamic_cast<const TIniCollectionItem*>(&object)) {
    if (item->Collection() && item->Index() >= 0)
      name = SectionName(*item->Collection()) + "\\" + std::to_string(item->Index());
  } else if (const auto* collection = dynamic_cast<const TIniCollection*>(&object)) {
    name = CollectionSection(*collection);
  } else if (const auto* hooks = dynamic_cast<const IIniHooks*>(&object)) {
    name = Utf16ToUtf8(hooks->GetSectionName());
  }
  if (name.empty()) {
    name = object.ClassName();
    if (!name.empty()) name.erase(0, 1);
  }
  return name;
}

void CallDefineIniProperties(TPersistent& object, TIniFiler& filer, bool reading) {
  if (auto* hooks = dynamic_cast<IIniHooks*>(&object)) hooks->DefineIniProperties(filer, reading);
}

}  // namespace quenby
