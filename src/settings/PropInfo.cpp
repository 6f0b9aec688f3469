#include "settings/PropInfo.h"

#include <stdexcept>

#include "settings/WideText.h"

namespace quenby {

const TOrdinalType& TOrdinalType::Int32() {
  static const TOrdinalType type{};
  return type;
}

const TOrdinalType& TOrdinalType::UInt32() {
  static const TOrdinalType type = Range(0, std::numeric_limits<std::uint32_t>::max());
  return type;
}

const TOrdinalType& TOrdinalType::Int64() {
  static const TOrdinalType type{TPropKind::Int64,
                                 std::numeric_limits<std::int64_t>::min(),
                                 std::numeric_limits<std::int64_t>::max(),
                                 {},
                                 nullptr};
  return type;
}

const TOrdinalType& TOrdinalType::Boolean() {
  static const TOrdinalType type = Enumeration({"False", "True"});
  return type;
}

const TOrdinalType& TOrdinalType::Char() {
  static const TOrdinalType type{TPropKind::Char, 0, 255, {}, nullptr};
  return type;
}

const TOrdinalType& TOrdinalType::WideChar() {
  static const TOrdinalType type{TPropKind::WideChar, 0, 65535, {}, nullptr};
  return type;
}

TOrdinalType TOrdinalType::Enumeration(std::vector<std::string> names) {
  const auto last = static_cast<std::int64_t>(names.size()) - 1;
  return {TPropKind::Enumeration, 0, last, std::move(names), nullptr};
}

TOrdinalType TOrdinalType::Range(std::int64_t minValue, std::int64_t maxValue) {
  return {TPropKind::Integer, minValue, maxValue, {}, nullptr};
}

TOrdinalType TOrdinalType::SetOf(const TOrdinalType& elements) {
  if (elements.MinValue < 0 || elements.MaxValue > 31)
    throw std::logic_error("a set type holds at most 32 elements");
  return {TPropKind::Set, 0, 0xFFFFFFFFLL, {}, &elements};
}

bool TPropInfo::Readable() const {
  switch (Kind) {
    case TPropKind::Float: return static_cast<bool>(GetFloat);
    case TPropKind::String: return static_cast<bool>(GetString);
    case TPropKind::WideString: return static_cast<bool>(GetWide);
    case TPropKind::Class: return static_cast<bool>(GetObject);
    default: return static_cast<bool>(GetOrdinal);
  }
}

bool TPropInfo::Writable() const {
  switch (Kind) {
    case TPropKind::Float: return static_cast<bool>(SetFloat);
    case TPropKind::String: return static_cast<bool>(SetString);
    case TPropKind::WideString: return static_cast<bool>(SetWide);
    case TPropKind::Class: return false;  // the held object is read in place, never assigned
    default: return static_cast<bool>(SetOrdinal);
  }
}

const std::vector<std::string>& TClassInfo::CommonControlProperties() {
  static const std::vector<std::string> names{"Name",     "Tag",         "Left",       "Top",
                                              "Width",    "Height",      "Cursor",     "Hint",
                                              "HelpType", "HelpKeyword", "HelpContext"};
  return names;
}

TClassInfo::TClassInfo(std::string className, const TClassInfo* base, std::vector<TPropInfo> own,
                       bool component, bool windowControl)
    : ClassName_(std::move(className)),
      Base_(base),
      Component_(component || (base && base->Component_)),
      WindowControl_(windowControl || (base && base->WindowControl_)) {
  if (base) Properties_ = base->Properties_;
  for (TPropInfo& p : own) {
    if (Find(p.Name)) throw std::logic_error(ClassName_ + " publishes " + p.Name + " twice");
    Properties_.push_back(std::move(p));
  }
  if (WindowControl_) {
    const auto& common = CommonControlProperties();
    bool ok = Properties_.size() >= common.size();
    for (std::size_t i = 0; ok && i < common.size(); ++i) ok = Properties_[i].Name == common[i];
    if (!ok)
      throw std::logic_error(ClassName_ + " is a control without the common control properties");
  }
}

const TPropInfo* TClassInfo::Find(std::string_view name) const {
  for (const TPropInfo& p : Properties_)
    if (SameTextAscii(p.Name, name)) return &p;
  return nullptr;
}

}  // namespace quenby
