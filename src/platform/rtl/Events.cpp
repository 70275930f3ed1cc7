#include "Events.h"

#include <QHash>
#include <QMetaMethod>

bool TMethod::operator==(const TMethod& o) const {
    if (FCode == o.FCode)
        return true;
    return !FName.isEmpty() && FName == o.FName && FData == o.FData;
}

namespace EventRegistry {
namespace {
QHash<int, TEventTypeInfo>& Registry() {
    static QHash<int, TEventTypeInfo> registry;
    return registry;
}
} // namespace

void Register(const TEventTypeInfo& info) {
    Registry().insert(info.Type.id(), info);
}

const TEventTypeInfo* Find(QMetaType type) {
    auto& registry = Registry();
    const auto it = registry.constFind(type.id());
    return it == registry.cend() ? nullptr : &it.value();
}

void Invoke(const QPointer<QObject>& target, int methodIndex, void** argv) {
    if (target)
        QMetaObject::metacall(target, QMetaObject::InvokeMetaMethod, methodIndex, argv);
}

namespace {
// Meta-methods know the type of a reference parameter only by its name ("bool&").
bool ParameterMatches(const QMetaMethod& method, int index, const TParameter& expected) {
    const QMetaType type = method.parameterMetaType(index);
    if (type.isValid())
        return !expected.ByReference && type == expected.Type;
    QByteArray name = method.parameterTypeName(index);
    if (!expected.ByReference || !name.endsWith('&'))
        return false;
    name.chop(1);
    // A type not yet used through the meta-type system (an enumeration such as TColor) is
    // unknown by name until then: its name still tells.
    return name == expected.Type.name() || QMetaType::fromName(name) == expected.Type;
}
} // namespace

int FindMethod(const QObject* target, const QByteArray& name, const QList<TParameter>& params) {
    const QMetaObject* meta = target->metaObject();
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.name() != name || method.parameterCount() != params.size())
            continue;
        bool same = true;
        for (int p = 0; p < params.size() && same; ++p)
            same = ParameterMatches(method, p, params[p]);
        if (same)
            return i;
    }
    return -1;
}

} // namespace EventRegistry
