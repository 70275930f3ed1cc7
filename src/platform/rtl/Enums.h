#pragma once

#include "Sets.h"

#include <QMetaType>
#include <QStringList>
#include <optional>

// Enumerations whose members are stored in form files and read by name. Declare them with
// PUBLISHED_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter): the enumeration
// (members numbered from 0) and its names are registered for the enumeration and for
// TSet of it, so properties of either type stream by name.
namespace EnumRegistry {

struct TEnumInfo {
    QMetaType Type;    // the enumeration
    QStringList Names; // by ordinal
};

// Registers the names of an enumeration given as the macro's stringised member list.
bool Register(QMetaType enumType, QMetaType setType, const char* memberList);

// The enumeration of an enum-typed or set-typed metatype, or nullptr.
const TEnumInfo* EnumOf(QMetaType type);
const TEnumInfo* SetOf(QMetaType type);

QString NameOf(const TEnumInfo& info, int ordinal);
std::optional<int> OrdinalOf(const TEnumInfo& info, const QString& name); // ignores case

template <class E> bool RegisterEnum(const char* memberList) {
    return Register(QMetaType::fromType<E>(), QMetaType::fromType<TSet<E>>(), memberList);
}

} // namespace EnumRegistry

template <class E> QString EnumName(E value) {
    const auto* info = EnumRegistry::EnumOf(QMetaType::fromType<E>());
    return info ? EnumRegistry::NameOf(*info, int(value)) : QString::number(int(value));
}

#define PUBLISHED_ENUM(Name, ...)                                                                  \
    enum Name : int { __VA_ARGS__ };                                                               \
    inline const bool Name##_Registered = EnumRegistry::RegisterEnum<Name>(#__VA_ARGS__);
