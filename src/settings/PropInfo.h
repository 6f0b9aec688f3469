#pragma once
// Published properties: what the INI filer needs to know of a persistable
// class. C++ has no such reflection, so each class declares its table once,
// base class first, in declaration order:
//
//   const TClassInfo& TOptions::StaticInfo() {
//     static const TClassInfo info = TClassBuilder<TOptions>("TOptions",
//     &TIniPersistent::StaticInfo())
//         .Boolean("AutoRecode", &TOptions::AutoRecode, true)
//         .Enum("ExplKind", ExplKindType(), &TOptions::ExplKind, 0)
//         .Build();
//     return info;
//   }
//
// A function-local static builds the base's table before the derived one,
// whatever the order of static initialisation.

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace quenby {

class TPersistent;

enum class TPropKind {
  Integer,
  Char,
  Enumeration,
  WideChar,
  Float,
  String,
  WideString,
  Set,
  Int64,
  Class
};

// The default of an ordinal property declared without one.
inline constexpr std::int64_t kNoDefault = std::numeric_limits<std::int32_t>::min();

// An ordinal type: its range and, for enumerations, the names of its values
// (from MinValue on). A set type names its element enumeration.
struct TOrdinalType {
  TPropKind Kind = TPropKind::Integer;
  std::int64_t MinValue = std::numeric_limits<std::int32_t>::min();
  std::int64_t MaxValue = std::numeric_limits<std::int32_t>::max();
  std::vector<std::string> Names;
  const TOrdinalType* ElementType = nullptr;

  static const TOrdinalType& Int32();
  static const TOrdinalType& UInt32();
  static const TOrdinalType& Int64();
  static const TOrdinalType& Boolean();   // "False", "True"
  static const TOrdinalType& Char();      // 0..255
  static const TOrdinalType& WideChar();  // 0..65535
  static TOrdinalType Enumeration(std::vector<std::string> names);
  static TOrdinalType Range(std::int64_t minValue, std::int64_t maxValue);
  static TOrdinalType SetOf(const TOrdinalType& elements);  // at most 32 elements
};

// One property. Ordinal kinds and sets (as a bit mask of element values)
// go through GetOrdinal/SetOrdinal; a missing getter or setter makes the
// property unreadable or unwritable.
struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  const TOrdinalType* Type = nullptr;
  std::int64_t Default = kNoDefault;
  bool Stored = true;

  std::function<std::int64_t(const TPersistent&)> GetOrdinal;
  std::function<void(TPersistent&, std::int64_t)> SetOrdinal;
  std::function<double(const TPersistent&)> GetFloat;
  std::function<void(TPersistent&, double)> SetFloat;
  std::function<std::string(const TPersistent&)> GetString;  // String: UTF-8 bytes
  std::function<void(TPersistent&, std::string)> SetString;
  std::function<std::u16string(const TPersistent&)> GetWide;
  std::function<void(TPersistent&, std::u16string)> SetWide;
  std::function<TPersistent*(TPersistent&)> GetObject;  // Class: the held object

  bool Readable() const;
  bool Writable() const;
};

class TClassInfo {
 public:
  // Raises std::logic_error for a property name used twice in the class
  // (its keys would share one INI section), and for a window control whose
  // first eleven properties are not the common ones.
  TClassInfo(std::string className, const TClassInfo* base, std::vector<TPropInfo> own,
             bool component = false, bool windowControl = false);

  const std::string& ClassName() const { return ClassName_; }
  const TClassInfo* Base() const { return Base_; }
  const std::vector<TPropInfo>& Properties() const { return Properties_; }  // base's first
  const TPropInfo* Find(std::string_view name) const;                       // ignoring ASCII case
  bool IsComponent() const { return Component_; }
  // The first eleven properties are those every control publishes (Name,
  // Tag, Left, Top, Width, Height, Cursor, Hint, HelpType, HelpKeyword,
  // HelpContext); the filer never stores them.
  bool IsWindowControl() const { return WindowControl_; }
  static const std::vector<std::string>& CommonControlProperties();

 private:
  std::string ClassName_;
  const TClassInfo* Base_;
  std::vector<TPropInfo> Properties_;
  bool Component_;
  bool WindowControl_;
};

// Builds the table of class T (derived from TPersistent) from fields or
// from getter/setter pairs (Access).
template <class T>
class TClassBuilder {
 public:
  template <class F>
  struct TAccess {
    std::function<F(const T&)> Get;
    std::function<void(T&, F)> Set;
  };
  template <class G, class S>
  static auto Access(G get, S set) {
    using F = std::decay_t<std::invoke_result_t<G, const T&>>;
    TAccess<F> access{std::function<F(const T&)>(get), {}};
    if constexpr (!std::is_null_pointer_v<S>) access.Set = std::function<void(T&, F)>(set);
    return access;
  }

  TClassBuilder(std::string className, const TClassInfo* base)
      : ClassName_(std::move(className)), Base_(base) {}

  template <class A>
  TClassBuilder& Integer(std::string name, A a, std::int64_t def = kNoDefault,
                         const TOrdinalType& type = TOrdinalType::Int32()) {
    return Ordinal(std::move(name), type, Of(a), def);
  }
  template <class A>
  TClassBuilder& Int64(std::string name, A a, std::int64_t def = kNoDefault) {
    return Ordinal(std::move(name), TOrdinalType::Int64(), Of(a), def);
  }
  template <class A>
  TClassBuilder& Boolean(std::string name, A a, std::int64_t def = kNoDefault) {
    return Ordinal(std::move(name), TOrdinalType::Boolean(), Of(a), def);
  }
  template <class A>
  TClassBuilder& Char(std::string name, A a, std::int64_t def = kNoDefault) {
    return Ordinal(std::move(name), TOrdinalType::Char(), Of(a), def);
  }
  template <class A>
  TClassBuilder& WideChar(std::string name, A a, std::int64_t def = kNoDefault) {
    return Ordinal(std::move(name), TOrdinalType::WideChar(), Of(a), def);
  }
  // type must outlive the table (a function-local static).
  template <class A>
  TClassBuilder& Enum(std::string name, const TOrdinalType& type, A a,
                      std::int64_t def = kNoDefault) {
    return Ordinal(std::move(name), type, Of(a), def);
  }
  template <class A>
  TClassBuilder& Set(std::string name, const TOrdinalType& setType, A a) {
    return Ordinal(std::move(name), setType, Of(a), kNoDefault);
  }
  template <class A>
  TClassBuilder& Float(std::string name, A a) {
    return AddFloat(std::move(name), Of(a));
  }
  template <class A>
  TClassBuilder& String(std::string name, A a) {
    auto access = Of(a);
    TPropInfo p = Named(std::move(name), TPropKind::String);
    if (access.Get)
      p.GetString = [g = access.Get](const TPersistent& o) { return std::string(g(Self(o))); };
    if (access.Set)
      p.SetString = [s = access.Set](TPersistent& o, std::string v) { s(Self(o), std::move(v)); };
    return Push(std::move(p));
  }
  template <class A>
  TClassBuilder& WideString(std::string name, A a) {
    auto access = Of(a);
    TPropInfo p = Named(std::move(name), TPropKind::WideString);
    if (access.Get)
      p.GetWide = [g = access.Get](const TPersistent& o) { return std::u16string(g(Self(o))); };
    if (access.Set)
      p.SetWide = [s = access.Set](TPersistent& o, std::u16string v) { s(Self(o), std::move(v)); };
    return Push(std::move(p));
  }
  // An object held by the property: written to its own section, read in place.
  TClassBuilder& Object(std::string name, std::function<TPersistent*(T&)> get) {
    TPropInfo p = Named(std::move(name), TPropKind::Class);
    p.GetObject = [get = std::move(get)](TPersistent& o) { return get(static_cast<T&>(o)); };
    return Push(std::move(p));
  }
  TClassBuilder& NotStored() {
    Own_.back().Stored = false;
    return *this;
  }
  TClassInfo Build(bool component = false, bool windowControl = false) {
    return TClassInfo(std::move(ClassName_), Base_, std::move(Own_), component, windowControl);
  }

 private:
  static const T& Self(const TPersistent& o) { return static_cast<const T&>(o); }
  static T& Self(TPersistent& o) { return static_cast<T&>(o); }

  template <class F>
  static TAccess<F> Of(F T::*field) {
    return {[field](const T& o) { return o.*field; },
            [field](T& o, F v) { o.*field = std::move(v); }};
  }
  template <class F>
  static TAccess<F> Of(TAccess<F> access) {
    return access;
  }

  TPropInfo Named(std::string name, TPropKind kind) {
    TPropInfo p;
    p.Name = std::move(name);
    p.Kind = kind;
    return p;
  }
  template <class F>
  TClassBuilder& AddFloat(std::string name, TAccess<F> access) {
    TPropInfo p = Named(std::move(name), TPropKind::Float);
    if (access.Get)
      p.GetFloat = [g = access.Get](const TPersistent& o) {
        return static_cast<double>(g(Self(o)));
      };
    if (access.Set)
      p.SetFloat = [s = access.Set](TPersistent& o, double v) { s(Self(o), static_cast<F>(v)); };
    return Push(std::move(p));
  }
  template <class F>
  TClassBuilder& Ordinal(std::string name, const TOrdinalType& type, TAccess<F> access,
                         std::int64_t def) {
    TPropInfo p = Named(std::move(name), type.Kind);
    p.Type = &type;
    p.Default = def;
    if (access.Get)
      p.GetOrdinal = [g = access.Get](const TPersistent& o) {
        return static_cast<std::int64_t>(g(Self(o)));
      };
    if (access.Set)
      p.SetOrdinal = [s = access.Set](TPersistent& o, std::int64_t v) {
        s(Self(o), static_cast<F>(v));
      };
    return Push(std::move(p));
  }
  TClassBuilder& Push(TPropInfo p) {
    Own_.push_back(std::move(p));
    return *this;
  }

  std::string ClassName_;
  const TClassInfo* Base_;
  std::vector<TPropInfo> Own_;
};

}  // namespace quenby
