#pragma once

#include <ui/Forms.h>

class TButton;
class TLabel;

// "Confirm": asks whether to replace one occurrence. Its modal result is the answer:
// mrYes, mrNo, mrCancel, or mrAll for this and every further occurrence.
class TDialReplace : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/DiReplace.form")
public:
    Q_INVOKABLE explicit TDialReplace(TComponent* AOwner = nullptr);

    // Shows Text, the occurrence found, in quotes and returns the answer.
    int Ask(const QString& Text);

    TLabel* LabelQuestion = nullptr;
    TLabel* LabelText = nullptr;
    TButton* ButtonYes = nullptr;
    TButton* ButtonNo = nullptr;
    TButton* ButtonCancel = nullptr;
    TButton* ButtonAll = nullptr;
};

// The confirmation dialog of the rich edits, made on first use and owned by the
// application.
TDialReplace* DialReplace();
