#include "settings/IniFiler.h"

#include "settings/IniProps.h"
#include "settings/WideText.h"

namespace quenby {

namespace {

// Restores the filer's section on every way out.
class TSectionScope {
 public:
  TSectionScope(TIniFiler& filer, std::string section) : Filer_(filer), Saved_(filer.Section()) {
    Filer_.SetSection(std::move(section));
  }
  ~TSectionScope() { Filer_.SetSection(std::move(Saved_)); }
  TSectionScope(const TSectionScope&) = delete;
  TSectionScope& operator=(const TSectionScope&) = delete;

 private:
  TIniFiler& Filer_;
  std::string Saved_;
};

bool IsTag(std::string_view name) {
  return FoldKey(name) == "tag";
}

}  // namespace

TIniFiler::TIniFiler(std::string fileName, TIniFilerMode mode) : File_(std::move(fileName)) {
  if (mode == TIniFilerMode::Rewrite) File_.SetText({});
}

std::string TIniFiler::ReadValue(std::string_view key) const {
  return File_.ReadString(Section_, key);
}

void TIniFiler::WriteValue(std::string_view key, std::string_view text) {
  File_.WriteString(Section_, key, text);
}

void TIniFiler::UpdateFile() {
  if (File_.Modified()) File_.UpdateFile();
}

void TIniFiler::ReadObject(TPersistent* object) {
  WalkObject(object, true);
}
void TIniFiler::WriteObject(TPersistent* object) {
  WalkObject(object, false);
}
void TIniFiler::ReadProperties(TPersistent* object) {
  WalkProperties(object, true);
}
void TIniFiler::WriteProperties(TPersistent* object) {
  WalkProperties(object, false);
}

void TIniFiler::WalkObject(TPersistent* object, bool reading) {
  if (!object) return;
  if (auto* collection = dynamic_cast<TIniCollection*>(object))
    return reading ? ReadCollection(*collection) : WriteCollection(*collection);
  const TSectionScope scope(*this, SectionName(*object));
  WalkProperties(object, reading);
}

// A class that is not registered at all is skipped, hook included; a
// registered class with no properties of its own still runs its hook.
void TIniFiler::WalkProperties(TPersistent* object, bool reading) {
  if (!object || !object->ClassInfo()) return;
  const TClassInfo& info = *object->ClassInfo();
  const auto& properties = info.Properties();
  const std::size_t first =
      info.IsWindowControl() ? TClassInfo::CommonControlProperties().size() : 0;
  for (std::size_t i = first; i < properties.size(); ++i)
    reading ? ReadProperty(object, &properties[i]) : WriteProperty(object, &properties[i]);
  CallDefineIniProperties(*object, *this, reading);
}

bool TIniFiler::Persisted(const TPersistent& object, const TPropInfo& property) const {
  if (!property.Stored || !property.Readable()) return false;
  if (property.Kind == TPropKind::Class) return true;
  if (!property.Writable()) return false;
  return !(object.ClassInfo()->IsComponent() && IsTag(property.Name));
}

void TIniFiler::ReadProperty(TPersistent* object, const TPropInfo* property) {
  if (!object || !property || !object->ClassInfo() || !Persisted(*object, *property)) return;
  if (property->Kind == TPropKind::Class) return ReadObject(property->GetObject(*object));
  SetPropertyText(*object, *property, ReadValue(property->Name));
}

void TIniFiler::WriteProperty(TPersistent* object, const TPropInfo* property) {
  if (!object || !property || !object->ClassInfo() || !Persisted(*object, *property)) return;
  if (property->Kind == TPropKind::Class) return WriteObject(property->GetObject(*object));
  WriteValue(property->Name, PropertyText(*object, *property));
}

void TIniFiler::ReadPropertyByName(TPersistent* object, std::string_view name) {
  if (object && !name.empty() && object->ClassInfo())
    ReadProperty(object, object->ClassInfo()->Find(name));
}

void TIniFiler::WritePropertyByName(TPersistent* object, std::string_view name) {
  if (object && !name.empty() && object->ClassInfo())
    WriteProperty(object, object->ClassInfo()->Find(name));
}

// Items beyond Count left over from an earlier, longer save are erased, so
// that the file holds exactly the collection.
void TIniFiler::WriteCollection(TIniCollection& collection) {
  const std::string section = SectionName(collection);
  const TSectionScope scope(*this, section);
  WriteValue("Count", std::to_string(collection.Count()));
  WriteProperties(&collection);
  for (std::int64_t i = 0; i < collection.Count(); ++i) WriteObject(&collection.Items(i));
  for (std::int64_t i = collection.Count(); File_.SectionExists(section + "\\" + std::to_string(i));
       ++i)
    File_.EraseSection(section + "\\" + std::to_string(i));
}

// Reads into an emptied collection, so that reading twice does not double
// it. A stored Count is not trusted: reading stops at the first item whose
// section is missing, so a damaged Count cannot make it loop for ages.
void TIniFiler::ReadCollection(TIniCollection& collection) {
  const std::string section = SectionName(collection);
  const TSectionScope scope(*this, section);
  collection.Clear();
  const std::int64_t count = File_.ReadInteger(section, "Count", 0);
  for (std::int64_t i = 0; i < count && File_.SectionExists(section + "\\" + std::to_string(i));
       ++i)
    ReadObject(&collection.Add());
  ReadProperties(&collection);
}

}  // namespace quenby
