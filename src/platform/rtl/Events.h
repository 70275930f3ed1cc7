#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QPointer>
#include <QVariant>
#include <functional>
#include <memory>
#include <type_traits>

using TObject = QObject;

// A handler of an event property, type-erased: the object it is bound to (Data), the name
// of the bound method when it was bound by name (what form files store), and the code.
class TMethod {
public:
    TMethod() = default;

    bool IsAssigned() const { return FCode != nullptr; }
    explicit operator bool() const { return IsAssigned(); }
    QObject* Data() const { return FData; }
    const QByteArray& MethodName() const { return FName; }
    // The event type the handler was made for.
    QMetaType EventType() const { return FType; }

    // Same code, or the same method of the same object.
    bool operator==(const TMethod& o) const;

protected:
    QPointer<QObject> FData;
    QByteArray FName;
    QMetaType FType;
    std::shared_ptr<const void> FCode;
};

namespace EventRegistry {

// What the runtime needs to handle an event type whose argument list it does not know.
struct TEventTypeInfo {
    QMetaType Type;
    // Binds a method of target by name; an unassigned TMethod when there is none with
    // that name or its parameters differ from the event's.
    TMethod (*Bind)(QObject* target, const QByteArray& name);
    QVariant (*ToVariant)(const TMethod& method);
};

void Register(const TEventTypeInfo& info);
const TEventTypeInfo* Find(QMetaType type);

// Calls a method of target by meta-method index with the addresses of its arguments.
void Invoke(const QPointer<QObject>& target, int methodIndex, void** argv);
// A parameter of an event: its type, and whether it is passed by (non-const) reference.
struct TParameter {
    QMetaType Type;
    bool ByReference;
};
template <class A> TParameter ParameterOf() {
    return {QMetaType::fromType<std::decay_t<A>>(),
            std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>};
}
// The index of target's method called name whose parameters are params.
int FindMethod(const QObject* target, const QByteArray& name, const QList<TParameter>& params);

} // namespace EventRegistry

// An event: a handler whose first argument is the sender. Assign a callable, a member
// function, or a method bound by name (Bind), which is the form the form files keep.
template <class... Args> class TEvent : public TMethod {
public:
    using Function = std::function<void(Args...)>;

    TEvent() { (void)Registered; }
    TEvent(std::nullptr_t) : TEvent() {}
    template <class F>
    requires std::is_invocable_v<F, Args...> &&(!std::is_same_v<std::decay_t<F>, TEvent>)TEvent(F f)
        : TEvent() {
        FCode = std::make_shared<const Function>(std::move(f));
        FType = QMetaType::fromType<TEvent>();
    }
    template <class C>
    requires std::is_base_of_v<QObject, C> TEvent(C* object, void (C::*method)(Args...))
        : TEvent() {
        QPointer<QObject> guard(object);
        FData = object;
        FType = QMetaType::fromType<TEvent>();
        FCode = std::make_shared<const Function>([guard, object, method](Args... args) {
            if (guard)
                (object->*method)(std::forward<Args>(args)...);
        });
    }

    // A handler bound to target's invokable method name; unassigned when target has no
    // such method with this event's parameters.
    static TEvent Bind(QObject* target, const QByteArray& name) {
        TEvent e;
        const int index =
            target
                ? EventRegistry::FindMethod(target, name, {EventRegistry::ParameterOf<Args>()...})
                : -1;
        if (index < 0)
            return e;
        e.FData = target;
        e.FName = name;
        e.FType = QMetaType::fromType<TEvent>();
        QPointer<QObject> guard(target);
        e.FCode = std::make_shared<const Function>([guard, index](Args... args) {
            void* argv[] = {nullptr, const_cast<void*>(static_cast<const void*>(&args))...};
            EventRegistry::Invoke(guard, index, argv);
        });
        return e;
    }

    void operator()(Args... args) const {
        if (FCode)
            (*static_cast<const Function*>(FCode.get()))(std::forward<Args>(args)...);
    }

private:
    static TEvent FromMethod(const TMethod& m) {
        TEvent e;
        if (m.EventType() == QMetaType::fromType<TEvent>())
            static_cast<TMethod&>(e) = m;
        else if (m.Data() && !m.MethodName().isEmpty())
            e = Bind(m.Data(), m.MethodName());
        return e;
    }
    static bool Register() {
        EventRegistry::Register(
            {QMetaType::fromType<TEvent>(),
             [](QObject* target, const QByteArray& name) -> TMethod { return Bind(target, name); },
             [](const TMethod& m) { return QVariant::fromValue(FromMethod(m)); }});
        return true;
    }
    static inline const bool Registered = Register();
};

using TNotifyEvent = TEvent<TObject*>;
