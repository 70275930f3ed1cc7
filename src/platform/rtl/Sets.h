#pragma once

#include <QtGlobal>
#include <initializer_list>
#include <type_traits>

// A set of the members of an enumeration whose values are 0, 1, 2, ... (at most 64),
// as properties such as Style = [fsBold, fsItalic] hold them.
template <class E> class TSet {
    static_assert(std::is_enum_v<E>);

public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members) {
        for (E m : members)
            FBits |= Bit(m);
    }
    static constexpr TSet FromBits(quint64 bits) {
        TSet s;
        s.FBits = bits;
        return s;
    }

    constexpr quint64 Bits() const { return FBits; }
    constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr TSet& Include(E m) {
        FBits |= Bit(m);
        return *this;
    }
    constexpr TSet& Exclude(E m) {
        FBits &= ~Bit(m);
        return *this;
    }

    constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
    constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
    constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
    constexpr TSet& operator+=(TSet o) { return *this = *this + o; }
    constexpr TSet& operator-=(TSet o) { return *this = *this - o; }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr quint64 Bit(E m) { return quint64(1) << quint64(m); }
    quint64 FBits = 0;
};
