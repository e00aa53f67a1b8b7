// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The published-property table: every streamable class declares its properties once,
// in its .cpp, and the stream reader and writer, animations and triggers all go through
// that one table. Inherited entries come first; names are matched without regard to case.
//
//   In the header, inside the class:      NIMBRELL_CLASS(TvxThing)
//   In the .cpp (the body is a static member, so private accessors may be used):
//     NIMBRELL_DEFINE_CLASS(TvxThing, TvxObject)
//     {
//         c.Float("Width", &TvxThing::Width, &TvxThing::SetWidth);
//         c.Enum("Align", &TvxThing::Align, &TvxThing::SetAlign).Default(TvxAlign::vaNone);
//         c.Object("Fill", [](const TvxThing& t) { return &t.Fill(); }).StoredWhen(&TvxThing::IsFillStored);
//     }
//
// Entries, by kind (getters are member functions or callables taking const C&; a
// property declared without a setter is read-only and never written to streams):
//   Integer(name, get, set)     any integral type; .Identifiers({...}) maps values to names
//   Enum(name, get, set)        an enumeration declared with NIMBRELL_ENUM, or bool
//   Set(name, get, set)         EnumSet<E>
//   Float(name, get, set)       32-bit; zero is never written
//   Text(name, get, set)        UTF-8; empty is never written
//   Object(name, get)           a sub-object the holder owns, written under "name."
//   Reference(name, get, set)   T* to a component, written by name, resolved after a read
//   Event(name, &C::member)     a TvxEvent<...> bound by name to a window's method
//   Collection(name, get)       a TvxCollection of persistent items, written even when
//                               empty unless a stored rule says otherwise
// Modifiers: .Default(v) (integer, enumeration and set kinds: v is not written),
// .NeverStored(), .StoredWhen(predicate).
// Windows also publish Method(name, &C::method) for events and Field(name, &C::member)
// for the children of their stream. Custom stream properties (Point, Rect, PNG, ...) are
// defined by overriding TvxPersistent::DefineProperties. Classes that streams name are
// registered with RegisterClass<T>() at start-up.

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace nimbrell {

class TvxPersistent;
class TvxComponent;
class TvxCollection;
class ClassInfo;

// The identifiers of one enumeration, in ordinal order.
class EnumInfo {
public:
    EnumInfo(std::string name, std::vector<std::string> identifiers);

    std::string_view Name() const { return m_name; }
    int Count() const { return static_cast<int>(m_identifiers.size()); }
    // Empty when the ordinal is out of range.
    std::string_view Identifier(std::int64_t ordinal) const;
    // Matched without regard to case.
    std::optional<int> Ordinal(std::string_view identifier) const;
    bool IsBoolean() const { return this == &Boolean(); }

    static const EnumInfo& Boolean();

private:
    std::string m_name;
    std::vector<std::string> m_identifiers;
};

// EnumInfoOf<E>() is declared for each published enumeration with NIMBRELL_ENUM, written
// at global scope after the enumeration, with its identifiers in ordinal order.
template<typename E>
const EnumInfo& EnumInfoOf();

template<>
inline const EnumInfo& EnumInfoOf<bool>() { return EnumInfo::Boolean(); }

#define NIMBRELL_ENUM(EnumType, ...)                                        \
    template<>                                                              \
    inline const ::nimbrell::EnumInfo& ::nimbrell::EnumInfoOf<EnumType>()   \
    {                                                                       \
        static const ::nimbrell::EnumInfo info(#EnumType, { __VA_ARGS__ }); \
        return info;                                                        \
    }

// A set of an enumeration, one bit per ordinal.
template<typename E>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr explicit EnumSet(std::uint64_t bits)
        : m_bits(bits) { }
    constexpr EnumSet(std::initializer_list<E> values)
    {
        for (E value : values)
            m_bits |= Bit(value);
    }

    constexpr bool Contains(E value) const { return (m_bits & Bit(value)) != 0; }
    constexpr void Include(E value) { m_bits |= Bit(value); }
    constexpr void Exclude(E value) { m_bits &= ~Bit(value); }
    constexpr std::uint64_t Bits() const { return m_bits; }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    static constexpr std::uint64_t Bit(E value) { return std::uint64_t(1) << static_cast<unsigned>(value); }
    std::uint64_t m_bits { 0 };
};

enum class PropertyKind : std::uint8_t {
    Integer,
    Enumeration, // booleans are the enumeration False, True
    Set,
    Float,     // 32-bit
    Text,      // UTF-8
    Object,    // a sub-object the holder owns; never replaced, assigned into
    Reference, // a reference to another component, by name in streams
    Event,     // a handler bound by name to a method of the stream's window
    Collection,
};

// Optional identifiers for an integer property (cursor names and the like).
struct IntegerIdentifiers {
    std::function<std::optional<std::string>(std::int64_t)> toIdentifier;
    std::function<std::optional<std::int64_t>(std::string_view)> fromIdentifier;
};

class PropertyInfo {
public:
    std::string_view Name() const { return m_name; }
    PropertyKind Kind() const { return m_kind; }
    bool IsObjectKind() const { return m_kind == PropertyKind::Object || m_kind == PropertyKind::Reference; }
    const EnumInfo* Enum() const { return m_enum; }
    // The class a reference must be of, or the declared class of a sub-object.
    const ClassInfo* ObjectClass() const { return m_objectClass ? &m_objectClass() : nullptr; }
    const IntegerIdentifiers* Identifiers() const { return m_identifiers.toIdentifier ? &m_identifiers : nullptr; }
    bool CanWrite() const;
    bool IsStored(const TvxPersistent& object) const;
    std::optional<std::int64_t> Default() const { return m_default; }

    // Integer: the value; Enumeration: the ordinal; Set: the bits.
    std::int64_t GetInteger(const TvxPersistent& object) const;
    void SetInteger(TvxPersistent& object, std::int64_t value) const;
    float GetFloat(const TvxPersistent& object) const;
    void SetFloat(TvxPersistent& object, float value) const;
    std::string GetText(const TvxPersistent& object) const;
    void SetText(TvxPersistent& object, std::string_view value) const;
    // Object and Reference kinds.
    TvxPersistent* GetObject(const TvxPersistent& object) const;
    // Throws std::invalid_argument when the component is not of the required class.
    void SetReference(TvxPersistent& object, TvxComponent* component) const;
    TvxCollection* GetCollection(const TvxPersistent& object) const;

    // Enumeration kind by identifier ("vaTop", "True").
    std::string GetIdentifier(const TvxPersistent& object) const;
    // False when the identifier names no value of the enumeration.
    bool SetIdentifier(TvxPersistent& object, std::string_view identifier) const;

    // Event kind: the bound method's name, empty without a handler.
    std::string GetMethodName(const TvxPersistent& object) const;
    // Binds to the published method of that name of methodOwner; false when it has none
    // with a matching signature. An empty name clears the handler.
    bool BindMethod(TvxPersistent& object, TvxComponent* methodOwner, std::string_view methodName) const;

private:
    template<typename C>
    friend class ClassBuilder;
    template<typename C>
    friend class PropertyBuilder;

    std::string m_name;
    PropertyKind m_kind { PropertyKind::Integer };
    const EnumInfo* m_enum { nullptr };
    // A function, so that a class may refer to itself while its table is being built.
    const ClassInfo& (*m_objectClass)() { nullptr };
    std::optional<std::int64_t> m_default;
    enum class Stored : std::uint8_t {
        Always,
        Never,
        Predicate
    } m_stored { Stored::Always };
    std::function<bool(const TvxPersistent&)> m_storedWhen;
    IntegerIdentifiers m_identifiers;

    std::function<std::int64_t(const TvxPersistent&)> m_getInteger;
    std::function<void(TvxPersistent&, std::int64_t)> m_setInteger;
    std::function<float(const TvxPersistent&)> m_getFloat;
    std::function<void(TvxPersistent&, float)> m_setFloat;
    std::function<std::string(const TvxPersistent&)> m_getText;
    std::function<void(TvxPersistent&, std::string_view)> m_setText;
    std::function<TvxPersistent*(const TvxPersistent&)> m_getObject;
    std::function<void(TvxPersistent&, TvxComponent*)> m_setReference;
    std::function<TvxCollection*(const TvxPersistent&)> m_getCollection;
    std::function<std::string(const TvxPersistent&)> m_getMethodName;
    std::function<bool(TvxPersistent&, TvxComponent*, std::string_view)> m_bindMethod;
};

// A published method of a window, to which event properties bind by name.
struct MethodInfo {
    std::string name;
    std::type_index signature;
    // Returns a std::function of the method's signature bound to self, wrapped in std::any.
    std::function<std::any(TvxComponent& self)> bind;
};

// A published field of a window: a child read from the window's stream with the same
// name is bound to it.
struct FieldInfo {
    std::string name;
    // False when the component is not of the field's class.
    std::function<bool(TvxComponent& self, TvxComponent* value)> assign;
};

using ComponentFactory = TvxComponent* (*)(TvxComponent* owner);

namespace detail {

// Hashing and comparison of names without regard to ASCII case, without copies.
struct CaseInsensitiveHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept;
};
struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

}

class ClassInfo {
public:
    std::string_view Name() const { return m_name; }
    const ClassInfo* Parent() const { return m_parent; }
    bool InheritsFrom(const ClassInfo& other) const;

    // Every published property, inherited ones first.
    std::span<const PropertyInfo* const> Properties() const { return m_properties; }
    const PropertyInfo* FindProperty(std::string_view name) const;
    const MethodInfo* FindMethod(std::string_view name) const;
    const FieldInfo* FindField(std::string_view name) const;

    // None for abstract classes and classes that are not components.
    ComponentFactory Factory() const { return m_factory; }
    // The new component is owned by owner (none: the caller frees it).
    TvxComponent* Create(TvxComponent* owner) const;

private:
    template<typename C>
    friend class ClassBuilder;

    std::string m_name;
    const ClassInfo* m_parent { nullptr };
    ComponentFactory m_factory { nullptr };
    std::vector<std::unique_ptr<PropertyInfo>> m_own;
    std::vector<const PropertyInfo*> m_properties;
    std::unordered_map<std::string, const PropertyInfo*, detail::CaseInsensitiveHash, detail::CaseInsensitiveEqual> m_byName;
    std::vector<MethodInfo> m_methods;
    std::vector<FieldInfo> m_fields;
};

namespace detail {

template<typename F>
struct Signature;
template<typename C, typename R, typename... A>
struct Signature<R (C::*)(A...)> {
    using Class = C;
    using Result = R;
    using Args = std::tuple<A...>;
};
template<typename C, typename R, typename... A>
struct Signature<R (C::*)(A...) const> : Signature<R (C::*)(A...)> { };
template<typename C, typename R, typename... A>
struct Signature<R (C::*)(A...) noexcept> : Signature<R (C::*)(A...)> { };
template<typename C, typename R, typename... A>
struct Signature<R (C::*)(A...) const noexcept> : Signature<R (C::*)(A...)> { };

// The value type a setter takes: its last parameter (member function, or lambda (C&, T)).
template<typename S, typename = void>
struct SetterArg {
    using Type = std::remove_cvref_t<std::tuple_element_t<std::tuple_size_v<typename Signature<decltype(&S::operator())>::Args> - 1,
        typename Signature<decltype(&S::operator())>::Args>>;
};
template<typename S>
struct SetterArg<S, std::enable_if_t<std::is_member_function_pointer_v<S>>> {
    using Args = typename Signature<S>::Args;
    using Type = std::remove_cvref_t<std::tuple_element_t<std::tuple_size_v<Args> - 1, Args>>;
};

template<typename T>
struct IsEnumSet : std::false_type { };
template<typename E>
struct IsEnumSet<EnumSet<E>> : std::true_type {
    using Enum = E;
};

template<typename T>
std::int64_t ToInteger(const T& value)
{
    if constexpr (IsEnumSet<T>::value)
        return static_cast<std::int64_t>(value.Bits());
    else
        return static_cast<std::int64_t>(value);
}

template<typename T>
T FromInteger(std::int64_t value)
{
    if constexpr (IsEnumSet<T>::value)
        return T(static_cast<std::uint64_t>(value));
    else if constexpr (std::is_same_v<T, bool>)
        return value != 0;
    else
        return static_cast<T>(value);
}

template<typename T>
T* AsPointer(T* value) { return value; }
template<typename T>
T* AsPointer(T& value) { return &value; }

}

// Fluent modifiers of one entry.
template<typename C>
class PropertyBuilder {
public:
    explicit PropertyBuilder(PropertyInfo& info)
        : m_info(info) { }

    // Integer, enumeration and set kinds: the value that is not written.
    template<typename T>
    PropertyBuilder& Default(T value)
    {
        m_info.m_default = detail::ToInteger(value);
        return *this;
    }
    PropertyBuilder& NeverStored()
    {
        m_info.m_stored = PropertyInfo::Stored::Never;
        return *this;
    }
    // A member predicate (bool (C::*)() const) or a callable taking const C&.
    template<typename P>
    PropertyBuilder& StoredWhen(P predicate)
    {
        m_info.m_stored = PropertyInfo::Stored::Predicate;
        m_info.m_storedWhen = [predicate](const TvxPersistent& object) {
            return std::invoke(predicate, static_cast<const C&>(object));
        };
        return *this;
    }
    PropertyBuilder& Identifiers(IntegerIdentifiers identifiers)
    {
        m_info.m_identifiers = std::move(identifiers);
        return *this;
    }

private:
    PropertyInfo& m_info;
};

template<typename C>
class ClassBuilder {
public:
    using Describe = void (*)(ClassBuilder<C>&);

    static ClassInfo Build(std::string_view name, const ClassInfo* parent, Describe describe)
    {
        ClassInfo info;
        info.m_name = std::string(name);
        info.m_parent = parent;
        if (parent) {
            info.m_properties = parent->m_properties;
            info.m_byName = parent->m_byName;
        }
        if constexpr (std::is_base_of_v<TvxComponent, C> && !std::is_abstract_v<C> && std::is_constructible_v<C, TvxComponent*>)
            info.m_factory = [](TvxComponent* owner) -> TvxComponent* { return new C(owner); };
        ClassBuilder builder(info);
        describe(builder);
        return info;
    }

    // Integer property: getter returns an integral type, setter takes one (or none).
    template<typename G, typename S = std::nullptr_t>
    PropertyBuilder<C> Integer(std::string_view name, G getter, S setter = nullptr)
    {
        PropertyInfo& info = Add(name, PropertyKind::Integer);
        BindInteger(info, getter, setter);
        return PropertyBuilder<C>(info);
    }

    // Enumeration (or boolean) property; the enumeration is taken from the getter's type.
    template<typename G, typename S = std::nullptr_t>
    PropertyBuilder<C> Enum(std::string_view name, G getter, S setter = nullptr)
    {
        using Value = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
        PropertyInfo& info = Add(name, PropertyKind::Enumeration);
        info.m_enum = &EnumInfoOf<Value>();
        BindInteger(info, getter, setter);
        return PropertyBuilder<C>(info);
    }

    // Set property; the getter returns an EnumSet<E>.
    template<typename G, typename S = std::nullptr_t>
    PropertyBuilder<C> Set(std::string_view name, G getter, S setter = nullptr)
    {
        using Value = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;
        PropertyInfo& info = Add(name, PropertyKind::Set);
        info.m_enum = &EnumInfoOf<typename detail::IsEnumSet<Value>::Enum>();
        BindInteger(info, getter, setter);
        return PropertyBuilder<C>(info);
    }

    template<typename G, typename S = std::nullptr_t>
    PropertyBuilder<C> Float(std::string_view name, G getter, S setter = nullptr)
    {
        PropertyInfo& info = Add(name, PropertyKind::Float);
        info.m_getFloat = [getter](const TvxPersistent& object) {
            return static_cast<float>(std::invoke(getter, static_cast<const C&>(object)));
        };
        if constexpr (!std::is_null_pointer_v<S>) {
            using Arg = typename detail::SetterArg<S>::Type;
            info.m_setFloat = [setter](TvxPersistent& object, float value) {
                std::invoke(setter, static_cast<C&>(object), static_cast<Arg>(value));
            };
        }
        return PropertyBuilder<C>(info);
    }

    template<typename G, typename S = std::nullptr_t>
    PropertyBuilder<C> Text(std::string_view name, G getter, S setter = nullptr)
    {
        PropertyInfo& info = Add(name, PropertyKind::Text);
        info.m_getText = [getter](const TvxPersistent& object) {
            return std::string(std::invoke(getter, static_cast<const C&>(object)));
        };
        if constexpr (!std::is_null_pointer_v<S>) {
            using Arg = typename detail::SetterArg<S>::Type;
            info.m_setText = [setter](TvxPersistent& object, std::string_view value) {
                std::invoke(setter, static_cast<C&>(object), Arg(value));
            };
        }
        return PropertyBuilder<C>(info);
    }

    // A sub-object the holder owns; the getter returns it (pointer or reference).
    template<typename G>
    PropertyBuilder<C> Object(std::string_view name, G getter)
    {
        using Result = std::invoke_result_t<G, const C&>;
        using Target = std::remove_cvref_t<std::remove_pointer_t<std::remove_cvref_t<Result>>>;
        PropertyInfo& info = Add(name, PropertyKind::Object);
        info.m_objectClass = &Target::StaticClass;
        info.m_getObject = [getter](const TvxPersistent& object) -> TvxPersistent* {
            return const_cast<std::remove_const_t<Target>*>(
                detail::AsPointer(std::invoke(getter, static_cast<const C&>(object))));
        };
        return PropertyBuilder<C>(info);
    }

    // A reference to a component of class T: getter returns T*, setter takes T*.
    template<typename G, typename S = std::nullptr_t>
    PropertyBuilder<C> Reference(std::string_view name, G getter, S setter = nullptr)
    {
        using Target = std::remove_cvref_t<std::remove_pointer_t<std::invoke_result_t<G, const C&>>>;
        PropertyInfo& info = Add(name, PropertyKind::Reference);
        info.m_objectClass = &Target::StaticClass;
        info.m_getObject = [getter](const TvxPersistent& object) -> TvxPersistent* {
            return const_cast<Target*>(std::invoke(getter, static_cast<const C&>(object)));
        };
        if constexpr (!std::is_null_pointer_v<S>) {
            info.m_setReference = [setter](TvxPersistent& object, TvxComponent* component) {
                auto* target = dynamic_cast<Target*>(component);
                if (component && !target)
                    throw std::invalid_argument("component of the wrong class");
                std::invoke(setter, static_cast<C&>(object), target);
            };
        }
        return PropertyBuilder<C>(info);
    }

    // An event: a TvxEvent<Args...> data member.
    template<typename E>
    PropertyBuilder<C> Event(std::string_view name, E C::*member)
    {
        PropertyInfo& info = Add(name, PropertyKind::Event);
        info.m_getMethodName = [member](const TvxPersistent& object) {
            return (static_cast<const C&>(object).*member).MethodName();
        };
        info.m_bindMethod = [member](TvxPersistent& object, TvxComponent* owner, std::string_view method) {
            return (static_cast<C&>(object).*member).Bind(owner, method);
        };
        return PropertyBuilder<C>(info);
    }

    // A collection the holder owns; the getter returns it (pointer or reference).
    template<typename G>
    PropertyBuilder<C> Collection(std::string_view name, G getter)
    {
        PropertyInfo& info = Add(name, PropertyKind::Collection);
        info.m_getCollection = [getter](const TvxPersistent& object) -> TvxCollection* {
            return const_cast<TvxCollection*>(
                static_cast<const TvxCollection*>(detail::AsPointer(std::invoke(getter, static_cast<const C&>(object)))));
        };
        return PropertyBuilder<C>(info);
    }

    // A published method events can bind to: void (C::*)(Args...).
    template<typename R, typename... A>
    void Method(std::string_view name, R (C::*method)(A...))
    {
        using Handler = std::function<void(A...)>;
        m_info.m_methods.push_back(MethodInfo { std::string(name), std::type_index(typeid(Handler)),
            [method](TvxComponent& self) -> std::any {
                C* target = static_cast<C*>(&self);
                return Handler([target, method](A... args) { (target->*method)(args...); });
            } });
    }

    // A published field bound to the child of the same name read from the stream.
    template<typename T>
    void Field(std::string_view name, T* C::*member)
    {
        auto bind = [member](TvxComponent& self, TvxComponent* value) {
            auto* typed = dynamic_cast<T*>(value);
            if (value && !typed)
                return false;
            static_cast<C&>(self).*member = typed;
            return true;
        };
        m_info.m_fields.push_back(FieldInfo { std::string(name), bind });
    }

private:
    explicit ClassBuilder(ClassInfo& info)
        : m_info(info) { }

    PropertyInfo& Add(std::string_view name, PropertyKind kind);

    template<typename G, typename S>
    static void BindInteger(PropertyInfo& info, G getter, S setter)
    {
        info.m_getInteger = [getter](const TvxPersistent& object) {
            return detail::ToInteger(std::invoke(getter, static_cast<const C&>(object)));
        };
        if constexpr (!std::is_null_pointer_v<S>) {
            using Arg = typename detail::SetterArg<S>::Type;
            info.m_setInteger = [setter](TvxPersistent& object, std::int64_t value) {
                std::invoke(setter, static_cast<C&>(object), detail::FromInteger<Arg>(value));
            };
        }
    }

    ClassInfo& m_info;
};

template<typename C>
PropertyInfo& ClassBuilder<C>::Add(std::string_view name, PropertyKind kind)
{
    auto info = std::make_unique<PropertyInfo>();
    info->m_name = std::string(name);
    info->m_kind = kind;
    PropertyInfo& result = *info;
    std::string key(name);
    auto existing = m_info.m_byName.find(key);
    if (existing != m_info.m_byName.end()) {
        // A redeclared property keeps its inherited place in the order.
        for (auto& entry : m_info.m_properties) {
            if (entry == existing->second)
                entry = &result;
        }
    } else {
        m_info.m_properties.push_back(&result);
    }
    if (existing != m_info.m_byName.end())
        existing->second = &result;
    else
        m_info.m_byName.emplace(std::move(key), &result);
    m_info.m_own.push_back(std::move(info));
    return result;
}

// Header side: declares the class's table.
#define NIMBRELL_CLASS(ClassName)                                                 \
public:                                                                           \
    static const ::nimbrell::ClassInfo& StaticClass();                            \
    const ::nimbrell::ClassInfo& Class() const override { return StaticClass(); } \
                                                                                  \
private:                                                                          \
    static void DescribeClass(::nimbrell::ClassBuilder<ClassName>& c);

// Source side: defines the table; the body that follows fills builder `c` and, being a
// member of the class, may use its private accessors.
#define NIMBRELL_DEFINE_CLASS(ClassName, ParentName)                                          \
    const ::nimbrell::ClassInfo& ClassName::StaticClass()                                     \
    {                                                                                         \
        static const ::nimbrell::ClassInfo info = ::nimbrell::ClassBuilder<ClassName>::Build( \
            #ClassName, &ParentName::StaticClass(), &ClassName::DescribeClass);               \
        return info;                                                                          \
    }                                                                                         \
    void ClassName::DescribeClass([[maybe_unused]] ::nimbrell::ClassBuilder<ClassName>& c)

// The same for a class that streams name differently from its C++ name.
#define NIMBRELL_DEFINE_CLASS_NAMED(ClassName, StreamName, ParentName)                        \
    const ::nimbrell::ClassInfo& ClassName::StaticClass()                                     \
    {                                                                                         \
        static const ::nimbrell::ClassInfo info = ::nimbrell::ClassBuilder<ClassName>::Build( \
            StreamName, &ParentName::StaticClass(), &ClassName::DescribeClass);               \
        return info;                                                                          \
    }                                                                                         \
    void ClassName::DescribeClass([[maybe_unused]] ::nimbrell::ClassBuilder<ClassName>& c)

// Dotted-path resolution used by animations and triggers: every segment but the last
// that names an object-kind property moves to that object; other segments are dropped.
// Returns the holder and the final property (none when the holder has no such property).
struct ResolvedProperty {
    TvxPersistent* holder { nullptr };
    const PropertyInfo* property { nullptr };
    std::string finalName;
};
ResolvedProperty ResolvePropertyPath(TvxPersistent& root, std::string_view path);

}
