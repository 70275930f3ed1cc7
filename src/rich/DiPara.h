#pragma once

#include <ui/Forms.h>

class TButton;
class TLabel;
class TParaAttributes;
class TSpeedButton;
class TSpinEdit;

// "Paragraph": the indents, the alignment and the bullet of a paragraph.
class TDialParagraph : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/kro/forms/DiPara.form")
public:
    Q_INVOKABLE explicit TDialParagraph(TComponent* AOwner = nullptr);

    // Shows Paragraph's formatting; true when the user confirms with "OK".
    bool Execute(const TParaAttributes* Paragraph);
    // Gives Paragraph the formatting the dialog shows.
    void Apply(TParaAttributes* Paragraph) const;

    TLabel* LabelFirst = nullptr;
    TLabel* LabelLeft = nullptr;
    TLabel* LabelRight = nullptr;
    TSpinEdit* SpinEditFirst = nullptr;
    TSpinEdit* SpinEditLeft = nullptr;
    TSpinEdit* SpinEditRight = nullptr;
    TSpeedButton* SpeedButtonLeft = nullptr;
    TSpeedButton* SpeedButtonCenter = nullptr;
    TSpeedButton* SpeedButtonRight = nullptr;
    TSpeedButton* SpeedButtonBullet = nullptr;
    TButton* ButtonOk = nullptr;
    TButton* ButtonCancel = nullptr;

private:
    void DrawGlyphs();
};
