#include "Enums.h"

#include <QHash>

namespace EnumRegistry {
namespace {
struct TRegistry {
    QHash<int, TEnumInfo*> Enums; // by enumeration metatype id
    QHash<int, TEnumInfo*> Sets;  // by set metatype id
    ~TRegistry() { qDeleteAll(Enums); }
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}
} // namespace

bool Register(QMetaType enumType, QMetaType setType, const char* memberList) {
    auto* info = new TEnumInfo{enumType, {}};
    for (const QString& member : QString::fromLatin1(memberList).split(QLatin1Char(',')))
        info->Names << member.section(QLatin1Char('='), 0, 0).trimmed();
    Registry().Enums.insert(enumType.id(), info);
    Registry().Sets.insert(setType.id(), info);
    return true;
}

const TEnumInfo* EnumOf(QMetaType type) {
    return Registry().Enums.value(type.id());
}

const TEnumInfo* SetOf(QMetaType type) {
    return Registry().Sets.value(type.id());
}

QString NameOf(const TEnumInfo& info, int ordinal) {
    if (ordinal >= 0 && ordinal < info.Names.size())
        return info.Names[ordinal];
    return QString::number(ordinal);
}

std::optional<int> OrdinalOf(const TEnumInfo& info, const QString& name) {
    for (int i = 0; i < info.Names.size(); ++i)
        if (info.Names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

} // namespace EnumRegistry
