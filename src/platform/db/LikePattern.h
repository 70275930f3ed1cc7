#pragma once

#include <QChar>
#include <QStringView>

// LIKE as the local SQL dialect has it, independent of any engine. The comparison is
// case-sensitive and goes by Unicode code points:
//   %        any run of characters, also an empty one
//   _        exactly one character
//   [abc]    one of the characters listed; [a-z] a range of code points, which may be
//            combined ([a-cx-z0-9]); [^a] or [!a] any character but those listed. A "]"
//            right after the opening "[" (or "[^", "[!") is a member, a "-" first or last
//            stands for itself, a range whose ends are reversed matches nothing, and inside
//            the brackets every other character stands for itself. A "[" without a closing
//            "]" is an ordinary character.
//   Escape   makes the character after it stand for itself; at the very end of the pattern
//            it stands for itself. A null Escape means none.
// Matching takes at most (value length) x (pattern length) steps, whatever the pattern.
//
// TSqliteConnection installs this as SQLite's like(pattern, value[, escape]), so LIKE and
// NOT LIKE in every statement follow these rules. SQLite then no longer uses indexes for
// LIKE with a constant prefix; the datasets search by ranges of the index instead.
bool LikeMatch(QStringView Pattern, QStringView Value, QChar Escape = QChar());
