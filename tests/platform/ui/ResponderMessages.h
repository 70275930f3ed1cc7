#pragma once

// The texts of the message boxes a scripted responder was shown, in order (forms and
// common dialogs left out).

#include <QStringList>
#include <ui/ScriptedResponder.h>

inline QStringList MessagesShown(const TScriptedResponder& Responder) {
    QStringList texts;
    for (const TScriptedResponder::TRecord& shown : Responder.Shown())
        if (shown.FormClass.isEmpty())
            texts << shown.Text;
    return texts;
}
